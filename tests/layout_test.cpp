#include <gtest/gtest.h>

#include "trace_support.h"

namespace brelund {
namespace {

using testing::json;
using testing::trace;

// A default button with the caption measured as 435 x 195 twips.
const std::string kButton = "new\ninit\nlabel size 435 195\n";

TEST(Layout, CaptionAloneCentredAndShiftedWhilePressed) {
  auto r = trace(kButton + "show\nkey down 32 0\n");
  const auto layouts = r.all("layout");
  ASSERT_EQ(layouts.size(), 2u);
  EXPECT_EQ(layouts[0], json::parse(R"({"Label":[1260,330]})"));
  EXPECT_EQ(layouts[1], json::parse(R"({"Label":[1275,345]})"));
}

TEST(Layout, PictureAndCaptionSideBySide) {
  // 32 x 32 pixels = 480 x 480 twips.
  auto r = trace(kButton + "let Picture picture 32 32\nkey down 32 0\n");
  const auto layouts = r.all("layout");
  ASSERT_EQ(layouts.size(), 2u);
  EXPECT_EQ(layouts[0], json::parse(R"({"Label":[1525,330],"Pic":[995,187]})"));
  EXPECT_EQ(layouts[1], json::parse(R"({"Label":[1540,345],"Pic":[1010,202]})"));
}

TEST(Layout, EmptyCaptionCentresThePictureAlone) {
  auto r = trace(kButton + "let Caption \"\"\nlet Picture picture 32 32\n");
  EXPECT_EQ(r.last("layout")["Pic"], json::parse("[1237,187]"));
  EXPECT_EQ(r.last("layout")["Label"][0], 1237 + 480 + 50);
}

TEST(Layout, HalvesRoundToEvenBeforeHalving) {
  auto a = trace("new\ninit\nlabel size 434.5 195\nshow\n");
  EXPECT_EQ(a.last("layout")["Label"][0], 1260);
  auto b = trace("new\ninit\nlabel size 433.5 195\nshow\n");
  EXPECT_EQ(b.last("layout")["Label"][0], 1261);
}

TEST(Layout, WideCaptionOverhangsAndEmptyPictureCountsAsNone) {
  auto r = trace("new\ninit\nlabel size 4000 195\nlet Picture picture empty\n");
  EXPECT_EQ(r.last("layout"), json::parse(R"({"Label":[-522,330]})"));
  auto s = trace("new\ninit\nlet Picture picture empty\nstate\n");
  EXPECT_TRUE(s.last("state")["Pic"]["Visible"].get<bool>());  // the object, not its image, counts
}

}  // namespace
}  // namespace brelund
