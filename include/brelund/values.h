// Value types shared by the control and every host: OLE colours, the Colores record, fonts,
// pictures and the small variant that a property bag carries.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
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

// An allocator that leaves the elements a container grows by unset (default-initialised) rather
// than zeroed; a value given to the container is still written.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  DefaultInitAllocator() noexcept = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// Pixel storage: a vector whose resize(n) and Pixels(n) leave the new pixels unset. Every buffer
// of pixels is written in full right after it is sized (a fill, a face, a mask, a decode), and
// zeroing it first cost as much again as drawing it; a caller that grows one and reads before
// writing gives the value, resize(n, 0). It converts to and from std::vector<std::uint32_t>, the
// type pixels had before, so code written against that still compiles (at the price of a copy).
class Pixels : public std::vector<std::uint32_t, DefaultInitAllocator<std::uint32_t>> {
  using Base = std::vector<std::uint32_t, DefaultInitAllocator<std::uint32_t>>;

 public:
  using Base::Base;
  Pixels() noexcept = default;
  Pixels(std::initializer_list<std::uint32_t> values) : Base(values) {}
  Pixels(const std::vector<std::uint32_t>& v) : Base(v.begin(), v.end()) {}  // NOLINT: implicit
  operator std::vector<std::uint32_t>() const { return {begin(), end()}; }   // NOLINT: implicit
  friend bool operator==(const Pixels& a, const Pixels& b) {
    return static_cast<const Base&>(a) == static_cast<const Base&>(b);
  }
  friend bool operator==(const Pixels& a, const std::vector<std::uint32_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
};

// Straight (not premultiplied) 0xAARRGGBB pixels, row-major, top row first.
struct Picture {
  std::uint32_t handle = 0;  // 0 when the object holds no image
  int width = 0;
  int height = 0;
  Pixels pixels;
};
using PictureRef = std::shared_ptr<const Picture>;

// Makes a picture with a fresh non-zero handle; an image of 0 x 0 pixels gets handle 0.
// A short list of pixels is made up with transparent ones.
PictureRef make_picture(int width, int height, std::vector<std::uint32_t> pixels);
PictureRef make_picture_of_pixels(int width, int height, Pixels pixels);
// Pixels in their own storage are taken over, not copied. (A template, so that a braced list
// still goes to the std::vector form.)
template <class P, std::enable_if_t<std::is_same_v<std::remove_cvref_t<P>, Pixels>, int> = 0>
PictureRef make_picture(int width, int height, P&& pixels) {
  return make_picture_of_pixels(width, height, Pixels(std::forward<P>(pixels)));
}
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
