// The mask the rebuild hands to the surface, and what the pointer test makes of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"
#include "input/cursor_over_window.h"
#include "trace_support.h"

namespace brelund {
namespace {

using testing::trace;

TEST(Mask, ShapesOfTheRebuild) {
  auto plain = trace("new\ninit\nlet CreateRegion False\n").last("mask");
  EXPECT_EQ(plain["width"], 197);
  EXPECT_EQ(plain["height"], 57);
  EXPECT_EQ(plain["opaque"], 197 * 57);  // fully opaque and clickable
  // RoundSize 0: square corners. Like the platform's round rectangle, the region ends one
  // column and one row short of the plain rectangle.
  auto square = trace("new\ninit\nlet RoundSize 0\n").last("mask");
  EXPECT_EQ(square["opaque"], 196 * 56);
  for (const auto& row : square["rows"]) {
    if (row.empty()) continue;
    EXPECT_EQ(row, testing::json::parse("[[0,196]]"));
  }
  auto rounded = trace("new\ninit\nshow\n").last("mask");
  EXPECT_GT(rounded["rows"][0][0][0], 0);  // the default corners are cut away
  EXPECT_EQ(trace("new\ninit\nsize 2960 855\n").last("mask")["width"], 197);
  EXPECT_EQ(trace("new\ninit\nsize 2969 855\n").last("mask")["width"], 197);
  // Resize raises the application's event before the mask is rebuilt.
  EXPECT_EQ(trace("new\ninit\nsize 3000 900\n").kinds().front(), "Resize");
}

TEST(Mask, TransparentCornersBelongToTheWindowBehind) {
  headless::Button b;
  b.control().InitProperties();
  b.control().Show();
  auto& p = internals(b).platform;
  b.pointer_at(0, 0);
  EXPECT_EQ(p.window_from_point(p.cursor_pos()), headless::kFormWindow);
  EXPECT_FALSE(Util::CursorOverWindow(p, internals(b).surface.hwnd()));
  b.pointer_at(98, 28);
  EXPECT_TRUE(Util::CursorOverWindow(p, internals(b).surface.hwnd()));
  b.control().set_CreateRegion(kFalse);
  b.pointer_at(0, 0);
  EXPECT_TRUE(Util::CursorOverWindow(p, internals(b).surface.hwnd()));
}

// Pixels at the ends of the int range are off the control (and, in the sanitizer build, do not
// overflow on their way to the screen).
TEST(Mask, PointsAtTheEndsOfTheRangeAreOffTheControl) {
  headless::Button b;
  b.control().InitProperties();
  b.control().Show();
  auto& p = internals(b).platform;
  for (const auto& [x, y] : {std::pair{INT32_MAX, INT32_MAX}, std::pair{INT32_MIN, INT32_MIN},
                             std::pair{INT32_MAX, 28}, std::pair{98, INT32_MIN}}) {
    b.pointer_at(x, y);
    EXPECT_FALSE(Util::CursorOverWindow(p, internals(b).surface.hwnd())) << x << ", " << y;
  }
}

TEST(Mask, FailingPointerQueriesAnswerFalseAndStopNothing) {
  struct Sink : host::EventSink {
    int clicks = 0, ups = 0;
    void Click() override { ++clicks; }
    void MouseUp(std::int16_t&, std::int16_t&, float&, float&) override { ++ups; }
  } sink;
  headless::Button b(&sink);
  b.control().InitProperties();
  b.control().Show();
  b.pointer_over();
  internals(b).platform.set_failing(true);
  EXPECT_FALSE(Util::CursorOverWindow(internals(b).platform, internals(b).surface.hwnd()));
  std::int16_t button = 1, shift = 0;
  float x = 5, y = 5;
  EXPECT_TRUE(guarded([&] { b.control().MouseUp(button, shift, x, y); }).ok());
  EXPECT_EQ(sink.clicks, 0);  // not over: no click, but the release is still reported
  EXPECT_EQ(sink.ups, 1);
  button = 0;
  EXPECT_TRUE(guarded([&] { b.control().MouseMove(button, shift, x, y); }).ok());
  EXPECT_FALSE(internals(b).timer.enabled());
}

}  // namespace
}  // namespace brelund
