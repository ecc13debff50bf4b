// IBotonDiagnostics: what a tool in the container learns and pins through the control's private
// interface (see boton_diagnostics.h). The watcher forwards the host objects' reports to the
// tool's sink as they happen, inside the step that caused them.
#include <string>
#include <vector>

#include "host/activex/boton_object.h"

namespace brelund::ax {

namespace {

BSTR bstr_of(const std::string& utf8) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
  if (!b) throw Error(errors::kOutOfMemory, "Out of memory");
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), b, n);
  return b;
}

VARIANT_BOOL vb(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

// ---- the watcher: the host objects' reports, handed on ----

void DiagnosticWatcher::paint_begin(bool lit, bool pressed) {
  if (sink) sink->PaintBegin(lit, pressed);
}
void DiagnosticWatcher::paint_end() {
  if (sink) sink->PaintEnd();
}
void DiagnosticWatcher::laid_out() {
  if (sink) sink->LaidOut();
}
void DiagnosticWatcher::refreshed() {
  if (sink) sink->Refreshed();
}
void DiagnosticWatcher::mask_set(const MaskRef& mask) {
  if (!sink) return;
  // The container reads the mask as the black-on-white picture it stands for.
  const PictureRef picture = mask ? mask->picture() : nullptr;
  const int w = picture ? picture->width : 0, h = picture ? picture->height : 0;
  std::vector<UINT32> argb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0u);
  if (picture)
    std::copy_n(picture->pixels.begin(), std::min(argb.size(), picture->pixels.size()),
                argb.begin());
  sink->MaskSet(w, h, argb.data());
}
void DiagnosticWatcher::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  if (sink) sink->Line(x1, y1, x2, y2, rgb);
}
void DiagnosticWatcher::caption_colour(OleColor c) {
  if (sink) sink->CaptionColour(c);
}
void DiagnosticWatcher::pic_moved() {
  if (sink) sink->PicMoved();
}
void DiagnosticWatcher::failed(const Status& s) noexcept {
  if (!sink || s.ok() || s.gone) return;
  try {
    Bstr d(bstr_of(s.description));
    sink->StepFailed(s.number, d.get());
  } catch (...) {
    sink->StepFailed(s.number, nullptr);
  }
}

// ---- IBotonDiagnostics ----

HRESULT BotonObject::Watch(IBotonWatchSink* sink) {
  diagnostics_.sink = ComPtr<IBotonWatchSink>(sink);
  instance_.watch(sink ? &diagnostics_ : nullptr);
  return S_OK;
}

HRESULT BotonObject::GetState(BotonDiagState* out) {
  if (!out) return E_POINTER;
  *out = BotonDiagState{};
  return com_call([&] {
    const BotonFields f = control().fields();
    BotonDiagState s{};
    s.highlighted = f.m_Highlighted;
    s.pressed = f.m_Pressed;
    s.fore_field = f.m_ForeColor;
    s.back_field = f.m_BackColor;
    s.roundness_3d = f.m_Roundness3D;
    s.create_region = f.m_CreateRegion;
    s.light = f.m_Light;
    s.round_size = f.m_RoundSize;
    s.timer_enabled = vb(timer_.enabled());
    s.timer_interval = timer_.interval();
    s.enabled = vb(surface_.enabled() != 0);
    s.back_color = surface_.back_color();
    s.scale_width = surface_.scale_width();
    s.scale_height = surface_.scale_height();
    s.label_fore_color = label_.fore_color();
    s.label_left = label_.left();
    s.label_top = label_.top();
    s.label_width = label_.width();
    s.label_height = label_.height();
    s.pic_visible = vb(pic_.visible() != 0);
    s.pic_enabled = vb(pic_.enabled() != 0);
    s.pic_left = pic_.left();
    s.pic_top = pic_.top();
    s.pic_width = pic_.width();
    s.pic_height = pic_.height();
    // The strings last: nothing after them can fail and leave them unowned.
    Bstr caption(bstr_of(label_.caption())), label_tip(bstr_of(label_.tool_tip_text())),
        pic_tip(bstr_of(pic_.tool_tip_text()));
    s.label_caption = caption.detach();
    s.label_tool_tip = label_tip.detach();
    s.pic_tool_tip = pic_tip.detach();
    *out = s;
  });
}

HRESULT BotonObject::PinLabelSize(BOOL pin, FLOAT width, FLOAT height) {
  const Step step(*this);
  return com_call([&] {
    label_.pin_size(pin ? std::optional(std::pair{width, height}) : std::nullopt);
  });
}

HRESULT BotonObject::PinSysColor(LONG index, OLE_COLOR rgb) {
  return com_call([&] { platform_.pin_sys_color(index, static_cast<OleColor>(rgb)); });
}

HRESULT BotonObject::SetWindowFocusSteps(BOOL on) {
  window_focus_steps_ = on != FALSE;
  return S_OK;
}

HRESULT BotonObject::Hit(FLOAT x, FLOAT y, LONG* target, FLOAT* part_x, FLOAT* part_y) {
  if (!target || !part_x || !part_y) return E_POINTER;
  const host::Hit h = instance_.hit(x, y);
  *target = static_cast<LONG>(h.target);
  *part_x = h.x;
  *part_y = h.y;
  return S_OK;
}

HRESULT BotonObject::Pointer(LONG action, LONG target, SHORT button, SHORT shift, FLOAT x,
                             FLOAT y) {
  if (action < kDiagDown || action > kDiagUp || target < kDiagSurface || target > kDiagPicture)
    return E_INVALIDARG;
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    raise_on_failure(instance_.pointer(static_cast<host::PointerAction>(action),
                                       static_cast<host::PointerTarget>(target), button, shift, x,
                                       y));
  });
}

HRESULT BotonObject::Key(LONG verb, SHORT code, SHORT shift) {
  if (verb < kDiagKeyDown || verb > kDiagKeyAccess) return E_INVALIDARG;
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    switch (verb) {
      case kDiagKeyDown:
        return raise_on_failure(instance_.key_down(code, shift));
      case kDiagKeyUp:
        return raise_on_failure(instance_.key_up(code, shift));
      case kDiagKeyPress:
        return raise_on_failure(instance_.key_press(code));
      default:
        return raise_on_failure(instance_.access_key(code));
    }
  });
}

// One focus notification alone, as a container that gives them itself would (the window's
// own focus messages give them in pairs; see SetWindowFocusSteps).
HRESULT BotonObject::Focus(LONG verb) {
  if (verb < kDiagEnter || verb > kDiagLost) return E_INVALIDARG;
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    Boton& b = control();
    raise_on_failure(guarded([&] {
      switch (verb) {
        case kDiagEnter:
          return b.EnterFocus();
        case kDiagGot:
          return b.GotFocus();
        case kDiagExit:
          return b.ExitFocus();
        default:
          return b.LostFocus();
      }
    }));
  });
}

HRESULT BotonObject::Tick() {
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    raise_on_failure(instance_.tick());
  });
}

}  // namespace brelund::ax
