#include "host/common/instance.h"

#include <utility>

#include "control/design.h"
#include "control/event_relay.h"
#include "host/common/forms/form_bag.h"

namespace brelund::host {

// Stands between the control and the application: hands every event on, then ends the control's
// step if the handler destroyed (or retired) the control. The flag is copied before the handler
// runs, because the guard itself goes with the instance.
class Instance::Guard final : public EventRelay {
 public:
  Guard(EventSink& app, std::shared_ptr<bool> alive) : app_(app), alive_(std::move(alive)) {}

  // While one lives, the key events of the step in progress stay with the instance.
  class KeysKept {
   public:
    explicit KeysKept(Guard& g) noexcept : g_(g) { g_.keep_keys_ = true; }
    ~KeysKept() { g_.keep_keys_ = false; }
    KeysKept(const KeysKept&) = delete;
    KeysKept& operator=(const KeysKept&) = delete;

   private:
    Guard& g_;
  };

 private:
  void relay(EventId id, const EventArgs& args) override {
    // An event raised by a control that is already gone (a step that went on after a retire)
    // must not reach the application either.
    if (!*alive_) throw ControlGone{};
    if (keep_keys_ && (id == EventId::KeyDown || id == EventId::KeyUp)) return;
    const std::shared_ptr<bool> alive = alive_;
    raise_event(app_, id, args);
    if (!*alive) throw ControlGone{};
  }

  EventSink& app_;
  std::shared_ptr<bool> alive_;
  bool keep_keys_ = false;
};

namespace {
Services designed(StoredSurface& surface, StoredLabel& label, StoredImage& pic, MaskCanvas& mask,
                  Timer& timer, Platform& platform, EventSink& events, Observer* observer) {
  surface.set_size(design::kWidth, design::kHeight);
  Services s{surface, label, pic, mask, timer, platform, events, observer};
  design::apply_design(s);
  return s;
}
}  // namespace

Instance::Instance(StoredSurface& surface, StoredLabel& label, StoredImage& pic, MaskCanvas& mask,
                   Timer& timer, Platform& platform, EventSink& application, Observer* observer)
    : surface_(surface),
      label_(label),
      pic_(pic),
      timer_(timer),
      guard_(std::make_unique<Guard>(application, alive_)),
      control_(designed(surface, label, pic, mask, timer, platform, *guard_, observer)) {}

Instance::~Instance() { retire(); }

void Instance::watch(Watcher* watcher) noexcept {
  surface_.watch(watcher);
  label_.watch(watcher);
  pic_.watch(watcher);
  control_.services().observer = watcher;
}

template <class F>
Status Instance::step(F&& f) {
  if (retired()) return {0, {}, true};
  return guarded(std::forward<F>(f));
}

Status Instance::init() {
  return step([&] { control_.InitProperties(); });
}

Status Instance::load(PropertyBag& bag) {
  return step([&] { control_.ReadProperties(bag); });
}

Status Instance::load(const forms::Control& entry, const std::string& file) {
  return step([&] {
    surface_.set_extender(entry.is_default, entry.is_cancel);
    surface_.set_size(entry.width, entry.height);
    forms::read_properties(control_, entry, file);
  });
}

Status Instance::open(const forms::Control& entry, const std::string& file, bool& loaded) {
  const LoadRebuild rebuild =
      control_.services().observer ? LoadRebuild::now : LoadRebuild::at_show;
  loaded = false;
  Status s = step([&] {
    surface_.set_extender(entry.is_default, entry.is_cancel);
    surface_.set_size(entry.width, entry.height);
    forms::read_properties(control_, entry, file, rebuild);
  });
  if (!s.ok()) return s;
  loaded = true;
  return show();
}

Status Instance::save(PropertyBag& bag) {
  return step([&] { control_.WriteProperties(bag); });
}

Status Instance::resize(float width_twips, float height_twips) {
  // A window system sends no size message when the size stays, so no host raises Resize then:
  // the same script gives the same lines everywhere, and nothing is repainted for nothing.
  return step([&] {
    if (width_twips == surface_.width() && height_twips == surface_.height()) return;
    surface_.set_size(width_twips, height_twips);
    control_.Resize();
  });
}

Status Instance::show() {
  return step([&] { control_.Show(); });
}

Status Instance::focus_in() {
  if (focused_) return {};
  focused_ = true;
  Status first = step([&] { control_.EnterFocus(); });
  if (first.gone) return first;
  Status second = step([&] { control_.GotFocus(); });
  return first.ok() ? second : first;
}

Status Instance::focus_out() {
  if (!focused_) return {};
  focused_ = false;
  Status first = step([&] { control_.LostFocus(); });
  if (first.gone) return first;
  Status second = step([&] { control_.ExitFocus(); });
  return first.ok() ? second : first;
}

Hit Instance::hit(float x, float y) {
  const float width = surface_.width();
  // A box holds its left and top edges, not its right and bottom ones, as a window does.
  auto inside = [&](float left, float top, float w, float h, float& lx, float& ly) {
    if (mirrored_) left = width - left - w;
    if (!(x >= left && y >= top && x < left + w && y < top + h)) return false;
    lx = mirrored_ ? left + w - x : x - left;
    ly = y - top;
    return true;
  };
  Hit hit{PointerTarget::surface, x, y};
  if (inside(label_.left(), label_.top(), label_.width(), label_.height(), hit.x, hit.y))
    hit.target = PointerTarget::caption;
  else if (pic_.visible() != 0 && pic_.enabled() != 0 &&
           inside(pic_.left(), pic_.top(), pic_.width(), pic_.height(), hit.x, hit.y))
    hit.target = PointerTarget::picture;
  return hit;
}

Hit Instance::route(PointerAction action, std::int16_t button, float x, float y) {
  // A move with no button held ends a capture whose release went elsewhere.
  const bool held = held_ != 0 && !(action == PointerAction::move && button == 0);
  if (!held || !capture_) return hit(x, y);
  const float dx = x - capture_->x;
  return {capture_->target, capture_->flipped ? -dx : dx, y - capture_->y};
}

Status Instance::pointer(PointerAction action, std::int16_t button, std::int16_t shift, float x,
                         float y) {
  if (retired()) return {0, {}, true};
  const Hit at = route(action, button, x, y);
  if (action == PointerAction::move && button == 0) held_ = 0;
  if (held_ == 0) capture_.reset();
  if (action == PointerAction::down) {
    if (held_ == 0) {
      const bool flipped = mirrored_ && at.target != PointerTarget::surface;
      capture_ = Capture{at.target, flipped ? x + at.x : x - at.x, y - at.y, flipped};
    }
    held_ |= button;
  } else if (action == PointerAction::up) {
    held_ &= static_cast<std::int16_t>(~button);
  }
  return pointer(action, at.target, button, shift, at.x, at.y);
}

Status Instance::pointer(PointerAction action, PointerTarget target, std::int16_t button,
                         std::int16_t shift, float x, float y) {
  return step([&] {
    if (target == PointerTarget::picture && pic_.enabled() == 0) {
      x += pic_.left();
      y += pic_.top();
    }
    switch (action) {
      case PointerAction::down:
        return control_.MouseDown(button, shift, x, y);
      case PointerAction::move:
        return control_.MouseMove(button, shift, x, y);
      case PointerAction::up:
        return control_.MouseUp(button, shift, x, y);
    }
  });
}

Status Instance::key_down(std::int16_t key_code, std::int16_t shift) {
  return step([&] { control_.KeyDown(key_code, shift); });
}

Status Instance::key_press(std::int16_t key_ascii) {
  return step([&] { control_.KeyPress(key_ascii); });
}

Status Instance::key_up(std::int16_t key_code, std::int16_t shift) {
  return step([&] { control_.KeyUp(key_code, shift); });
}

Status Instance::access_key(std::int16_t key_ascii) {
  return step([&] { control_.AccessKeyPress(key_ascii); });
}

Status Instance::press() {
  return step([&] {
    if (!surface_.enabled()) return;
    std::int16_t space = 32, shift = 0;
    const Guard::KeysKept kept(*guard_);
    control_.KeyDown(space, shift);
    control_.KeyUp(space, shift);
  });
}

Status Instance::let_go() {
  return step([&] {
    if (!control_.pressed() || captured()) return;
    const Guard::KeysKept kept(*guard_);
    // Losing the focus disarms the key, so that its release clicks nothing; the release lights
    // the face as the focus does, which is put back as it is.
    control_.LostFocus();
    std::int16_t space = 32, shift = 0;
    control_.KeyUp(space, shift);
    if (!focused_) control_.LostFocus();
  });
}

Status Instance::tick() {
  return step([&] {
    if (timer_.enabled()) control_.Timer1_Timer();
  });
}

}  // namespace brelund::host
