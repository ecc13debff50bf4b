#include "host/headless/children.h"

#include "shape/region.h"

namespace brelund::headless {

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;
}

Label::Label(TextMeasure measure)
    : measure_fn_(std::move(measure)), font_(std::make_shared<Font>()) {
  remeasure();
}

void Label::set_caption(const std::string& text) {
  caption_ = text;
  remeasure();
}

void Label::set_font(FontRef f) {
  font_ = f ? std::move(f) : std::make_shared<Font>();
  remeasure();
}

void Label::remeasure() {
  if (measure_fn_) measured_ = measure_fn_(*font_, caption_);
}

float Label::width() {
  return pinned_ ? pinned_->first : static_cast<float>(measured_.width * 15);
}
float Label::height() {
  return pinned_ ? pinned_->second : static_cast<float>(measured_.height * 15);
}

void Image::set_picture(PictureRef p) {
  picture_ = std::move(p);
  // The image takes its picture's natural size; without an image it keeps the size it had.
  if (picture_ && picture_->handle != 0) {
    width_ = static_cast<float>(picture_->width * 15);
    height_ = static_cast<float>(picture_->height * 15);
  }
}

void Image::set_left(float v) {
  left_ = v;
  if (on_moved) on_moved();
}

void Image::set_top(float v) {
  top_ = v;
  if (on_moved) on_moved();
}

void MaskCanvas::set_width(float twips) {
  width_ = twips;
  reshape();
}

void MaskCanvas::set_height(float twips) {
  height_ = twips;
  reshape();
}

void MaskCanvas::reshape() {
  const int w = pixels_of_twips(width_), h = pixels_of_twips(height_);
  // The persistent image keeps its content where the box still covers it; fresh area is white.
  if (w == raster_.width && h == raster_.height) return;
  Raster next;
  next.resize(w, h, kWhite);
  for (int y = 0; y < std::min(h, raster_.height); ++y)
    std::copy_n(raster_.row(y), std::min(w, raster_.width), next.row(y));
  raster_ = std::move(next);
}

void MaskCanvas::clear() { std::fill(raster_.pixels.begin(), raster_.pixels.end(), kWhite); }

void MaskCanvas::fill_black(const shape::Region& region) {
  shape::for_each_span(region, [&](int y, int l, int r) { raster_.fill_span(y, l, r, kBlack); });
}

PictureRef MaskCanvas::image() {
  return make_picture(raster_.width, raster_.height, raster_.pixels);
}

}  // namespace brelund::headless
