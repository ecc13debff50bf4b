// The pixel sizes every benchmark runs at, so that our figures, the fill limit and the peers
// line up row by row in the report.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace brelund::bench {

struct Size {
  int width;   // pixels
  int height;  // pixels
  float width_twips() const { return static_cast<float>(width * 15); }
  float height_twips() const { return static_cast<float>(height * 15); }
  std::string label() const { return std::to_string(width) + "x" + std::to_string(height); }
};

// The designer's default button, a larger one and a full-HD one.
inline constexpr std::array<Size, 3> kSizes{{{197, 57}, {400, 120}, {1920, 1080}}};

// The look the peers draw, as the control draws it with its defaults: the button-face grey,
// Light 45 and Roundness3D 20, with the default RoundSize of 20 pixels for the corners.
struct Look {
  std::array<int, 3> base{212, 208, 200};  // the headless host's button face
  int light = 45;
  double bevel = 0.20;  // share of the height taken by each gradient band
  int round = 20;       // corner ellipse, pixels
  static int clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
  std::array<int, 3> light_tone() const {
    return {clamp(base[0] + light), clamp(base[1] + light), clamp(base[2] + light)};
  }
  std::array<int, 3> dark_tone() const {
    return {clamp(base[0] - light), clamp(base[1] - light), clamp(base[2] - light)};
  }
};

}  // namespace brelund::bench
