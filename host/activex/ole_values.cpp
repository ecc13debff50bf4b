#include "host/activex/ole_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>

#include "host/activex/gdi.h"
#include "host/activex/screen_units.h"
#include "host/activex/utf16.h"
#include "brelund/error.h"
#include "control/numeric.h"

namespace brelund::ax {

namespace {

// The automation error number of a picture the control cannot take.
constexpr int kInvalidPicture = 481;

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

// Renders the picture on white and on black: a pixel that differs between the two lies where
// the picture draws nothing (an icon's mask, a metafile's background) and stays transparent.
PictureRef picture_from_ipicture(IPicture* pic) {
  OLE_HANDLE handle = 0;
  if (FAILED(pic->get_Handle(&handle)) || handle == 0) return make_empty_picture();
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  pic->get_Width(&hw);
  pic->get_Height(&hh);
  SHORT type = PICTYPE_NONE;
  pic->get_Type(&type);
  // An enhanced metafile is played by GDI itself, at the size its header gives (in HIMETRIC,
  // as the picture's): the picture object's own sizes and rendering of one are not reliable
  // on every system.
  const auto emf = reinterpret_cast<HENHMETAFILE>(static_cast<UINT_PTR>(handle));
  if (type == PICTYPE_ENHMETAFILE) {
    ENHMETAHEADER head{};
    if (GetEnhMetaFileHeader(emf, sizeof head, &head) == 0) errors::type_mismatch();
    hw = head.rclFrame.right - head.rclFrame.left;
    hh = head.rclFrame.bottom - head.rclFrame.top;
  }
  // The picture object measured the bitmap's pixels at the screen's DPI; the control shows them
  // one to one.
  const ScreenDpi dpi = screen_dpi();
  const double pw = std::fabs(pixels_of_himetric(hw, dpi.x));
  const double ph = std::fabs(pixels_of_himetric(hh, dpi.y));
  if (pw > kMaxPictureSide || ph > kMaxPictureSide)
    throw Error(kInvalidPicture, "The picture of " + std::to_string(std::lround(pw)) + " x " +
                                     std::to_string(std::lround(ph)) + " pixels is larger than " +
                                     std::to_string(kMaxPictureSide) + " pixels per side");
  const int w = std::max(1, static_cast<int>(std::lround(pw)));
  const int h = std::max(1, static_cast<int>(std::lround(ph)));
  const std::size_t count = num::area(static_cast<std::size_t>(w), static_cast<std::size_t>(h));
  auto render = [&](std::uint32_t background, Pixels& into) {
    std::uint32_t* bits = nullptr;
    Bitmap dib = make_dib(w, h, &bits);
    std::fill(bits, bits + count, background);
    MemoryDc dc;
    Selection sel(dc.get(), dib.get());
    // A picture whose type GDI cannot render (or a broken one) is no picture for the control.
    if (type == PICTYPE_ENHMETAFILE) {
      const RECT all{0, 0, w, h};
      if (!PlayEnhMetaFile(dc.get(), emf, &all)) errors::type_mismatch();
    } else if (FAILED(pic->Render(dc.get(), 0, 0, w, h, 0, hh, hw, -hh, nullptr))) {
      errors::type_mismatch();
    }
    GdiFlush();
    into.assign(bits, bits + count);
  };
  Pixels on_white, on_black;
  render(0xFFFFFFFFu, on_white);
  render(0x00000000u, on_black);
  for (std::size_t i = 0; i < count; ++i)
    on_white[i] = (on_white[i] & 0xFFFFFFu) == (on_black[i] & 0xFFFFFFu) ? on_white[i] | 0xFF000000u
                                                                         : 0x00000000u;
  return make_picture(w, h, std::move(on_white));
}

// The bytes of a stream from its start.
std::vector<std::uint8_t> stream_bytes(IStream& s) {
  HGLOBAL g = nullptr;
  if (FAILED(GetHGlobalFromStream(&s, &g))) throw Error(errors::kOutOfMemory, "Out of memory");
  STATSTG st{};
  if (FAILED(s.Stat(&st, STATFLAG_NONAME))) throw Error(errors::kDeviceIo, "Device I/O error");
  const auto* p = static_cast<const std::uint8_t*>(GlobalLock(g));
  if (!p) throw Error(errors::kOutOfMemory, "Out of memory");
  std::vector<std::uint8_t> out(p, p + st.cbSize.QuadPart);
  GlobalUnlock(g);
  return out;
}

// An icon in the picture object's persistent form: the "lt" header and an icon file of one
// 32-bit image with its mask, made from the pixels the control drew it as. Written by us for
// every icon, as some systems' picture objects save monochrome icons in a form that they cannot
// read back.
std::optional<std::vector<std::uint8_t>> icon_bytes(const Picture& p) {
  const int w = p.width, h = p.height;
  if (w <= 0 || h <= 0 || w > 256 || h > 256) return std::nullopt;
  const std::size_t mask_row = static_cast<std::size_t>((w + 31) / 32) * 4;
  const std::size_t colour = static_cast<std::size_t>(w) * h * 4, mask = mask_row * h;
  const std::size_t image = 40 + colour + mask, file = 6 + 16 + image;
  std::vector<std::uint8_t> out(8 + file, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&out[at], &v, 4); };
  auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&out[at], &v, 2); };
  put32(0, 0x0000746Cu);  // "lt"
  put32(4, static_cast<std::uint32_t>(file));
  const std::size_t f = 8;
  put16(f + 2, 1);  // an icon file, one image
  put16(f + 4, 1);
  out[f + 6] = static_cast<std::uint8_t>(w & 0xFF);  // 256 is written as 0
  out[f + 7] = static_cast<std::uint8_t>(h & 0xFF);
  put16(f + 10, 1);   // planes
  put16(f + 12, 32);  // bits per pixel
  put32(f + 14, static_cast<std::uint32_t>(image));
  put32(f + 18, 6 + 16);
  const std::size_t b = f + 22;
  put32(b, 40);
  put32(b + 4, static_cast<std::uint32_t>(w));
  put32(b + 8, static_cast<std::uint32_t>(2 * h));  // colour and mask, bottom row first
  put16(b + 12, 1);
  put16(b + 14, 32);
  put32(b + 20, static_cast<std::uint32_t>(colour + mask));
  for (int y = 0; y < h; ++y) {
    const std::size_t row = static_cast<std::size_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t px = p.pixels[static_cast<std::size_t>(y) * w + x];
      std::memcpy(&out[b + 40 + (row * w + x) * 4], &px, 4);
      if ((px >> 24) == 0) out[b + 40 + colour + row * mask_row + x / 8] |= 0x80 >> (x % 8);
    }
  }
  return out;
}

// An enhanced metafile in the picture object's persistent form: the "lt" header and the
// metafile's own bytes, for systems whose picture object cannot save one itself.
std::optional<std::vector<std::uint8_t>> enhmetafile_bytes(IPicture& pic) {
  OLE_HANDLE handle = 0;
  if (FAILED(pic.get_Handle(&handle))) return std::nullopt;
  const auto emf = reinterpret_cast<HENHMETAFILE>(static_cast<UINT_PTR>(handle));
  const UINT size = GetEnhMetaFileBits(emf, 0, nullptr);
  if (size == 0) return std::nullopt;
  std::vector<std::uint8_t> out(8 + size);
  const std::uint32_t head[2] = {0x0000746Cu, size};
  std::memcpy(out.data(), head, sizeof head);
  if (GetEnhMetaFileBits(emf, size, &out[8]) != size) return std::nullopt;
  return out;
}

// A Windows metafile in the picture object's persistent form: the "lt" header and a
// placeable metafile, for systems whose picture object cannot save one itself.
std::optional<std::vector<std::uint8_t>> metafile_bytes(IPicture& pic) {
  OLE_HANDLE handle = 0;
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  if (FAILED(pic.get_Handle(&handle)) || FAILED(pic.get_Width(&hw)) || FAILED(pic.get_Height(&hh)))
    return std::nullopt;
  const auto mf = reinterpret_cast<HMETAFILE>(static_cast<UINT_PTR>(handle));
  const UINT size = GetMetaFileBitsEx(mf, 0, nullptr);
  if (size == 0) return std::nullopt;
  constexpr int kPlaceableSize = 22;
  constexpr std::uint16_t kUnitsPerInch = 2540;  // the header's box in HIMETRIC
  std::vector<std::uint8_t> out(8 + kPlaceableSize + size);
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&out[at], &v, 4); };
  auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&out[at], &v, 2); };
  put32(0, 0x0000746Cu);  // "lt"
  put32(4, kPlaceableSize + size);
  put32(8, 0x9AC6CDD7u);  // placeable metafile key
  put16(12, 0);           // hmf
  put16(14, 0);           // box: left, top, right, bottom
  put16(16, 0);
  put16(18, static_cast<std::uint16_t>(std::min<long>(hw, 0x7FFF)));
  put16(20, static_cast<std::uint16_t>(std::min<long>(hh, 0x7FFF)));
  put16(22, kUnitsPerInch);
  put32(24, 0);  // reserved
  std::uint16_t check = 0;
  for (int i = 0; i < 10; ++i) {
    std::uint16_t word = 0;
    std::memcpy(&word, &out[8 + 2 * i], 2);
    check ^= word;
  }
  put16(28, check);
  if (GetMetaFileBitsEx(mf, size, &out[8 + kPlaceableSize]) != size) return std::nullopt;
  return out;
}

}  // namespace

HFONT create_gdi_font(const Font& font) {
  LOGFONTW lf{};
  // Points are 1/72 inch: at 144 pixels per inch a caption is half as tall again in pixels.
  lf.lfHeight = -static_cast<LONG>(std::lround(font.size * screen_dpi().y / 72.0));
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

std::optional<std::vector<std::uint8_t>> ObjectCache::picture_bytes(const PictureRef& picture) {
  if (!picture || picture->handle == 0) return std::nullopt;
  ComPtr<IPictureDisp> obj = picture_object(picture);
  ComPtr<IPicture> pic = obj.query<IPicture>(IID_IPicture);
  if (!pic) return std::nullopt;
  SHORT type = PICTYPE_NONE;
  if (FAILED(pic->get_Type(&type))) return std::nullopt;
  if (type == PICTYPE_ICON) return icon_bytes(*picture);
  ComPtr<IPersistStream> persist = obj.query<IPersistStream>(IID_IPersistStream);
  ComPtr<IStream> s;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, s.put())))
    throw Error(errors::kOutOfMemory, "Out of memory");
  if (persist && SUCCEEDED(persist->Save(s.get(), FALSE))) return stream_bytes(*s.get());
  if (type == PICTYPE_METAFILE) return metafile_bytes(*pic.get());
  if (type == PICTYPE_ENHMETAFILE) return enhmetafile_bytes(*pic.get());
  return std::nullopt;  // written as pixels instead
}

PictureRef ObjectCache::read_picture(const std::uint8_t* data, std::size_t size) noexcept {
  PictureRef result;
  const Status s = guarded([&] {
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return;
    ULONG done = 0;
    if (size > 0xFFFFFFFFu || FAILED(stream->Write(data, static_cast<ULONG>(size), &done)) ||
        done != size)
      return;
    if (FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr))) return;
    ComPtr<IPictureDisp> obj;
    if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPictureDisp,
                              obj.put_void())) ||
        !obj)
      return;
    result = picture_of(obj.get());
  });
  return s.ok() ? result : nullptr;
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
