// face_compare HEADLESS.png OTHER.png STATE: the face pixels of two hosts' snapshots of one look
// agree outside the caption's and the picture's boxes (whose text and images each host draws its
// own way). STATE is the `state` line the trace printed right after the snapshot. Exit status 1
// names the first pixel that differs.
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "tests/conformance/snapshot_boxes.h"

using conformance::Box;
using conformance::box_of;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: face_compare HEADLESS.png OTHER.png STATE-LINE\n";
    return 2;
  }
  try {
    const auto a = conformance::read_snapshot(argv[1]);
    const auto b = conformance::read_snapshot(argv[2]);
    if (a->width != b->width || a->height != b->height) {
      std::cout << "sizes differ: " << a->width << "x" << a->height << " and " << b->width << "x"
                << b->height << '\n';
      return 1;
    }
    const auto state = nlohmann::json::parse(argv[3])["state"];
    const Box caption = box_of(state["Label"]);
    const bool pic_shown = state["Pic"]["Visible"] && state["Pic"]["Width"] > 0;
    const Box pic = box_of(state["Pic"]);
    long compared = 0;
    for (int y = 0; y < a->height; ++y)
      for (int x = 0; x < a->width; ++x) {
        if (caption.holds(x, y) || (pic_shown && pic.holds(x, y))) continue;
        const auto i = static_cast<std::size_t>(y) * a->width + x;
        ++compared;
        if (a->pixels[i] != b->pixels[i]) {
          std::printf("pixel %d,%d differs: %08X and %08X\n", x, y, a->pixels[i], b->pixels[i]);
          return 1;
        }
      }
    // A look whose boxes cover everything compares nothing, and proves nothing.
    if (compared < a->width * a->height / 2) {
      std::cout << "only " << compared << " pixels outside the boxes\n";
      return 1;
    }
    std::cout << compared << " face pixels agree\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "face_compare: " << e.what() << '\n';
    return 2;
  }
}
