// caption_compare NAME DIR_A DIR_B: one caption look of two hosts' snapshots. Each folder holds
// the host's NAME.png and blank.png (the same look with an empty caption) and the `state` lines
// its trace printed right after each, as NAME.state and blank.state. The caption's ink is where
// NAME.png differs from blank.png: its bounding box must be the same on both hosts within one
// pixel on every side, and the face outside both hosts' caption boxes the same pixel for pixel.
// Exit status 1 says what differs.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "tests/conformance/snapshot_boxes.h"

namespace {

using conformance::Box;

std::string read_text(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Look {
  brelund::PictureRef shot, blank;
  Box caption;
};

Look load(const std::string& dir, const std::string& name) {
  Look look{conformance::read_snapshot(dir + "/" + name + ".png"),
            conformance::read_snapshot(dir + "/blank.png"),
            {}};
  const auto state = nlohmann::json::parse(read_text(dir + "/" + name + ".state"))["state"];
  look.caption = conformance::box_of(state["Label"]);
  if (look.shot->width != look.blank->width || look.shot->height != look.blank->height)
    throw std::runtime_error(dir + ": " + name + ".png and blank.png differ in size");
  return look;
}

// The bounding box of the pixels where the look differs from the blank one; nullopt for none.
std::optional<Box> ink(const Look& look) {
  std::optional<Box> box;
  const brelund::Picture &a = *look.shot, &b = *look.blank;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const auto i = static_cast<std::size_t>(y) * a.width + x;
      if (a.pixels[i] == b.pixels[i]) continue;
      if (!box) box = Box{x, y, x + 1, y + 1};
      box = Box{std::min(box->left, x), std::min(box->top, y), std::max(box->right, x + 1),
                std::max(box->bottom, y + 1)};
    }
  return box;
}

std::string text(const Box& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + " to " + std::to_string(b.right) +
         "," + std::to_string(b.bottom);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: caption_compare NAME DIR_A DIR_B\n";
    return 2;
  }
  try {
    const std::string name = argv[1];
    const Look a = load(argv[2], name), b = load(argv[3], name);
    if (a.shot->width != b.shot->width || a.shot->height != b.shot->height) {
      std::cout << name << ": the hosts' snapshots differ in size\n";
      return 1;
    }
    const auto ink_a = ink(a), ink_b = ink(b);
    if (!ink_a || !ink_b) {
      std::cout << name << ": no caption drawn on " << (ink_a ? argv[3] : argv[2]) << '\n';
      return 1;
    }
    const bool near =
        std::abs(ink_a->left - ink_b->left) <= 1 && std::abs(ink_a->top - ink_b->top) <= 1 &&
        std::abs(ink_a->right - ink_b->right) <= 1 && std::abs(ink_a->bottom - ink_b->bottom) <= 1;
    std::cout << name << ": ink " << text(*ink_a) << " and " << text(*ink_b);
    if (!near) {
      std::cout << ": more than one pixel apart\n";
      return 1;
    }
    const brelund::Picture &fa = *a.shot, &fb = *b.shot;
    long compared = 0;
    for (int y = 0; y < fa.height; ++y)
      for (int x = 0; x < fa.width; ++x) {
        if (a.caption.holds(x, y) || b.caption.holds(x, y)) continue;
        const auto i = static_cast<std::size_t>(y) * fa.width + x;
        ++compared;
        if (fa.pixels[i] != fb.pixels[i]) {
          std::printf("; face pixel %d,%d differs: %08X and %08X\n", x, y, fa.pixels[i],
                      fb.pixels[i]);
          return 1;
        }
      }
    // A caption box that covers most of the face leaves too little to compare.
    if (compared < fa.width * fa.height / 2) {
      std::cout << "; only " << compared << " pixels outside the caption boxes\n";
      return 1;
    }
    std::cout << "; " << compared << " face pixels agree\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "caption_compare: " << e.what() << '\n';
    return 2;
  }
}
