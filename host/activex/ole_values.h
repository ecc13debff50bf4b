// The control's values in the automation world: VARIANTs, StdFont and StdPicture objects.
// Converting an object and back gives the same object again (the cache), so that a client that
// assigns a picture and reads it back holds the object it assigned, as automation clients expect.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "host/activex/com_ptr.h"
#include "brelund/values.h"

namespace brelund::ax {

class ObjectCache {
 public:
  // VARIANT to the control's Variant; throws brelund::Error (type mismatch) for what it cannot
  // hold.
  Variant from_variant(const VARIANT& v);
  // The control's Variant to a new VARIANT the caller owns.
  void to_variant(const Variant& v, VARIANT* out);

  FontRef font_of(IUnknown* unk);
  // The font object `unk` (one this cache handed out or was given) as it is now, after a client
  // changed it: a new font value, bound to the same object from here on.
  FontRef refresh_font(IUnknown* unk);
  ComPtr<IFontDisp> font_object(const FontRef& font);
  PictureRef picture_of(IUnknown* unk);
  ComPtr<IPictureDisp> picture_object(const PictureRef& picture);
  // A picture in the system picture object's own persistent form (what its IPersistStream
  // writes, which OleLoadPicture reads), and back: the object read is the one the control
  // hands out afterwards, so an icon stays an icon and a metafile a metafile. picture_bytes
  // answers nullopt for a picture with no image; read_picture null for bytes the system cannot
  // read or a picture past the size limit.
  std::optional<std::vector<std::uint8_t>> picture_bytes(const PictureRef& picture);
  PictureRef read_picture(const std::uint8_t* data, std::size_t size) noexcept;

 private:
  template <class Ref, class Obj>
  struct Entry {
    std::weak_ptr<const typename Ref::element_type> value;
    ComPtr<Obj> object;
  };
  std::vector<Entry<FontRef, IFontDisp>> fonts_;
  std::vector<Entry<PictureRef, IPictureDisp>> pictures_;
};

// The largest picture the control draws, per side in pixels: rendering one takes 4 bytes a
// pixel twice over (see picture_from_ipicture), 64 MB each at this size.
inline constexpr int kMaxPictureSide = 4096;

// A fresh GDI font for drawing or measuring text in the given font.
HFONT create_gdi_font(const Font& font);

}  // namespace brelund::ax
