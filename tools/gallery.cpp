#include "tools/gallery.h"

#include <functional>
#include <string>
#include <vector>

#include "brelund/headless/button.h"
#include "host/common/png.h"

namespace brelund::gallery {

namespace {

struct Cell {
  std::string caption;
  std::function<void(headless::Button&)> setup;
};

PictureRef disc() {
  constexpr int n = 20;
  std::vector<std::uint32_t> px(n * n, 0);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const int dx = 2 * x - n + 1, dy = 2 * y - n + 1, r2 = dx * dx + dy * dy;
      if (r2 < 15 * 15)
        px[y * n + x] = 0xFFF0C020u;
      else if (r2 < 19 * 19)
        px[y * n + x] = 0xFFC06010u;
    }
  return make_picture(n, n, std::move(px));
}

}  // namespace

Raster render() {
  std::int16_t left = 1, none = 0, space = 32;
  float x = 600, y = 400;
  const std::vector<Cell> cells = {
      {"Normal", [](headless::Button&) {}},
      {"Lit (focus)", [](headless::Button& b) { b.control().GotFocus(); }},
      {"Pressed", [&](headless::Button& b) { b.control().MouseDown(left, none, x, y); }},
      {"Disabled", [](headless::Button& b) { b.control().set_Enabled(kFalse); }},
      {"RoundSize 0", [](headless::Button& b) { b.control().set_RoundSize(0); }},
      {"RoundSize 20", [](headless::Button& b) { b.control().set_RoundSize(20); }},
      {"RoundSize 60", [](headless::Button& b) { b.control().set_RoundSize(60); }},
      {"With picture", [](headless::Button& b) { b.control().set_Picture(disc()); }},
      {"Picture, pressed",
       [&](headless::Button& b) {
         b.control().set_Picture(disc());
         b.control().KeyDown(space, none);
       }},
      {"Light -45", [](headless::Button& b) { b.control().set_Light(-45); }},
      {"BackColor -1", [](headless::Button& b) { b.control().set_BackColor(-1); }},
      {"Disabled, blue",
       [](headless::Button& b) {
         b.control().set_BackColor(0xE08040);
         b.control().set_Enabled(kFalse);
       }},
  };
  constexpr int kColumns = 4, kCellW = 197 + 24, kCellH = 57 + 24;
  Raster out;
  const int rows = static_cast<int>((cells.size() + kColumns - 1) / kColumns);
  out.resize(kColumns * kCellW + 24, rows * kCellH + 24, 0xFFF4F4F0u);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    headless::Button b;
    b.control().InitProperties();
    b.control().set_Caption(cells[i].caption);
    b.control().Show();
    cells[i].setup(b);
    const int col = static_cast<int>(i) % kColumns, row = static_cast<int>(i) / kColumns;
    blend(out, b.compose(), 24 + col * kCellW, 24 + row * kCellH);
  }
  return out;
}

}  // namespace brelund::gallery
