// A press from outside the keyboard and the pointer (a screen reader's default action), as the
// instance does it for every host: Click and nothing else, never swallowed by a key handler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"

namespace brelund {
namespace {

struct Seen : host::EventSink {
  std::vector<std::string> events;
  bool swallow_keys = false;
  void Click() override { events.push_back("click"); }
  void KeyDown(std::int16_t& k, std::int16_t&) override {
    events.push_back("keydown " + std::to_string(k));
    if (swallow_keys) k = 0;
  }
  void KeyUp(std::int16_t& k, std::int16_t&) override {
    events.push_back("keyup " + std::to_string(k));
  }
  void MouseDown(std::int16_t&, std::int16_t&, float&, float&) override {
    events.push_back("mousedown");
  }
  void MouseUp(std::int16_t&, std::int16_t&, float&, float&) override {
    events.push_back("mouseup");
  }
};

class Press : public ::testing::Test {
 protected:
  Press() : b(&seen) {
    b.control().InitProperties();
    b.control().Show();
  }
  host::Instance& in() { return headless::internals(b).instance; }
  Seen seen;
  headless::Button b;
};

TEST_F(Press, RaisesClickAloneAndLeavesTheButtonUpAndLit) {
  ASSERT_TRUE(in().press().ok());
  EXPECT_EQ(seen.events, std::vector<std::string>{"click"});
  EXPECT_FALSE(b.control().pressed());
  // The keyboard's press afterwards still reaches the application with its keys.
  ASSERT_TRUE(in().access_key(32).ok());
  EXPECT_EQ(seen.events, (std::vector<std::string>{"click", "keydown 32", "click", "keyup 32"}));
}

TEST_F(Press, AKeyHandlerThatSwallowsSpaceDoesNotStopIt) {
  seen.swallow_keys = true;
  ASSERT_TRUE(in().access_key(32).ok());
  EXPECT_EQ(seen.events, (std::vector<std::string>{"keydown 32", "keyup 0"}));
  seen.events.clear();
  ASSERT_TRUE(in().press().ok());
  EXPECT_EQ(seen.events, std::vector<std::string>{"click"});
}

TEST_F(Press, ADisabledButtonIsNotPressed) {
  b.control().set_Enabled(kFalse);
  ASSERT_TRUE(in().press().ok());
  EXPECT_TRUE(seen.events.empty());
  EXPECT_FALSE(b.control().pressed());
}

// The toolkit ends a key's press by itself (a menu took the release, the application let the
// button up): no click, no key the application never released, the focus's light as it was.
TEST_F(Press, LettingGoOfAKeysPressClicksNothingAndTellsNoKey) {
  for (const bool focused : {true, false}) {
    seen.events.clear();
    if (focused) {
      ASSERT_TRUE(in().focus_in().ok());
    }
    ASSERT_TRUE(in().key_down(32, 0).ok());
    ASSERT_TRUE(b.control().pressed());
    ASSERT_TRUE(in().let_go().ok());
    EXPECT_FALSE(b.control().pressed());
    EXPECT_EQ(b.control().lit(), focused);
    EXPECT_EQ(seen.events, std::vector<std::string>{"keydown 32"});
    // The key's real release, should it still come, clicks nothing either.
    ASSERT_TRUE(in().key_up(32, 0).ok());
    EXPECT_EQ(seen.events, (std::vector<std::string>{"keydown 32", "keyup 32"}));
    if (focused) {
      ASSERT_TRUE(in().focus_out().ok());
    }
  }
  // Nothing held: nothing happens; a press the pointer holds is the pointer's to end.
  seen.events.clear();
  ASSERT_TRUE(in().let_go().ok());
  b.pointer_over();
  ASSERT_TRUE(in().pointer(host::PointerAction::down, 1, 0, 100, 100).ok());
  ASSERT_TRUE(in().let_go().ok());
  EXPECT_TRUE(b.control().pressed());
  EXPECT_EQ(seen.events, std::vector<std::string>{"mousedown"});
}

TEST_F(Press, AClickHandlerMayEndTheControl) {
  struct Ending : Seen {
    host::Instance* in = nullptr;
    void Click() override {
      Seen::Click();
      in->retire();
    }
  };
  Ending ending;
  headless::Button c(&ending);
  c.control().InitProperties();
  ending.in = &headless::internals(c).instance;
  const Status s = ending.in->press();
  EXPECT_TRUE(s.gone);
  EXPECT_EQ(ending.events, std::vector<std::string>{"click"});
  EXPECT_TRUE(ending.in->press().gone);
}

}  // namespace
}  // namespace brelund
