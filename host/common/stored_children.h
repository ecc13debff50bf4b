// What every host's caption and picture keep and give back. A host derives from these, shows the
// state its own way in changed(), and reports the caption's measured size; the stores, the
// defaults and the picture's natural size are written once, here.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "brelund/host.h"
#include "brelund/units.h"
#include "host/common/rare_text.h"
#include "host/common/watcher.h"

namespace brelund::host {

// What changed in a stored child or surface, for the host to show it.
enum class Change {
  text,
  colour,
  tip,
  position,
  picture,
  visibility,
  enabled,
  size,
  drawing,
  mask,
  pointer,
  measure  // the caption must be measured again, though its text and font are the same
};

class StoredLabel : public Label {
 public:
  std::string caption() override { return caption_; }
  void set_caption(const std::string& text) override {
    caption_ = text;
    changed(Change::text);
  }
  FontRef font() override { return font_; }
  // No font means the host's default font: a caption is never without one.
  void set_font(FontRef f) override {
    font_ = f ? std::move(f) : default_font_;
    changed(Change::text);
  }
  OleColor fore_color() override { return fore_; }
  void set_fore_color(OleColor c) override {
    fore_ = c;
    if (watcher_) watcher_->caption_colour(c);
    changed(Change::colour);
  }
  std::string tool_tip_text() override { return tip_.get(); }
  void set_tool_tip_text(const std::string& text) override {
    tip_.set(text);
    changed(Change::tip);
  }
  float left() override { return left_; }
  void set_left(float v) override {
    left_ = v;
    changed(Change::position);
  }
  float top() override { return top_; }
  void set_top(float v) override {
    top_ = v;
    changed(Change::position);
  }
  float width() override { return width_; }
  float height() override { return height_; }

  void watch(Watcher* w) noexcept { watcher_ = w; }
  // Pins the measured size, as a host whose font measures the text so (tests, traces); nullopt
  // measures the text again.
  void pin_size(std::optional<std::pair<float, float>> twips) {
    pinned_ = twips;
    changed(Change::measure);
  }

 protected:
  explicit StoredLabel(FontRef default_font)
      : default_font_(std::move(default_font)), font_(default_font_) {}
  // Called after every change; a text change (caption or font) must end in measured().
  virtual void changed(Change) {}
  // The size of the caption in its font, in twips: the label sizes itself to its text. A pinned
  // size stands instead.
  void measured(float width_twips, float height_twips) {
    width_ = pinned_ ? pinned_->first : width_twips;
    height_ = pinned_ ? pinned_->second : height_twips;
  }
  bool pinned() const noexcept { return pinned_.has_value(); }

 private:
  Watcher* watcher_ = nullptr;
  std::optional<std::pair<float, float>> pinned_;
  FontRef default_font_;
  std::string caption_;
  FontRef font_;
  OleColor fore_ = 0;
  RareText tip_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

class StoredImage : public Image {
 public:
  PictureRef picture() override { return picture_; }
  void set_picture(PictureRef p) override {
    picture_ = std::move(p);
    // The image takes its picture's natural size; without an image it keeps the size it had.
    if (picture_ && picture_->handle != 0) {
      width_ = units::twips_of_pixels(picture_->width);
      height_ = units::twips_of_pixels(picture_->height);
    }
    changed(Change::picture);
  }
  Bool16 visible() override { return visible_; }
  void set_visible(Bool16 v) override {
    visible_ = v;
    changed(Change::visibility);
  }
  Bool16 enabled() override { return enabled_; }
  void set_enabled(Bool16 v) override {
    enabled_ = v;
    changed(Change::enabled);
  }
  std::string tool_tip_text() override { return tip_.get(); }
  void set_tool_tip_text(const std::string& text) override {
    tip_.set(text);
    changed(Change::tip);
  }
  float left() override { return left_; }
  void set_left(float v) override {
    left_ = v;
    if (watcher_) watcher_->pic_moved();
    changed(Change::position);
  }
  float top() override { return top_; }
  void set_top(float v) override {
    top_ = v;
    if (watcher_) watcher_->pic_moved();
    changed(Change::position);
  }
  float width() override { return width_; }
  float height() override { return height_; }

  void watch(Watcher* w) noexcept { watcher_ = w; }

 protected:
  virtual void changed(Change) {}

 private:
  Watcher* watcher_ = nullptr;
  PictureRef picture_;
  Bool16 visible_ = kFalse, enabled_ = kTrue;
  RareText tip_;
  // The design-time box until a picture gives it its natural size.
  float left_ = 120, top_ = 120, width_ = 250, height_ = 250;
};

}  // namespace brelund::host
