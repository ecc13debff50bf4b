// Value types shared by the control and every host: OLE colours, the Colores record, fonts,
// pictures and the small variant that a property bag carries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace brelund {

// A 16-bit Boolean as the control's published interface has it: 0 is False, -1 is True and a
// test takes any non-zero value as True.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;
constexpr Bool16 to_bool16(bool b) noexcept { return b ? kTrue : kFalse; }

// Signed 32-bit colour: below -1 a system-colour reference through its low byte, otherwise RGB
// with red in the lowest byte.
using OleColor = std::int32_t;

struct Colores {
  std::int32_t Red = 0;
  std::int32_t Green = 0;
  std::int32_t Blue = 0;
  friend bool operator==(const Colores&, const Colores&) = default;
};

struct Font {
  std::string name = "DejaVu Sans";
  double size = 8.25;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  std::int16_t weight = 400;
  std::int16_t charset = 0;
  friend bool operator==(const Font&, const Font&) = default;
};
// Fonts are shared objects, as in the automation world: the label and the caller may hold the
// same one.
using FontRef = std::shared_ptr<const Font>;

// Straight (not premultiplied) 0xAARRGGBB pixels, row-major, top row first.
struct Picture {
  std::uint32_t handle = 0;  // 0 when the object holds no image
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};
using PictureRef = std::shared_ptr<const Picture>;

// Makes a picture with a fresh non-zero handle; an image of 0 x 0 pixels gets handle 0.
PictureRef make_picture(int width, int height, std::vector<std::uint32_t> pixels);
// A fresh non-zero handle, for hosts that keep a picture's pixels themselves.
std::uint32_t new_picture_handle();
// A picture object that holds no image (handle 0).
PictureRef make_empty_picture();

// What a property bag stores. Nothing is an object reference that refers to no object.
struct Nothing {
  friend bool operator==(Nothing, Nothing) = default;
};
using Variant = std::variant<std::monostate, Nothing, bool, std::int16_t, std::int32_t, double,
                             std::string, FontRef, PictureRef>;

}  // namespace brelund
