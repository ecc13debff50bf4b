// The trace on the headless host: a headless Button, watched by the runner.
#include "host/headless/internals.h"
#include "trace/host.h"
#include "trace/trace.h"

namespace brelund::trace {

namespace {

class HeadlessHost final : public InstanceHost {
 public:
  void create(host::EventSink& application, Probe& probe) override {
    // The old button goes first: a handler that asks for a new one destroys the old one there.
    button_.reset();
    button_ = std::make_unique<headless::Button>(&application);
    impl().instance.watch(&probe);
  }
  bool exists() const override { return button_ != nullptr; }

  host::Instance& instance() override { return impl().instance; }
  host::StoredSurface& surface() override { return impl().surface; }
  host::Label& label() override { return impl().label; }
  host::Image& pic() override { return impl().pic; }
  host::Timer& timer() override { return impl().timer; }

  void set_sys_color(int index, OleColor rgb) override {
    impl().platform.set_sys_color(index, rgb);
  }
  void pin_label_size(float w, float h) override { impl().label.pin_size(std::pair{w, h}); }
  void pointer_over() override { button_->pointer_over(); }
  void pointer_away() override { button_->pointer_away(); }
  void pointer_at(int x, int y) override { button_->pointer_at(x, y); }
  void snapshot(const std::string& path) override { button_->snapshot(path); }

 private:
  headless::Button::Impl& impl() { return headless::internals(*button_); }
  std::unique_ptr<headless::Button> button_;
};

}  // namespace

std::unique_ptr<Host> make_headless_host() { return std::make_unique<HeadlessHost>(); }

// Here rather than beside the other run(): the runner's own part must build without the
// headless host, for the hosts that run in programs of their own.
int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder) {
  const auto host = make_headless_host();
  return run(in, out, err, folder, *host);
}

}  // namespace brelund::trace
