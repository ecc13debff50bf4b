#include "host/web/src/trace_host.h"

#include "host/common/png.h"
#include "host/web/src/button.h"
#include "trace/trace.h"

namespace brelund::web {

namespace {

class TraceHost final : public trace::InstanceHost {
 public:
  void create(host::EventSink& application, trace::Probe& probe) override {
    // The old button goes first: a handler that asks for a new one destroys the old one there.
    button_.reset();
    button_ = std::make_unique<Button>(
        [&application](EventId id, const EventArgs& a) { raise_event(application, id, a); },
        Measure{});
    button_->instance().watch(&probe);
    probe_ = &probe;
  }

  // Node has no page, so no DOM event carries the verb: each is the step that the page's own
  // handler (host/web/js/dom.mjs) takes for it, and the runner is told so.
  Status pointer(host::PointerAction action, host::PointerTarget target, std::int16_t button,
                 std::int16_t shift, float x, float y) override {
    static constexpr const char* kNames[] = {"mouse down", "mouse move", "mouse up"};
    without_page(kNames[static_cast<int>(action)]);
    return InstanceHost::pointer(action, target, button, shift, x, y);
  }
  Status key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift) override {
    static constexpr const char* kNames[] = {"key down", "key up", "key press", "key access"};
    without_page(kNames[static_cast<int>(verb)]);
    return InstanceHost::key(verb, code, shift);
  }
  bool exists() const override { return button_ != nullptr; }

  host::Instance& instance() override { return button_->instance(); }
  host::StoredSurface& surface() override { return button_->surface(); }
  host::Label& label() override { return button_->label(); }
  host::Image& pic() override { return button_->pic(); }
  host::Timer& timer() override { return button_->timer(); }

  void set_sys_color(int index, OleColor rgb) override {
    button_->platform().set_sys_color(index, rgb);
  }
  void pin_label_size(float w, float h) override { button_->label().pin_size(std::pair{w, h}); }
  void pointer_over() override {
    const Raster& r = button_->surface().pixels();
    button_->platform().set_pointer(r.width / 2, r.height / 2);
  }
  void pointer_away() override { button_->platform().set_pointer(-10000, -10000); }
  void pointer_at(int x, int y) override { button_->platform().set_pointer(x, y); }
  // The caption is the page's text over the face; a snapshot without a page has the face,
  // the picture and the transparent corners.
  void snapshot(const std::string& path) override {
    const Raster r = button_->compose_without_caption();
    png::write_file(path, png::encode(r.width, r.height, r.pixels));
  }

 private:
  void without_page(const char* verb) {
    if (probe_)
      probe_->simulated(std::string(verb) +
                        ": no page in node; the page's handler takes this step");
  }
  std::unique_ptr<Button> button_;
  trace::Probe* probe_ = nullptr;
};

}  // namespace

std::unique_ptr<trace::Host> make_trace_host() { return std::make_unique<TraceHost>(); }

int run_trace_script(std::istream& in, std::ostream& out, std::ostream& err,
                     const std::string& folder) {
  const auto host = make_trace_host();
  return trace::run(in, out, err, folder, *host);
}

}  // namespace brelund::web
