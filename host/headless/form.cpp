#include "brelund/headless/form.h"

#include "brelund/raster.h"
#include "host/common/forms/form_bag.h"
#include "render/colour.h"

namespace brelund::headless {

FormInstance FormInstance::open(forms::Form form, const std::string& file) {
  FormInstance fi{std::move(form), file, {}};
  for (const auto& entry : fi.form.controls) {
    auto b = std::make_unique<Button>();
    b->surface().set_ambient_font(fi.form.font ? fi.form.font : std::make_shared<const Font>());
    b->surface().set_extender(entry.is_default, entry.is_cancel);
    b->surface().set_size(entry.width, entry.height);
    b->platform().place_control(pixels_of_twips(entry.left), pixels_of_twips(entry.top));
    b->platform().set_form_size(pixels_of_twips(fi.form.width), pixels_of_twips(fi.form.height));
    forms::read_properties(b->control(), entry, file);
    Status s = guarded([&] { b->control().Show(); });
    if (!s.ok()) throw Error(s.number, forms::where(file, entry.name, "") + ": " + s.description);
    fi.buttons.push_back(std::move(b));
  }
  return fi;
}

Raster FormInstance::render() {
  Raster out;
  // The form's own background resolves through the same system colours as its buttons.
  Surface form_surface;
  Platform platform(form_surface);
  const OleColor bg = SysColorToRgb(platform, form.back_color);
  out.resize(pixels_of_twips(form.width), pixels_of_twips(form.height), argb_of_rgb(bg));
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const auto& entry = form.controls[i];
    blend(out, buttons[i]->compose(), pixels_of_twips(entry.left), pixels_of_twips(entry.top));
  }
  return out;
}

forms::Form FormInstance::capture() {
  forms::Form saved = form;
  for (std::size_t i = 0; i < buttons.size(); ++i)
    saved.controls[i].properties = forms::write_properties(buttons[i]->control());
  return saved;
}

}  // namespace brelund::headless
