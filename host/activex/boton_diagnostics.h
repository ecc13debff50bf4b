// A private COM interface of Brelund32.ocx for tools that watch one control from its container
// (the Win32 trace runner): what the control draws and lays out, which COM does not carry, and
// the few settings a tool pins so that runs compare across hosts. It is in neither the coclass
// nor the type library, and only QueryInterface for its own IID answers it.
//
// Only flat COM types cross it (BSTR, VARIANT_BOOL, plain numbers, interface pointers), so the
// container and the server share no C++ object and may be built apart.
//
//   IBotonDiagnostics  (the control answers it)
//     Watch(sink)            the sink hears what the control's host objects show; null stops
//     GetState(state)        the control's fields and children; the caller frees the BSTRs
//     PinLabelSize(pin,w,h)  the caption measures w x h twips (pin FALSE: measures its text)
//     PinSysColor(i, rgb)    system colour i answers rgb (0 to 255)
//     SetWindowFocusSteps(b) FALSE: the focus messages of the control's window leave the
//                            control's focus notifications to the tool (see Focus)
//     Hit(x, y, ...)         the part under a point of the surface (twips), in its own twips
//     Pointer/Key/Focus/Tick one step of the control as a notification would take it, for what
//                            the platform's real input cannot deliver exactly; failures come
//                            back as the control's HRESULT with an error object
//   IBotonWatchSink  (the tool implements it)
//     PaintBegin/PaintEnd, Line, CaptionColour   one PaintFace and what it draws
//     LaidOut, PicMoved                          layout, and the picture placed
//     MaskSet(w, h, pixels)                      the mask picture (ARGB rows; none: 0 x 0)
//     Refreshed                                  the control asked for a redraw
//     StepFailed(number, description)            a step of a window message failed, which the
//                                                window procedure has nobody else to tell
// Property changes come through the standard IPropertyNotifySink connection point.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <olectl.h>
#include <unknwn.h>

#include <utility>

namespace brelund::ax {

// {74B5FB89-DF23-4144-9478-B0745D617A04}
inline constexpr IID IID_IBotonDiagnostics = {
    0x74b5fb89, 0xdf23, 0x4144, {0x94, 0x78, 0xb0, 0x74, 0x5d, 0x61, 0x7a, 0x04}};
// {CB61F35D-CB49-49C2-A2CB-421CC8CA395F}
inline constexpr IID IID_IBotonWatchSink = {
    0xcb61f35d, 0xcb49, 0x49c2, {0xa2, 0xcb, 0x42, 0x1c, 0xc8, 0xca, 0x39, 0x5f}};

// The numbers of the parts, actions and verbs, as host::PointerTarget, host::PointerAction and
// the trace's key and focus verbs order them.
enum : LONG { kDiagSurface = 0, kDiagCaption = 1, kDiagPicture = 2 };
enum : LONG { kDiagDown = 0, kDiagMove = 1, kDiagUp = 2 };
enum : LONG { kDiagKeyDown = 0, kDiagKeyUp = 1, kDiagKeyPress = 2, kDiagKeyAccess = 3 };
enum : LONG { kDiagEnter = 0, kDiagGot = 1, kDiagExit = 2, kDiagLost = 3 };

struct BotonDiagState {
  // The control's fields (booleans as the control keeps them: 0 or -1).
  SHORT highlighted, pressed;
  OLE_COLOR fore_field, back_field;
  LONG roundness_3d;
  SHORT create_region;
  LONG light, round_size;
  // Timer1, the surface, and the two children.
  VARIANT_BOOL timer_enabled;
  LONG timer_interval;
  VARIANT_BOOL enabled;
  OLE_COLOR back_color;
  FLOAT scale_width, scale_height;
  BSTR label_caption, label_tool_tip;
  OLE_COLOR label_fore_color;
  FLOAT label_left, label_top, label_width, label_height;
  VARIANT_BOOL pic_visible, pic_enabled;
  BSTR pic_tool_tip;
  FLOAT pic_left, pic_top, pic_width, pic_height;
};

// A state read through GetState, which owns the three strings it carries.
class DiagState {
 public:
  DiagState() = default;
  DiagState(const DiagState&) = delete;
  DiagState& operator=(const DiagState&) = delete;
  DiagState(DiagState&& o) noexcept : s_(std::exchange(o.s_, {})) {}
  ~DiagState() { release(); }
  // For GetState to fill; the strings it held before are freed.
  BotonDiagState* put() noexcept {
    release();
    return &s_;
  }
  const BotonDiagState& operator*() const noexcept { return s_; }
  const BotonDiagState* operator->() const noexcept { return &s_; }

 private:
  void release() noexcept {
    SysFreeString(s_.label_caption);
    SysFreeString(s_.label_tool_tip);
    SysFreeString(s_.pic_tool_tip);
    s_ = {};
  }
  BotonDiagState s_{};
};

struct IBotonWatchSink : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE PaintBegin(BOOL lit, BOOL pressed) = 0;
  virtual HRESULT STDMETHODCALLTYPE PaintEnd() = 0;
  virtual HRESULT STDMETHODCALLTYPE Line(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2, OLE_COLOR rgb) = 0;
  virtual HRESULT STDMETHODCALLTYPE CaptionColour(OLE_COLOR rgb) = 0;
  virtual HRESULT STDMETHODCALLTYPE LaidOut() = 0;
  virtual HRESULT STDMETHODCALLTYPE PicMoved() = 0;
  virtual HRESULT STDMETHODCALLTYPE MaskSet(LONG width, LONG height, const UINT32* argb) = 0;
  virtual HRESULT STDMETHODCALLTYPE Refreshed() = 0;
  virtual HRESULT STDMETHODCALLTYPE StepFailed(LONG number, BSTR description) = 0;
};

struct IBotonDiagnostics : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Watch(IBotonWatchSink* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetState(BotonDiagState* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE PinLabelSize(BOOL pin, FLOAT width, FLOAT height) = 0;
  virtual HRESULT STDMETHODCALLTYPE PinSysColor(LONG index, OLE_COLOR rgb) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetWindowFocusSteps(BOOL on) = 0;
  virtual HRESULT STDMETHODCALLTYPE Hit(FLOAT x, FLOAT y, LONG* target, FLOAT* part_x,
                                        FLOAT* part_y) = 0;
  virtual HRESULT STDMETHODCALLTYPE Pointer(LONG action, LONG target, SHORT button, SHORT shift,
                                            FLOAT x, FLOAT y) = 0;
  virtual HRESULT STDMETHODCALLTYPE Key(LONG verb, SHORT code, SHORT shift) = 0;
  virtual HRESULT STDMETHODCALLTYPE Focus(LONG verb) = 0;
  virtual HRESULT STDMETHODCALLTYPE Tick() = 0;
};

}  // namespace brelund::ax
