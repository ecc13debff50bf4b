#include "host/activex/ole_values.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "host/activex/gdi.h"
#include "host/activex/utf16.h"
#include "brelund/error.h"
#include "control/numeric.h"

namespace brelund::ax {

namespace {

// A top-down 32-bit DIB section: its bits are the control's 0xAARRGGBB pixels byte for byte.
Bitmap make_dib(int w, int h, std::uint32_t** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  Bitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
  if (!bmp) throw Error(errors::kOutOfMemory, "Out of memory");
  *bits = static_cast<std::uint32_t*>(p);
  return bmp;
}

PictureRef picture_from_ipicture(IPicture* pic) {
  OLE_HANDLE handle = 0;
  if (FAILED(pic->get_Handle(&handle)) || handle == 0) return make_empty_picture();
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  pic->get_Width(&hw);
  pic->get_Height(&hh);
  const int w = std::max(1, static_cast<int>(std::lround(hw * 96.0 / 2540.0)));
  const int h = std::max(1, static_cast<int>(std::lround(hh * 96.0 / 2540.0)));
  std::uint32_t* bits = nullptr;
  Bitmap dib = make_dib(w, h, &bits);
  const std::size_t count = num::area(static_cast<std::size_t>(w), static_cast<std::size_t>(h));
  std::fill(bits, bits + count, 0xFFFFFFFFu);
  {
    MemoryDc dc;
    Selection sel(dc.get(), dib.get());
    if (FAILED(pic->Render(dc.get(), 0, 0, w, h, 0, hh, hw, -hh, nullptr))) errors::type_mismatch();
    GdiFlush();
  }
  std::vector<std::uint32_t> px(bits, bits + count);
  for (auto& p : px) p |= 0xFF000000u;  // GDI leaves alpha at 0: the picture is opaque
  return make_picture(w, h, std::move(px));
}

}  // namespace

HFONT create_gdi_font(const Font& font) {
  LOGFONTW lf{};
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  lf.lfHeight = -static_cast<LONG>(std::lround(font.size * dpi / 72.0));
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic;
  lf.lfUnderline = font.underline;
  lf.lfStrikeOut = font.strikethrough;
  lf.lfCharSet = static_cast<BYTE>(font.charset);
  const std::wstring name = widen(font.name);
  lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

namespace {
FontRef read_font(IFont& font) {
  auto f = std::make_shared<Font>();
  Bstr name;
  if (SUCCEEDED(font.get_Name(name.put()))) f->name = narrow(name.get());
  CY size{};
  if (SUCCEEDED(font.get_Size(&size))) f->size = static_cast<double>(size.int64) / 10000.0;
  BOOL b = FALSE;
  if (SUCCEEDED(font.get_Bold(&b))) f->bold = b;
  if (SUCCEEDED(font.get_Italic(&b))) f->italic = b;
  if (SUCCEEDED(font.get_Underline(&b))) f->underline = b;
  if (SUCCEEDED(font.get_Strikethrough(&b))) f->strikethrough = b;
  SHORT s = 0;
  if (SUCCEEDED(font.get_Weight(&s))) f->weight = s;
  if (SUCCEEDED(font.get_Charset(&s))) f->charset = s;
  return f;
}
}  // namespace

FontRef ObjectCache::font_of(IUnknown* unk) {
  ComPtr<IFont> font = ComPtr<IUnknown>(unk).query<IFont>(IID_IFont);
  if (!font) errors::type_mismatch();
  ComPtr<IUnknown> identity = ComPtr<IUnknown>(unk).query<IUnknown>(IID_IUnknown);
  for (auto& e : fonts_) {
    if (auto v = e.value.lock();
        v && e.object.query<IUnknown>(IID_IUnknown).get() == identity.get())
      return v;
  }
  FontRef f = read_font(*font.get());
  std::erase_if(fonts_, [](auto& e) { return e.value.expired(); });
  fonts_.push_back({f, font.query<IFontDisp>(IID_IFontDisp)});
  return f;
}

FontRef ObjectCache::refresh_font(IUnknown* unk) {
  ComPtr<IFont> font = ComPtr<IUnknown>(unk).query<IFont>(IID_IFont);
  if (!font) errors::type_mismatch();
  ComPtr<IUnknown> identity = ComPtr<IUnknown>(unk).query<IUnknown>(IID_IUnknown);
  std::erase_if(fonts_, [&](auto& e) {
    return e.value.expired() ||
           e.object.template query<IUnknown>(IID_IUnknown).get() == identity.get();
  });
  FontRef f = read_font(*font.get());
  fonts_.push_back({f, font.query<IFontDisp>(IID_IFontDisp)});
  return f;
}

ComPtr<IFontDisp> ObjectCache::font_object(const FontRef& font) {
  if (!font) return {};
  for (auto& e : fonts_)
    if (e.value.lock() == font) return e.object;
  const std::wstring name = widen(font->name);
  FONTDESC fd{};
  fd.cbSizeofstruct = sizeof(fd);
  fd.lpstrName = const_cast<LPOLESTR>(name.c_str());
  fd.cySize.int64 = std::llround(font->size * 10000.0);
  fd.sWeight = font->weight;
  fd.sCharset = font->charset;
  fd.fItalic = font->italic;
  fd.fUnderline = font->underline;
  fd.fStrikethrough = font->strikethrough;
  ComPtr<IFontDisp> obj;
  if (FAILED(OleCreateFontIndirect(&fd, IID_IFontDisp, obj.put_void())))
    throw Error(errors::kOutOfMemory, "Out of memory");
  std::erase_if(fonts_, [](auto& e) { return e.value.expired(); });
  fonts_.push_back({font, obj});
  return obj;
}

PictureRef ObjectCache::picture_of(IUnknown* unk) {
  ComPtr<IPicture> pic = ComPtr<IUnknown>(unk).query<IPicture>(IID_IPicture);
  if (!pic) errors::type_mismatch();
  ComPtr<IUnknown> identity = ComPtr<IUnknown>(unk).query<IUnknown>(IID_IUnknown);
  for (auto& e : pictures_) {
    if (auto v = e.value.lock();
        v && e.object.query<IUnknown>(IID_IUnknown).get() == identity.get())
      return v;
  }
  PictureRef p = picture_from_ipicture(pic.get());
  std::erase_if(pictures_, [](auto& e) { return e.value.expired(); });
  pictures_.push_back({p, pic.query<IPictureDisp>(IID_IPictureDisp)});
  return p;
}

ComPtr<IPictureDisp> ObjectCache::picture_object(const PictureRef& picture) {
  if (!picture) return {};
  for (auto& e : pictures_)
    if (e.value.lock() == picture) return e.object;
  PICTDESC pd{};
  pd.cbSizeofstruct = sizeof(pd);
  Bitmap bmp;
  if (picture->handle == 0) {
    pd.picType = PICTYPE_NONE;
  } else {
    std::uint32_t* bits = nullptr;
    bmp = make_dib(picture->width, picture->height, &bits);
    std::copy(picture->pixels.begin(), picture->pixels.end(), bits);
    pd.picType = PICTYPE_BITMAP;
    pd.bmp.hbitmap = bmp.get();
  }
  ComPtr<IPictureDisp> obj;
  if (FAILED(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, obj.put_void())))
    throw Error(errors::kOutOfMemory, "Out of memory");
  bmp.release();  // the picture object owns the bitmap now
  std::erase_if(pictures_, [](auto& e) { return e.value.expired(); });
  pictures_.push_back({picture, obj});
  return obj;
}

Variant ObjectCache::from_variant(const VARIANT& in) {
  VariantHolder v;
  if (FAILED(VariantCopyInd(v.get(), const_cast<VARIANT*>(&in)))) errors::type_mismatch();
  switch (V_VT(v.get())) {
    case VT_EMPTY:
    case VT_ERROR:
      return std::monostate{};
    case VT_NULL:
      throw Error(errors::kInvalidUseOfNull, "Invalid use of Null");
    case VT_BOOL:
      return V_BOOL(v.get()) != VARIANT_FALSE;
    case VT_I2:
      return static_cast<std::int16_t>(V_I2(v.get()));
    case VT_UI1:
      return static_cast<std::int16_t>(V_UI1(v.get()));
    case VT_I4:
    case VT_INT:
      return static_cast<std::int32_t>(V_I4(v.get()));
    case VT_BSTR:
      return narrow(V_BSTR(v.get()));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown* unk = V_UNKNOWN(v.get());
      if (!unk) return Nothing{};
      if (ComPtr<IUnknown>(unk).query<IFont>(IID_IFont)) return font_of(unk);
      return picture_of(unk);
    }
    default: {
      VariantHolder d;
      if (FAILED(VariantChangeType(d.get(), v.get(), 0, VT_R8))) errors::type_mismatch();
      return V_R8(d.get());
    }
  }
}

void ObjectCache::to_variant(const Variant& value, VARIANT* out) {
  VariantInit(out);
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
        } else if constexpr (std::is_same_v<T, Nothing>) {
          V_VT(out) = VT_DISPATCH;
          V_DISPATCH(out) = nullptr;
        } else if constexpr (std::is_same_v<T, bool>) {
          V_VT(out) = VT_BOOL;
          V_BOOL(out) = x ? VARIANT_TRUE : VARIANT_FALSE;
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
          V_VT(out) = VT_I2;
          V_I2(out) = x;
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
          V_VT(out) = VT_I4;
          V_I4(out) = x;
        } else if constexpr (std::is_same_v<T, double>) {
          V_VT(out) = VT_R8;
          V_R8(out) = x;
        } else if constexpr (std::is_same_v<T, std::string>) {
          const std::wstring w = widen(x);
          V_VT(out) = VT_BSTR;
          V_BSTR(out) = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        } else if constexpr (std::is_same_v<T, FontRef>) {
          V_VT(out) = VT_DISPATCH;
          V_DISPATCH(out) = font_object(x).detach();
        } else {
          V_VT(out) = VT_DISPATCH;
          V_DISPATCH(out) = picture_object(x).detach();
        }
      },
      value);
}

}  // namespace brelund::ax
