// An application may destroy the button inside any of its events (an OK button that closes its
// dialog), and the caption and picture forward their pointer notifications to the button. Both
// go through the host-side instance that every host uses; here through the trace and through a
// headless button owned by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"
#include "trace_support.h"

namespace brelund {
namespace {

using testing::json;
using testing::trace;

const std::string kShown = "new\ninit\nlabel size 435 195\nshow\n";

// What leads up to `event`, and the one notification that raises it.
std::pair<std::string, std::string> raising(const std::string& event) {
  if (event == "Click") return {"pointer over\nmouse down 1 0 60 60\n", "mouse up 1 0 60 60\n"};
  if (event == "KeyDown") return {"", "key down 32 0\n"};
  if (event == "KeyUp") return {"key down 32 0\n", "key up 32 0\n"};
  if (event == "KeyPress") return {"", "key press 65\n"};
  if (event == "Resize") return {"", "size 3000 900\n"};
  const std::string verb = event == "MouseDown" ? "down" : event == "MouseMove" ? "move" : "up";
  return {"pointer over\n", "mouse " + verb + " 1 0 60 60\n"};
}

long count(const std::vector<std::string>& kinds, const std::string& kind) {
  return std::count(kinds.begin(), kinds.end(), kind);
}

TEST(Lifetime, ReplacingTheButtonInsideAnyEventEndsThatStep) {
  for (const char* event :
       {"Click", "KeyDown", "KeyPress", "KeyUp", "MouseDown", "MouseMove", "MouseUp", "Resize"}) {
    SCOPED_TRACE(event);
    const auto [lead, raise] = raising(event);
    const std::string before = kShown + lead + "on " + event + " new\n";
    const auto setup = trace(before).lines.size();
    const auto r = trace(before + raise + "state\n");
    ASSERT_EQ(r.status, 0);
    ASSERT_GT(r.lines.size(), setup + 1);
    // The event is the old button's last word: no paint, layout, mask or event after it.
    const auto& last_of_old = r.lines[r.lines.size() - 2];
    EXPECT_EQ(last_of_old.value("event", ""), event);
    EXPECT_TRUE(r.errors.empty());
    // What answers now is a new button, created but not initialised.
    const json state = r.last("state");
    EXPECT_EQ(state["m_RoundSize"], 0);
    EXPECT_EQ(state["m_Pressed"], 0);
  }
}

TEST(Lifetime, DisablingOrReshapingInsideAnEventIsSafeAndSeen) {
  for (const char* event : {"Click", "KeyDown", "MouseDown", "MouseUp", "Resize"}) {
    SCOPED_TRACE(event);
    const auto [lead, raise] = raising(event);
    const auto r =
        trace(kShown + lead + "on " + event + " let Enabled False\n" + raise + "state\n");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.last("state")["Enabled"], false);
    // The step goes on with the control disabled: its last paint shows the disabled look.
    EXPECT_EQ(r.last("paint")["disabled"], true);
    const auto g = trace(kShown + lead + "on " + event + " size 1500 450\n" + raise + "state\n");
    EXPECT_EQ(g.last("state")["ScaleWidth"], 1500);
  }
}

TEST(Lifetime, TheNewButtonWorksAfterTheOldOneWentInItsClick) {
  const auto [lead, raise] = raising("Click");
  const auto r = trace(kShown + "on Click new\n" + lead + raise +
                       "on Click off\ninit\nlabel size 435 195\nshow\n" + lead + raise);
  EXPECT_EQ(r.events().back(), json::parse(R"({"event":"MouseUp","Button":1,"Shift":0,"X":60,
                                               "Y":60})"));
  const auto kinds = r.kinds();
  EXPECT_EQ(count(kinds, "Click"), 2);
  // The first click ended at Click: its MouseUp never came.
  EXPECT_EQ(count(kinds, "MouseUp"), 1);
}

// A headless button owned by the application, destroyed from its own handlers.
struct Owner final : host::EventSink {
  std::unique_ptr<headless::Button> button = std::make_unique<headless::Button>(this);
  std::string destroy_in;
  std::vector<std::string> seen;
  void note(const char* e) {
    seen.emplace_back(e);
    if (destroy_in == e) button.reset();
  }
  void Click() override { note("Click"); }
  void KeyDown(std::int16_t&, std::int16_t&) override { note("KeyDown"); }
  void KeyPress(std::int16_t&) override { note("KeyPress"); }
  void KeyUp(std::int16_t&, std::int16_t&) override { note("KeyUp"); }
  void MouseDown(std::int16_t&, std::int16_t&, float&, float&) override { note("MouseDown"); }
  void MouseMove(std::int16_t&, std::int16_t&, float&, float&) override { note("MouseMove"); }
  void MouseUp(std::int16_t&, std::int16_t&, float&, float&) override { note("MouseUp"); }
  void Resize() override { note("Resize"); }
};

TEST(Lifetime, DestroyedInsideItsOwnEventTheStepReportsGone) {
  Owner o;
  auto& in = headless::internals(*o.button).instance;
  ASSERT_TRUE(in.init().ok());
  ASSERT_TRUE(in.show().ok());
  o.button->pointer_over();
  o.destroy_in = "Click";
  ASSERT_TRUE(
      in.pointer(host::PointerAction::down, host::PointerTarget::surface, 1, 0, 60, 60).ok());
  const Status s = in.pointer(host::PointerAction::up, host::PointerTarget::surface, 1, 0, 60, 60);
  EXPECT_TRUE(s.gone);
  EXPECT_TRUE(s.ok());
  EXPECT_EQ(o.button, nullptr);
  EXPECT_EQ(o.seen, (std::vector<std::string>{"MouseDown", "Click"}));
}

TEST(Lifetime, ARetiredControlRaisesNothingMore) {
  Owner o;
  auto& in = headless::internals(*o.button).instance;
  ASSERT_TRUE(in.init().ok());
  in.retire();
  EXPECT_TRUE(in.resize(3000, 900).gone);
  EXPECT_TRUE(o.seen.empty());
}

TEST(Focus, ArrivesAndLeavesInPairsOnce) {
  const auto looks = [](headless::Button& b) { return b.control().fields().m_Highlighted; };
  Owner o;
  auto& in = headless::internals(*o.button).instance;
  ASSERT_TRUE(in.init().ok());
  ASSERT_TRUE(in.focus_in().ok());
  EXPECT_TRUE(in.focused());
  EXPECT_EQ(looks(*o.button), kTrue);
  ASSERT_TRUE(in.focus_out().ok());
  ASSERT_TRUE(in.focus_out().ok());  // a second loss changes nothing
  EXPECT_FALSE(in.focused());
  EXPECT_EQ(looks(*o.button), kFalse);
}

// Presses on the caption and picture reach the button with the child's own coordinates; a
// disabled picture does not report on its own, so its press is the surface's, at the surface's
// coordinates.
TEST(Routing, CaptionAndPictureForwardTheirPointer) {
  const std::string pic = kShown + "let Picture picture 16 16\npointer over\n";
  const auto caption = trace(kShown + "pointer over\nmouse down 1 0 3 4 on Label\n");
  EXPECT_EQ(caption.events()[0],
            json::parse(R"({"event":"MouseDown","Button":1,"Shift":0,"X":3,"Y":4})"));
  const auto enabled = trace(pic + "mouse down 1 0 3 4 on Pic\n");
  EXPECT_EQ(enabled.events()[0]["X"], 3);
  const auto disabled = trace(pic + "let Enabled False\nstate\nmouse down 1 0 3 4 on Pic\n");
  const json p = disabled.last("state")["Pic"];
  ASSERT_EQ(p["Enabled"], false);
  EXPECT_EQ(disabled.events()[0]["X"], 3 + p["Left"].get<double>());
  EXPECT_EQ(disabled.events()[0]["Y"], 4 + p["Top"].get<double>());
}

}  // namespace
}  // namespace brelund
