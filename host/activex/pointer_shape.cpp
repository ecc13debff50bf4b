#include "host/activex/pointer_shape.h"

#include <algorithm>
#include <cstring>

#include "host/activex/boton_object.h"
#include "host/activex/gdi.h"

namespace brelund::ax {

namespace {
constexpr std::int16_t kCustom = 99;

// A cursor of the picture's own pixels, hot spot at the top left; transparent pixels stay so.
HCURSOR cursor_of_pixels(const Picture& p) {
  if (p.width <= 0 || p.height <= 0) return nullptr;
  // Cursors larger than this are not shown by the system anyway.
  const int w = std::min(p.width, 256), h = std::min(p.height, 256);
  BITMAPV5HEADER bi{};
  bi.bV5Size = sizeof bi;
  bi.bV5Width = w;
  bi.bV5Height = -h;
  bi.bV5Planes = 1;
  bi.bV5BitCount = 32;
  bi.bV5Compression = BI_BITFIELDS;
  bi.bV5RedMask = 0x00FF0000;
  bi.bV5GreenMask = 0x0000FF00;
  bi.bV5BlueMask = 0x000000FF;
  bi.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  Bitmap colour(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits,
                                 nullptr, 0));
  Bitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
  if (!colour || !mask) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < h; ++y)
    std::memcpy(out + static_cast<std::size_t>(y) * w,
                p.pixels.data() + static_cast<std::size_t>(y) * p.width, w * sizeof(std::uint32_t));
  ICONINFO info{};
  info.fIcon = FALSE;
  info.hbmMask = mask.get();
  info.hbmColor = colour.get();
  return CreateIconIndirect(&info);  // copies the bitmaps
}
}  // namespace

PointerShape::~PointerShape() {
  if (made_) DestroyCursor(made_);
}

HCURSOR PointerShape::standard(std::int16_t pointer) {
  LPCWSTR id = nullptr;
  switch (pointer) {
    case 1:
      id = IDC_ARROW;
      break;
    case 2:
      id = IDC_CROSS;
      break;
    case 3:
      id = IDC_IBEAM;
      break;
    case 4:
      id = IDC_ICON;
      break;
    case 5:
      id = IDC_SIZEALL;
      break;
    case 6:
      id = IDC_SIZENESW;
      break;
    case 7:
      id = IDC_SIZENS;
      break;
    case 8:
      id = IDC_SIZENWSE;
      break;
    case 9:
      id = IDC_SIZEWE;
      break;
    case 10:
      id = IDC_UPARROW;
      break;
    case 11:
      id = IDC_WAIT;
      break;
    case 12:
      id = IDC_NO;
      break;
    case 13:
      id = IDC_APPSTARTING;
      break;
    case 14:
      id = IDC_HELP;
      break;
    case 15:
      id = IDC_SIZEALL;
      break;
    default:
      return nullptr;
  }
  return LoadCursorW(nullptr, id);
}

HCURSOR PointerShape::custom(const PictureRef& icon, ObjectCache& objects) {
  if (!icon || icon->handle == 0) return nullptr;
  // An icon picture is a cursor as it is, hot spot included.
  ComPtr<IPictureDisp> obj = objects.picture_object(icon);
  if (ComPtr<IPicture> pic = obj.query<IPicture>(IID_IPicture)) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(pic->get_Type(&type)) && type == PICTYPE_ICON &&
        SUCCEEDED(pic->get_Handle(&handle)) && handle)
      return reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(handle));
  }
  if (made_ && made_for_.lock() == icon) return made_;
  if (made_) DestroyCursor(std::exchange(made_, nullptr));
  made_ = cursor_of_pixels(*icon);
  made_for_ = icon;
  return made_;
}

bool PointerShape::apply(std::int16_t pointer, const PictureRef& icon, ObjectCache& objects) {
  const HCURSOR c = pointer == kCustom ? custom(icon, objects) : standard(pointer);
  if (!c) return false;
  SetCursor(c);
  return true;
}

bool BotonObject::set_pointer_shape() {
  bool set = false;
  const Status s = guarded([&] {
    set = pointer_shape_.apply(control().MousePointer(), control().MouseIcon(), objects_);
  });
  return s.ok() && set;
}

}  // namespace brelund::ax
