#include "brelund/headless/form.h"

#include <string>

#include "brelund/raster.h"
#include "brelund/units.h"
#include "host/common/property_bag.h"
#include "host/headless/internals.h"
#include "render/colour.h"

namespace brelund::headless {

FormInstance FormInstance::open(forms::Form form, const std::string& file,
                                const std::function<void()>& step) {
  FormInstance fi{std::move(form), file, {}};
  for (const auto& entry : fi.form.controls) {
    auto b = std::make_unique<Button>();
    Button::Impl& h = internals(*b);
    h.surface.set_ambient_font(fi.form.font);
    h.platform.place_control(units::extent_pixels(entry.left), units::extent_pixels(entry.top));
    h.platform.set_form_size(units::extent_pixels(fi.form.width),
                             units::extent_pixels(fi.form.height));
    // Nothing looks at the new button before it is shown: it is loaded and shown in one step,
    // and a failure discards it with the whole form.
    bool loaded = false;
    const Status s = h.instance.open(entry, file, loaded);
    // A load's failure names its file and control already; a show's does not.
    if (!s.ok())
      throw_if_failed(s, loaded ? forms::where(file, entry.name, "") + ": " : std::string());
    fi.buttons.push_back(std::move(b));
    if (step) step();
  }
  return fi;
}

namespace {
// `form` and `buttons` are open to the caller, who may move a control but must not add or drop
// one: each button is drawn and saved through its entry, found by the same index.
void check_in_step(const FormInstance& fi) {
  if (fi.form.controls.size() != fi.buttons.size())
    throw Error(errors::kInvalidProcedureCall,
                fi.file + ": the form has " + std::to_string(fi.form.controls.size()) +
                    " controls but " + std::to_string(fi.buttons.size()) +
                    " buttons; add or remove controls by opening the form again");
}
}  // namespace

Raster FormInstance::render(const std::function<void()>& step) {
  check_in_step(*this);
  Raster out;
  // The form's own background resolves through the same system colours as its buttons.
  Surface form_surface;
  Platform platform(form_surface);
  const OleColor bg = SysColorToRgb(platform, form.back_color);
  out.resize(units::extent_pixels(form.width), units::extent_pixels(form.height), argb_of_rgb(bg));
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const auto& entry = form.controls[i];
    blend(out, buttons[i]->compose(), units::extent_pixels(entry.left),
          units::extent_pixels(entry.top));
    if (step) step();
  }
  return out;
}

forms::Form FormInstance::capture() {
  check_in_step(*this);
  forms::Form saved = form;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    host::MemoryPropertyBag bag;
    throw_if_failed(internals(*buttons[i]).instance.save(bag));
    saved.controls[i].properties = bag.take();
  }
  return saved;
}

}  // namespace brelund::headless
