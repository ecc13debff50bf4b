// What the snapshot comparisons share: a child's box in pixels from a `state` line, and a
// snapshot read from its PNG.
#pragma once

#include <cmath>
#include <cstddef>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "brelund/units.h"
#include "host/common/png.h"

namespace conformance {

struct Box {
  int left, top, right, bottom;  // pixels, right and bottom excluded
  bool holds(int x, int y) const { return x >= left && y >= top && x < right && y < bottom; }
};

// A child's box (the state's "Label" or "Pic"): a pixel the box touches at all counts as its.
inline Box box_of(const nlohmann::json& child) {
  const auto px = [](double twips) { return twips / brelund::units::kTwipsPerPixel; };
  const double l = child["Left"], t = child["Top"], w = child["Width"], h = child["Height"];
  return {static_cast<int>(std::floor(px(l))), static_cast<int>(std::floor(px(t))),
          static_cast<int>(std::ceil(px(l + w))), static_cast<int>(std::ceil(px(t + h)))};
}

inline auto read_snapshot(const std::string& path) {
  return brelund::png::decode(brelund::png::read_file(path, std::size_t{64} << 20));
}

}  // namespace conformance
