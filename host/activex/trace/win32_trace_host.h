// The trace on the Win32 host: one control on the ActiveX host's own Win32 objects, in a child
// window of a real top-level window, driven by real input where the platform can carry what the
// script asks for, and by the instance's steps (said so in the output) where it cannot.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <optional>
#include <vector>

#include "host/activex/win32_host.h"
#include "host/common/instance.h"
#include "trace/host.h"

namespace brelund::ax::trace_win32 {

// One control with its objects and its window.
struct Control {
  Control(Site& site, host::EventSink& application, trace::Probe& probe, HWND form);
  ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void paint(HDC dc);
  // Where a pointer message at client pixel (x, y) lands: the target and its own twips.
  struct Routed {
    host::PointerTarget target;
    float x, y;
  };
  Routed route(int x, int y);

  Surface surface;
  Label label;
  Image pic;
  MaskCanvas mask;
  Timer timer;
  Platform platform;
  host::Instance instance;
  HWND hwnd = nullptr;
  // What the last input message's step returned, for the script line that sent the input.
  Status status;
  // Whether an input message is the one the script's verb is delivering. Others (a move the
  // system sends a window created under the pointer, say) are not the script's and never reach
  // the control.
  std::function<bool(HWND, UINT)> scripted;
};

class Win32Host final : public trace::InstanceHost, public Site {
 public:
  Win32Host();
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  void create(host::EventSink& application, trace::Probe& probe) override;
  bool exists() const override { return control_ != nullptr; }
  host::Instance& instance() override { return control_->instance; }
  host::StoredSurface& surface() override { return control_->surface; }
  host::Label& label() override { return control_->label; }
  host::Image& pic() override { return control_->pic; }
  host::Timer& timer() override { return control_->timer; }

  // Real input where the platform has it; otherwise the instance's step, said so through the
  // probe. Either way the step is done here, so the runner only reports its status.
  Status pointer(host::PointerAction action, host::PointerTarget target, std::int16_t button,
                 std::int16_t shift, float x, float y) override {
    return send_pointer(action, target, button, shift, x, y);
  }
  Status key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift) override;

  void set_sys_color(int index, OleColor rgb) override;
  void pin_label_size(float width_twips, float height_twips) override;
  void pointer_over() override;
  void pointer_away() override;
  void pointer_at(int x, int y) override;
  Status tick() override;
  void snapshot(const std::string& png_path) override;

 private:
  // The one message a delivery waits for; everything else of its kind is held back.
  struct Expect {
    UINT message;
    HWND hwnd;
    std::optional<WPARAM> wparam;
    bool arrived = false;
    // For pointer messages: where, in the window's client pixels.
    std::optional<LPARAM> lparam = std::nullopt;
  };

  // Site
  std::optional<bool> extender_bool(const wchar_t* name) override;
  FontRef ambient_font() override;
  void property_changed(std::string_view name) override;

  // Dispatches what the system sends. Input and timer messages reach the control only when they
  // are the expected one: the script says which notifications the control gets, and the
  // pointer moves and timer periods of the real system in between are not among them.
  void pump(Expect* expect, DWORD timeout_ms);
  // Moves the system pointer and lets the system settle.
  void move_pointer(POINT screen);
  POINT control_origin() const;
  // The window takes the size of the control's surface.
  void fit();
  bool over(POINT screen) const;
  // Sends the input and waits for the message it must become; false when none came.
  bool deliver(INPUT* inputs, UINT count, Expect expect);
  // Says why real input cannot carry the step, and hands it to the instance instead.
  Status simulated(const std::string& why, const std::function<Status()>& step);
  std::optional<std::string> key_refused(std::int16_t code, std::int16_t shift);
  std::optional<std::string> focus_refused();
  Status send_pointer(host::PointerAction action, host::PointerTarget target, std::int16_t button,
                      std::int16_t shift, float x, float y);
  Status send_key(bool down, std::int16_t code, std::int16_t shift);
  Status send_press(std::int16_t ascii);
  Status send_access(std::int16_t ascii);

  HWND form_ = nullptr;
  std::unique_ptr<Control> control_;
  // Controls replaced while one of their own steps was running: kept until the step is over.
  std::vector<std::unique_ptr<Control>> retired_;
  trace::Probe* probe_ = nullptr;
  // The message the pump is waiting for, while it waits.
  Expect* expect_ = nullptr;
  int dispatching_ = 0;
  // Where the script last put the system pointer, in screen pixels.
  POINT pointer_{0, 0};
  // The buttons real input holds down.
  std::int16_t held_ = 0;
};

}  // namespace brelund::ax::trace_win32
