// The mask image takes a new size only when it is next drawn on or handed out. Whatever the
// order of sizes, clears, fills and reads, what it hands out must be what resizing at every step
// gives: content kept where every size since covered it, white everywhere else, and a value of
// its own (another handle) whenever the pixels differ from the last one handed out or the box
// went empty in between. The model below resizes at every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "host/common/mask_image.h"
#include "shape/region.h"

namespace brelund {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;

// The mask resized at every step, pixel by pixel.
struct Model {
  int w = 0, h = 0;
  std::vector<std::uint32_t> px;
  // Counts the times the box came back from empty.
  int objects = 0;

  void resize(int nw, int nh) {
    if (nw == w && nh == h) return;
    std::vector<std::uint32_t> next(static_cast<std::size_t>(nw) * nh, kWhite);
    for (int y = 0; y < std::min(h, nh); ++y)
      for (int x = 0; x < std::min(w, nw); ++x) next[y * nw + x] = px[y * w + x];
    if ((w == 0 || h == 0) && nw > 0 && nh > 0) ++objects;
    w = nw;
    h = nh;
    px = std::move(next);
  }
  void clear() { std::fill(px.begin(), px.end(), kWhite); }
  void fill(const shape::Region& r) {
    for (const shape::Span& s : shape::rasterize(r))
      if (s.y >= 0 && s.y < h)
        for (int x = std::max(s.left, 0); x < std::min(s.right, w); ++x) px[s.y * w + x] = kBlack;
  }
};

float twips(int pixels) { return static_cast<float>(pixels * 15); }

// What the image holds now, read through its picture, without keeping the value.
struct Seen {
  std::uint32_t handle;
  int w, h;
  std::vector<std::uint32_t> px;
};
Seen look(MaskImage& m) {
  const MaskRef mask = m.image();
  const PictureRef p = mask->picture();
  EXPECT_EQ(p->handle, mask->handle());
  return {p->handle, p->width, p->height, p->pixels};
}

TEST(MaskImage, ResizedStepByStepEvenWhenTheSizeWaits) {
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int run = 0; run < 300; ++run) {
    MaskImage m;
    Model model;
    std::optional<Seen> last;
    int objects = 0;
    for (int step = 0; step < 40; ++step) {
      switch (pick(0, 5)) {
        case 0: {  // widths and heights, now and then nothing at all
          const int w = pick(0, 9) == 0 ? 0 : pick(1, 40);
          m.set_width(twips(w));
          model.resize(w, model.h);
          break;
        }
        case 1: {
          const int h = pick(0, 9) == 0 ? 0 : pick(1, 30);
          m.set_height(twips(h));
          model.resize(model.w, h);
          break;
        }
        case 2:
          m.clear();
          model.clear();
          break;
        case 3:
        case 4: {
          const int l = pick(-5, 30), t = pick(-5, 25);
          const shape::Region r =
              pick(0, 1) ? shape::rect_region(l, t, l + pick(0, 20), t + 9)
                         : shape::round_rect_region(l, t, l + pick(2, 30), t + pick(2, 20), 8, 8);
          m.fill_black(r);
          model.fill(r);
          break;
        }
        default: {
          const Seen s = look(m);
          ASSERT_EQ(s.w, model.w) << "run " << run << " step " << step;
          ASSERT_EQ(s.h, model.h) << "run " << run << " step " << step;
          ASSERT_EQ(s.px, model.px) << "run " << run << " step " << step;
          ASSERT_EQ(s.handle != 0, model.w > 0 && model.h > 0);
          if (s.handle != 0 && last && last->handle != 0) {
            const bool same = s.w == last->w && s.h == last->h && s.px == last->px;
            if (!same || model.objects != objects) {
              EXPECT_NE(s.handle, last->handle) << "run " << run << " step " << step;
            }
          }
          // Nothing done in between: the very same value.
          EXPECT_EQ(look(m).handle, s.handle) << "run " << run << " step " << step;
          last = s;
          objects = model.objects;
          break;
        }
      }
    }
  }
}

TEST(MaskImage, ShrinkingAndGrowingBackLosesWhatTheSmallerBoxCut) {
  MaskImage m;
  m.set_width(twips(10));
  m.set_height(twips(6));
  m.fill_black(shape::rect_region(0, 0, 10, 6));
  // Narrower, then lower, then back to the first size: only the 4 x 3 corner stays black.
  m.set_width(twips(4));
  m.set_height(twips(3));
  m.set_width(twips(10));
  m.set_height(twips(6));
  const PictureRef p = m.image()->picture();
  ASSERT_EQ(p->width, 10);
  ASSERT_EQ(p->height, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(p->pixels[y * 10 + x], x < 4 && y < 3 ? kBlack : kWhite) << x << "," << y;
}

TEST(MaskImage, AClearBeforeOrAfterTheNewSizeLeavesOnlyWhatIsFilledAfterIt) {
  for (bool clear_first : {true, false}) {
    MaskImage m;
    m.set_width(twips(12));
    m.set_height(twips(8));
    m.fill_black(shape::rect_region(0, 0, 12, 8));
    if (clear_first) m.clear();
    m.set_width(twips(9));
    m.set_height(twips(11));
    if (!clear_first) m.clear();
    m.fill_black(shape::rect_region(2, 2, 5, 5));
    const PictureRef p = m.image()->picture();
    ASSERT_EQ(p->width, 9);
    ASSERT_EQ(p->height, 11);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 9; ++x)
        EXPECT_EQ(p->pixels[y * 9 + x], x >= 2 && x < 5 && y >= 2 && y < 5 ? kBlack : kWhite)
            << x << "," << y << (clear_first ? " clear first" : " clear after");
  }
}

TEST(MaskImage, APictureHandedOutKeepsItsSizeAndPixelsThroughALaterRebuild) {
  MaskImage m;
  m.set_width(twips(8));
  m.set_height(twips(5));
  m.clear();
  m.fill_black(shape::rect_region(1, 1, 7, 4));
  const MaskRef held = m.image();
  const std::vector<std::uint32_t> before = held->picture()->pixels;
  m.set_width(twips(6));
  m.set_height(twips(7));
  m.clear();
  m.fill_black(shape::rect_region(0, 0, 6, 7));
  const MaskRef now = m.image();
  EXPECT_EQ(held->width(), 8);
  EXPECT_EQ(held->height(), 5);
  EXPECT_EQ(held->picture()->pixels, before);
  EXPECT_NE(held->handle(), now->handle());
  EXPECT_EQ(now->picture()->pixels, std::vector<std::uint32_t>(6 * 7, kBlack));
}

// A form's buttons come in a few shapes: canvases that draw the same region at the same size
// share one image, and only those. A canvas whose box went empty gets an image of its own again.
TEST(MaskImage, OneShapeAtOneSizeIsOneImageUntilTheBoxGoesEmpty) {
  auto canvas = [](int w, int h, const shape::Region& r) {
    auto m = std::make_unique<MaskImage>();
    m->set_width(twips(w));
    m->set_height(twips(h));
    m->clear();
    m->fill_black(r);
    return m;
  };
  const shape::Region round = shape::round_rect_region(0, 0, 40, 30, 8, 8);
  auto a = canvas(40, 30, round), b = canvas(40, 30, round);
  const Seen first = look(*a), second = look(*b);
  EXPECT_EQ(first.handle, second.handle);
  EXPECT_EQ(first.px, second.px);
  // Another size, or another region at this size, is another image.
  auto wider = canvas(41, 30, round);
  auto rounder = canvas(40, 30, shape::round_rect_region(0, 0, 40, 30, 10, 10));
  for (MaskImage* other : {wider.get(), rounder.get()}) {
    const Seen s = look(*other);
    EXPECT_NE(s.handle, first.handle);
    EXPECT_NE(s.px, first.px);
  }
  // Through an empty box and back, the same drawing makes a value of its own; the other canvas
  // keeps the one it had.
  a->set_width(0);
  a->set_width(twips(40));
  a->clear();
  a->fill_black(round);
  const Seen again = look(*a);
  EXPECT_EQ(again.px, first.px);
  EXPECT_NE(again.handle, first.handle);
  EXPECT_EQ(look(*b).handle, first.handle);
  // An image no canvas holds any more is freed, not kept for a canvas that may never come.
  const std::weak_ptr<const MaskShape> left = b->image();
  b.reset();
  EXPECT_TRUE(left.expired());
}

}  // namespace
}  // namespace brelund
