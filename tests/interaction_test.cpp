// Mouse, keyboard, hover and focus as sequences of host notifications.
#include <gtest/gtest.h>

#include "trace_support.h"

namespace brelund {
namespace {

using testing::json;
using testing::trace;
using Kinds = std::vector<std::string>;

const std::string kShown = "new\ninit\nlabel size 435 195\nshow\n";

// The kinds of lines after the set-up, and the looks of the paints among them.
struct Tail {
  Kinds kinds;
  std::vector<std::string> looks;  // "lit", "pressed", "lit+pressed", "plain"
  testing::TraceResult r;
};
Tail run(const std::string& steps) {
  Tail t;
  const auto setup = trace(kShown).lines.size();
  t.r = trace(kShown + steps);
  const auto k = t.r.kinds();
  t.kinds.assign(k.begin() + static_cast<long>(setup), k.end());
  for (std::size_t i = setup; i < t.r.lines.size(); ++i) {
    if (!t.r.lines[i].contains("paint")) continue;
    const auto& p = t.r.lines[i]["paint"];
    const bool lit = p["lit"], pressed = p["pressed"];
    t.looks.push_back(lit && pressed ? "lit+pressed" : lit ? "lit" : pressed ? "pressed" : "plain");
  }
  return t;
}

TEST(Mouse, LeftClickFromArrivalToDeparture) {
  const auto t =
      run("pointer over\nmouse move 0 0 10 10\nmouse down 1 0 10 10\nmouse up 1 0 10 10\n"
          "pointer away\ntick\ntick\nstate\n");
  EXPECT_EQ(t.kinds, (Kinds{"paint", "MouseMove", "MouseDown", "layout", "paint", "paint", "layout",
                            "Click", "MouseUp", "paint", "state"}));
  EXPECT_EQ(t.looks, (std::vector<std::string>{"lit", "lit+pressed", "lit", "lit"}));
  const auto s = t.r.last("state");
  EXPECT_EQ(s["m_Highlighted"], -1);  // the click leaves the face lit
  EXPECT_FALSE(s["Timer1"].get<bool>());
  // The content never moved: press and release without a drag.
  for (const auto& l : t.r.all("layout")) EXPECT_EQ(l["Label"], json::parse("[1260,330]"));
}

TEST(Mouse, DragOutAndBackIn) {
  const auto out =
      run("pointer over\nmouse down 1 0 5 5\npointer away\nmouse move 1 0 -90 5\nmouse up 1 0 -90 "
          "5\nstate\n");
  EXPECT_EQ(out.kinds, (Kinds{"MouseDown", "layout", "paint", "paint", "layout", "MouseMove",
                              "paint", "layout", "MouseUp", "state"}));
  EXPECT_EQ(out.looks, (std::vector<std::string>{"lit+pressed", "plain", "plain"}));
  EXPECT_EQ(out.r.last("state")["m_Highlighted"], 0);
  const auto back =
      run("pointer over\nmouse down 1 0 5 5\npointer away\nmouse move 1 0 -90 5\npointer over\n"
          "mouse move 1 0 5 5\nmouse up 1 0 5 5\n");
  EXPECT_EQ(back.looks, (std::vector<std::string>{"lit+pressed", "plain", "lit+pressed", "lit"}));
  EXPECT_EQ(back.r.all("layout")[3]["Label"], json::parse("[1275,345]"));  // pressed position
  EXPECT_EQ(back.kinds[back.kinds.size() - 2], "Click");
}

TEST(Mouse, OtherButtonsAndReleasesWithoutPress) {
  const auto right = run("pointer over\nmouse down 2 0 5 5\nmouse up 2 0 5 5\n");
  EXPECT_EQ(right.kinds, (Kinds{"MouseDown", "MouseUp"}));
  const auto both = run("pointer over\nmouse move 3 0 5 5\n");
  EXPECT_EQ(both.kinds, (Kinds{"MouseMove"}));
  const auto bare = run("pointer over\nmouse up 1 0 5 5\n");
  EXPECT_EQ(bare.kinds, (Kinds{"paint", "layout", "Click", "MouseUp"}));
  const auto corner = run("pointer at 0 0\nmouse down 1 0 0 0\nmouse up 1 0 0 0\n");
  EXPECT_EQ(std::count(corner.kinds.begin(), corner.kinds.end(), "Click"), 0);
  const auto label = run("pointer over\nmouse down 1 0 3 4 on Label\nmouse up 1 0 3 4 on Label\n");
  EXPECT_EQ(label.r.events()[0],
            json::parse(R"({"event":"MouseDown","Button":1,"Shift":0,"X":3,"Y":4})"));
  EXPECT_EQ(std::count(label.kinds.begin(), label.kinds.end(), "Click"), 1);
}

TEST(Mouse, HandlerChangesAreWhatTheControlSees) {
  const auto t = run("on MouseDown set Button 0\npointer over\nmouse down 1 0 5 5\nstate\n");
  EXPECT_EQ(t.kinds, (Kinds{"MouseDown", "state"}));
  EXPECT_EQ(t.r.events()[0]["Button"], 0);
  EXPECT_EQ(t.r.last("state")["m_Pressed"], 0);
  // A handler may call back into the control, even rebuild it, in the middle of a step.
  const auto re =
      run("on MouseDown call CreaNuevaRegion\npointer over\nmouse down 1 0 5 5\nstate\n");
  EXPECT_EQ(re.kinds, (Kinds{"mask", "paint", "layout", "MouseDown", "layout", "paint", "state"}));
  EXPECT_EQ(re.r.last("state")["m_Pressed"], -1);
}

TEST(Keyboard, SpaceEnterAndEscape) {
  const auto space = run("key down 32 0\nkey down 32 0\nkey up 32 0\n");
  EXPECT_EQ(space.kinds, (Kinds{"paint", "layout", "KeyDown", "paint", "layout", "KeyDown", "paint",
                                "layout", "Click", "KeyUp"}));
  EXPECT_EQ(space.r.all("layout")[1]["Label"], json::parse("[1275,345]"));
  const auto enter = run("key down 13 0\nkey up 13 0\n");
  EXPECT_EQ(enter.kinds, (Kinds{"KeyDown", "paint", "layout", "Click", "KeyUp"}));
  const auto def = run("extender default True cancel False\nkey down 13 0\nkey up 13 0\n");
  EXPECT_EQ(def.kinds, (Kinds{"paint", "layout", "KeyDown", "paint", "layout", "Click", "KeyUp"}));
  const auto esc = run("extender default False cancel True\nkey down 27 0\nkey up 27 0\n");
  EXPECT_EQ(esc.looks, (std::vector<std::string>{"lit+pressed", "lit"}));
  const auto letter = run("key down 65 0\nkey press 97\nkey up 65 0\nstate\n");
  EXPECT_EQ(letter.kinds, (Kinds{"KeyDown", "KeyPress", "KeyUp", "state"}));
  EXPECT_EQ(letter.r.last("state")["m_Highlighted"], -1);
}

TEST(Keyboard, AccessKeys) {
  const auto enter = run("extender default True cancel False\nkey access 13\n");
  EXPECT_EQ(enter.kinds,
            (Kinds{"paint", "layout", "KeyDown", "paint", "layout", "Click", "KeyUp"}));
  EXPECT_EQ(enter.r.events()[0], json::parse(R"({"event":"KeyDown","KeyCode":13,"Shift":0})"));
  const auto disabled =
      run("extender default True cancel False\nlet Enabled False\nkey access 13\n");
  EXPECT_EQ(disabled.kinds.back(), "changed");
  const auto zeroed =
      run("extender default True cancel False\non KeyDown set KeyCode 0\nkey access 13\n");
  EXPECT_EQ(std::count(zeroed.kinds.begin(), zeroed.kinds.end(), "Click"), 0);
  EXPECT_EQ(zeroed.r.events().back(), json::parse(R"({"event":"KeyUp","KeyCode":0,"Shift":0})"));
}

TEST(Keyboard, HostWithoutDefaultOrCancelStillPressesOnSpace) {
  const auto t = run("extender none\nkey down 32 0\nkey up 32 0\nkey access 13\n");
  EXPECT_EQ(t.kinds, (Kinds{"paint", "layout", "KeyDown", "paint", "layout", "Click", "KeyUp",
                            "KeyDown", "paint", "layout", "Click", "KeyUp"}));
  EXPECT_TRUE(t.r.all("error").empty());
}

// A release clicks only a button that took the same key's key-down while it held the focus:
// Escape belongs to the cancel button, and a key whose press went elsewhere clicks nothing here.
TEST(Keyboard, ReleaseClicksOnlyAfterItsOwnPress) {
  auto clicks = [](const std::string& script) {
    const auto t = run(script);
    return std::count(t.kinds.begin(), t.kinds.end(), "Click");
  };
  // Escape on a focused button that is not the cancel button: drawn released, no Click.
  const auto esc = run("focus got\nkey down 27 0\nkey up 27 0\n");
  EXPECT_EQ(esc.kinds, (Kinds{"paint", "KeyDown", "paint", "layout", "KeyUp"}));
  EXPECT_EQ(clicks("key access 27\n"), 0);
  EXPECT_EQ(clicks("extender default False cancel True\nkey access 27\n"), 1);
  // A release alone (a posted key-up, or the press went to another control).
  EXPECT_EQ(clicks("key up 32 0\nkey up 13 0\nkey up 27 0\n"), 0);
  // The focus left while the key was held; it comes back before the release.
  EXPECT_EQ(clicks("focus got\nkey down 32 0\nfocus lost\nfocus got\nkey up 32 0\n"), 0);
  // The release of another key than the one pressed.
  EXPECT_EQ(clicks("key down 32 0\nkey up 13 0\nkey up 32 0\n"), 0);
  // Space held with auto-repeat, and another key typed meanwhile: one Click at the release.
  EXPECT_EQ(clicks("key down 32 0\nkey down 32 0\nkey down 65 0\nkey up 65 0\nkey up 32 0\n"), 1);
  // Enter on a focused button that is not the default one still clicks it.
  EXPECT_EQ(clicks("focus got\nkey down 13 0\nkey up 13 0\n"), 1);
  // An access key counts as both; the release tests the code the KeyDown handler left.
  EXPECT_EQ(clicks("on KeyDown set KeyCode 32\nkey access 13\n"), 1);
}

TEST(Hover, EnterRestAndLeave) {
  const auto t =
      run("pointer over\nmouse move 0 0 1 1\nmouse move 0 0 2 2\ntick 3\npointer "
          "away\ntick\ntick\nstate\n");
  EXPECT_EQ(t.kinds, (Kinds{"paint", "MouseMove", "MouseMove", "paint", "state"}));
  EXPECT_EQ(t.looks, (std::vector<std::string>{"lit", "plain"}));
  const auto right = run("pointer over\nmouse move 2 0 1 1\nstate\n");
  EXPECT_FALSE(right.r.last("state")["Timer1"].get<bool>());
  const auto corner = run("pointer at 0 0\nmouse move 0 0 0 0\nstate\n");
  EXPECT_FALSE(corner.r.last("state")["Timer1"].get<bool>());
  const auto held =
      run("key down 32 0\nfocus lost\npointer over\nmouse move 0 0 1 1\npointer away\ntick\n");
  EXPECT_EQ(held.looks.back(), "pressed");  // the leave paint follows the flags
}

TEST(Focus, PairsInEitherOrder) {
  const auto t = run("focus enter\nfocus got\nfocus lost\nfocus exit\n");
  EXPECT_EQ(t.looks, (std::vector<std::string>{"lit", "lit", "plain", "plain"}));
  const auto hovering =
      run("pointer over\nmouse move 0 0 1 1\nfocus got\nfocus lost\npointer away\ntick\n");
  EXPECT_EQ(hovering.looks, (std::vector<std::string>{"lit", "lit", "plain", "plain"}));
}

}  // namespace
}  // namespace brelund
