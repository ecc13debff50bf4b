// The headless children: a windowless caption and picture, the off-screen mask canvas and a
// timer on a virtual clock.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/host.h"
#include "host/raster.h"

namespace brelund::headless {

// Measures a caption in pixels; the default uses FreeType with the DejaVu faces.
struct TextSize {
  int width = 0;
  int height = 0;
};
using TextMeasure = std::function<TextSize(const Font&, const std::string&)>;

class Label final : public host::Label {
 public:
  explicit Label(TextMeasure measure);

  // Pins the measured size, as a host whose font measures the text so (tests, traces).
  void pin_size(std::optional<std::pair<float, float>> twips) { pinned_ = twips; }

  std::function<void(OleColor)> on_fore_color;  // a tool's hook

  std::string caption() override { return caption_; }
  void set_caption(const std::string& text) override;
  FontRef font() override { return font_; }
  void set_font(FontRef f) override;
  OleColor fore_color() override { return fore_; }
  void set_fore_color(OleColor c) override {
    fore_ = c;
    if (on_fore_color) on_fore_color(c);
  }
  std::string tool_tip_text() override { return tip_; }
  void set_tool_tip_text(const std::string& text) override { tip_ = text; }
  float left() override { return left_; }
  void set_left(float v) override { left_ = v; }
  float top() override { return top_; }
  void set_top(float v) override { top_ = v; }
  float width() override;
  float height() override;

 private:
  void remeasure();
  TextMeasure measure_fn_;
  std::string caption_;
  FontRef font_;
  OleColor fore_ = 0;
  std::string tip_;
  float left_ = 0, top_ = 0;
  TextSize measured_{};
  std::optional<std::pair<float, float>> pinned_;
};

class Image final : public host::Image {
 public:
  std::function<void()> on_moved;  // a tool's hook: Pic was placed

  PictureRef picture() override { return picture_; }
  void set_picture(PictureRef p) override;
  Bool16 visible() override { return visible_; }
  void set_visible(Bool16 v) override { visible_ = v; }
  Bool16 enabled() override { return enabled_; }
  void set_enabled(Bool16 v) override { enabled_ = v; }
  std::string tool_tip_text() override { return tip_; }
  void set_tool_tip_text(const std::string& text) override { tip_ = text; }
  float left() override { return left_; }
  void set_left(float v) override;
  float top() override { return top_; }
  void set_top(float v) override;
  float width() override { return width_; }
  float height() override { return height_; }

 private:
  PictureRef picture_;
  Bool16 visible_ = kFalse, enabled_ = kTrue;
  std::string tip_;
  float left_ = 120, top_ = 120, width_ = 250, height_ = 250;
};

class MaskCanvas final : public host::MaskCanvas {
 public:
  void set_width(float twips) override;
  void set_height(float twips) override;
  void clear() override;
  void fill_black(const shape::Region& region) override;
  PictureRef image() override;

 private:
  // The persistent image is handed out as the mask picture itself, without a copy. While the
  // surface still holds the last one, drawing goes to a second buffer, so a rebuild allocates
  // nothing once both exist.
  Picture& writable(bool keep_content);
  void flush_clear();
  void reshape();
  float width_ = 0, height_ = 0;
  std::shared_ptr<Picture> image_ = std::make_shared<Picture>();
  std::shared_ptr<Picture> spare_;
  // A clear is applied lazily: the next fill writes white and black in one pass over the rows.
  bool clear_pending_ = false;
};

class Timer final : public host::Timer {
 public:
  bool enabled() override { return enabled_; }
  void set_enabled(bool on) override { enabled_ = on; }
  std::int32_t interval() override { return interval_; }
  void set_interval(std::int32_t ms) override { interval_ = ms; }

 private:
  bool enabled_ = false;
  std::int32_t interval_ = 100;
};

}  // namespace brelund::headless
