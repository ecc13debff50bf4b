// The pointer over the control is its MousePointer: the control's window answers WM_SETCURSOR
// itself (in any container), with the system cursor of the shape, or the MouseIcon for the
// custom shape 99. Shape 0 leaves the pointer to the window's parent and class.
#include "client_com.h"

namespace client {

namespace {

HCURSOR cursor_after_setcursor(HWND ctl) {
  SetCursor(nullptr);
  SendMessageW(ctl, WM_SETCURSOR, reinterpret_cast<WPARAM>(ctl),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

}  // namespace

void pointer_shape_checks(IDispatch* d, HWND ctl, const char* where) {
  const std::string in = std::string(" (") + where + ")";
  CHECK_HR(put(d, L"MousePointer", long_value(2)), S_OK, "MousePointer = 2");
  check(cursor_after_setcursor(ctl) == LoadCursorW(nullptr, IDC_CROSS),
        ("shape 2 shows the cross" + in).c_str());
  CHECK_HR(put(d, L"MousePointer", long_value(11)), S_OK, "MousePointer = 11");
  check(cursor_after_setcursor(ctl) == LoadCursorW(nullptr, IDC_WAIT),
        ("shape 11 shows the hourglass" + in).c_str());

  // The custom shape with an icon picture shows that very icon.
  HICON icon = CreateIcon(nullptr, 32, 32, 1, 1, std::vector<BYTE>(128, 0xFF).data(),
                          std::vector<BYTE>(128, 0x00).data());
  PICTDESC pd{};
  pd.cbSizeofstruct = sizeof pd;
  pd.picType = PICTYPE_ICON;
  pd.icon.hicon = icon;
  ComPtr<IPictureDisp> pic;
  CHECK_HR(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, pic.put_void()), S_OK,
           "an icon picture");
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = pic.get();
  CHECK_HR(put(d, L"MouseIcon", v, DISPATCH_PROPERTYPUTREF), S_OK, "Set MouseIcon");
  CHECK_HR(put(d, L"MousePointer", long_value(99)), S_OK, "MousePointer = 99");
  check(cursor_after_setcursor(ctl) == icon, ("shape 99 shows the MouseIcon" + in).c_str());

  // The default shape is the window class's arrow (the control sets nothing itself).
  CHECK_HR(put(d, L"MousePointer", long_value(0)), S_OK, "MousePointer = 0");
  check(cursor_after_setcursor(ctl) == LoadCursorW(nullptr, IDC_ARROW),
        ("shape 0 leaves the arrow" + in).c_str());
}

}  // namespace client
