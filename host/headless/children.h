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

 private:
  void changed(host::Change what) override;
  void remeasure();
  TextMeasure measure_fn_;
  // What the size was last measured from, while it still stands.
  bool measured_ = false;
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
