// The headless children: a windowless caption and picture and a timer on a virtual clock. The
// off-screen mask canvas is the shared in-memory one (host/common/mask_image.h).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "brelund/headless/button.h"
#include "brelund/host.h"
#include "brelund/raster.h"
#include "host/common/stored_children.h"

namespace brelund::headless {

class Label final : public host::StoredLabel {
 public:
  explicit Label(TextMeasure measure);

  // The size is measured when it is asked for: a load sets the design caption, then the saved
  // one, then the font, and only the last of them is ever drawn.
  float width() override {
    settle();
    return StoredLabel::width();
  }
  float height() override {
    settle();
    return StoredLabel::height();
  }

 private:
  void changed(host::Change what) override;
  void settle() {
    if (stale_) remeasure();
  }
  void remeasure();
  TextMeasure measure_fn_;
  // What the size was last measured from, while it still stands.
  bool measured_ = false;
  bool stale_ = false;  // changed since it was measured
  std::string measured_caption_;
  FontRef measured_font_;
};

class Image final : public host::StoredImage {};

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
