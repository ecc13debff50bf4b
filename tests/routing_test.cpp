// Which part of the control gets a pointer notification at a point of the surface, and in which
// coordinates: decided once by the instance for every host. The caption is painted over the
// picture; a disabled picture reports nothing of its own; a held button keeps the part it pressed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"

namespace brelund {
namespace {

using host::PointerAction;

struct Seen : host::EventSink {
  std::vector<std::string> events;
  void MouseDown(std::int16_t& b, std::int16_t&, float& x, float& y) override {
    events.push_back("down " + std::to_string(b) + " " + num(x) + "," + num(y));
  }
  void MouseMove(std::int16_t& b, std::int16_t&, float& x, float& y) override {
    events.push_back("move " + std::to_string(b) + " " + num(x) + "," + num(y));
  }
  void MouseUp(std::int16_t& b, std::int16_t&, float& x, float& y) override {
    events.push_back("up " + std::to_string(b) + " " + num(x) + "," + num(y));
  }
  static std::string num(float v) { return std::to_string(static_cast<int>(v)); }
};

// A 2955 x 855 button whose 480 x 480 picture lies at (995, 187) and whose caption, pinned to
// 1500 x 300, is placed over part of it at (1300, 300).
class PointerRouting : public ::testing::Test {
 protected:
  PointerRouting() : b(&seen) {
    auto& h = headless::internals(b);
    b.control().InitProperties();
    h.label.pin_size(std::pair{1500.0f, 300.0f});
    b.control().set_Picture(make_picture(32, 32, {}));
    b.control().Show();
    h.pic.set_left(995);
    h.pic.set_top(187);
    h.label.set_left(1300);
    h.label.set_top(300);
  }
  host::Instance& in() { return headless::internals(b).instance; }
  void at(PointerAction a, std::int16_t button, float x, float y) {
    ASSERT_TRUE(in().pointer(a, button, 0, x, y).ok());
  }
  Seen seen;
  headless::Button b;
};

TEST_F(PointerRouting, TheCaptionLiesOverThePictureAndThePictureOverTheFace) {
  EXPECT_EQ(in().hit(1400, 400).target, host::PointerTarget::caption);
  EXPECT_EQ(in().hit(1000, 200).target, host::PointerTarget::picture);
  EXPECT_EQ(in().hit(100, 100).target, host::PointerTarget::surface);
  // Boxes hold their left and top edges, not their right and bottom ones.
  EXPECT_EQ(in().hit(1300, 300).target, host::PointerTarget::caption);
  EXPECT_EQ(in().hit(2800, 400).target, host::PointerTarget::surface);
  at(PointerAction::down, 2, 1400, 400);  // caption
  at(PointerAction::up, 2, 1400, 400);
  at(PointerAction::down, 2, 1000, 200);  // picture
  at(PointerAction::up, 2, 1000, 200);
  at(PointerAction::move, 0, 100, 100);  // face
  EXPECT_EQ(seen.events, (std::vector<std::string>{"down 2 100,100", "up 2 100,100", "down 2 5,13",
                                                   "up 2 5,13", "move 0 100,100"}));
}

TEST_F(PointerRouting, ADisabledPictureLeavesThePointToTheFace) {
  headless::internals(b).pic.set_enabled(kFalse);
  at(PointerAction::down, 2, 1000, 200);
  at(PointerAction::up, 2, 1000, 200);
  // The caption over it still reports on its own.
  at(PointerAction::move, 0, 1400, 400);
  EXPECT_EQ(seen.events,
            (std::vector<std::string>{"down 2 1000,200", "up 2 1000,200", "move 0 100,100"}));
}

TEST_F(PointerRouting, AHeldButtonKeepsThePartItPressed) {
  at(PointerAction::down, 2, 1000, 200);   // the picture takes the press
  at(PointerAction::move, 2, 1400, 400);   // over the caption now, still the picture's
  at(PointerAction::move, 2, 5000, -300);  // off the control
  at(PointerAction::down, 4, 100, 100);    // a second button joins: no new capture
  at(PointerAction::up, 2, 100, 100);
  at(PointerAction::up, 4, 1400, 400);    // the last release is still the picture's
  at(PointerAction::move, 0, 1400, 400);  // then the caption again
  EXPECT_EQ(seen.events, (std::vector<std::string>{
                             "down 2 5,13", "move 2 405,213", "move 2 4005,-487", "down 4 -895,-87",
                             "up 2 -895,-87", "up 4 405,213", "move 0 100,100"}));
  // A release lost elsewhere: the next move with no button held ends the capture.
  seen.events.clear();
  at(PointerAction::down, 2, 1000, 200);
  at(PointerAction::move, 0, 100, 100);
  EXPECT_EQ(seen.events, (std::vector<std::string>{"down 2 5,13", "move 0 100,100"}));
}

TEST_F(PointerRouting, MirroredContentIsFoundWhereItIsDrawn) {
  in().set_mirrored(true);
  // The picture spans 995..1475 from the left, so 1480..1960 from the right of 2955.
  EXPECT_EQ(in().hit(1000, 200).target, host::PointerTarget::surface);
  const host::Hit h = in().hit(1955, 200);
  EXPECT_EQ(h.target, host::PointerTarget::picture);
  // Its own coordinates are mirrored too: 5 twips from its drawn right edge is its x 5.
  EXPECT_EQ(h.x, 5);
  EXPECT_EQ(h.y, 13);
  at(PointerAction::down, 2, 1955, 200);
  at(PointerAction::move, 2, 1945, 200);  // moving left is moving further into the picture
  at(PointerAction::up, 2, 1945, 200);
  EXPECT_EQ(seen.events, (std::vector<std::string>{"down 2 5,13", "move 2 15,13", "up 2 15,13"}));
}

}  // namespace
}  // namespace brelund
