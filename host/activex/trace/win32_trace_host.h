// The trace on the Win32 host: a small OLE container around the shipped server, Brelund32.ocx,
// loaded from the runner's own folder. The control is made by the server's class factory, sited
// on a real top-level window, activated in place, driven by real input to its own window where
// the platform can carry exactly what the script asks for, and read and written through its
// automation interface; what COM does not carry (paints, layout, the mask) comes through the
// server's private diagnostic interface (host/activex/boton_diagnostics.h).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/activex/trace/trace_com.h"
#include "trace/host.h"

namespace brelund::ax::trace_win32 {

// The server's DLL, loaded once, and its class factory for the control.
class Server {
 public:
  Server();
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ComPtr<IOleObject> create() const;

 private:
  HMODULE dll_ = nullptr;
  ComPtr<IClassFactory> factory_;
};

class Win32Host final : public trace::Host {
 public:
  Win32Host();
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  void create(host::EventSink& application, trace::Probe& probe) override;
  bool exists() const override { return control_ != nullptr; }

  Status init() override;
  Status load(host::PropertyBag& bag) override;
  Status save(host::MemoryPropertyBag& bag) override;
  Status resize(float width_twips, float height_twips) override;
  Status show() override;
  Status let(const Member& member, const Variant& value) override;
  Status get(const Member& member, std::optional<Variant>& result) override;

  Status pointer(host::PointerAction action, host::PointerTarget target, std::int16_t button,
                 std::int16_t shift, float x, float y) override;
  Status key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift) override;
  Status focus(trace::FocusVerb verb) override;
  Status tick() override;

  void set_sys_color(int index, OleColor rgb) override;
  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) override;
  void set_ambient_font(FontRef font) override;
  void pin_label_size(float width_twips, float height_twips) override;
  void pointer_over() override;
  void pointer_away() override;
  void pointer_at(int x, int y) override;

  trace::StateView state() override;
  bool enabled() override;
  trace::Placement placement() override;
  void snapshot(const std::string& png_path) override;

 private:
  // One control as the container holds it.
  struct Control {
    ComPtr<IOleObject> ole;
    ComPtr<IDispatch> disp;
    ComPtr<IBotonDiagnostics> diag;
    ComPtr<ClientSite> site;
    ComPtr<Listener> listener;
    std::shared_ptr<Surroundings> around;
    DWORD event_cookie = 0, notify_cookie = 0;
    HWND hwnd = nullptr;  // its window while it is in place
  };
  // The message a delivery waits for; everything else of its kind is held back.
  struct Expect {
    UINT message;
    HWND hwnd;
    std::optional<WPARAM> wparam;
    bool arrived = false;
    std::optional<LPARAM> lparam = std::nullopt;
    // Another message that carries the same notification (a press the system makes a
    // double-click), or 0.
    UINT or_message = 0;
  };
  // What the container knows of the part that took a real press while real buttons are held.
  struct Capture {
    host::PointerTarget target;
    float x, y;  // the part's origin on the surface when pressed, in twips
  };

  void let_go(std::unique_ptr<Control> c) noexcept;
  void ambient_changed(DISPID id);
  void pump(Expect* expect, DWORD timeout_ms);
  void move_pointer(POINT screen);
  // The control's window, or where it will be before it is shown.
  RECT window_rect() const;
  bool over(POINT screen) const;
  bool deliver(INPUT* inputs, UINT count, Expect expect, Status& status);
  Status simulated(const std::string& why, const std::function<HRESULT()>& step);
  std::optional<std::string> key_refused(std::int16_t code, std::int16_t shift);
  std::optional<std::string> focus_refused();
  Status send_key(bool down, std::int16_t code, std::int16_t shift);
  Status send_press(std::int16_t ascii);
  Status send_access(std::int16_t ascii);
  DiagState read_state();

  Server server_;
  ObjectCache objects_;
  HWND form_ = nullptr;
  std::unique_ptr<Control> control_;
  trace::Probe* probe_ = nullptr;
  Expect* expect_ = nullptr;
  POINT pointer_{0, 0};
  std::int16_t held_ = 0;
  std::optional<Capture> capture_;
};

}  // namespace brelund::ax::trace_win32
