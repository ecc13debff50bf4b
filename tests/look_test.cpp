// The face's state as every host shows it: the control's lit rule, and the one function that adds
// a toolkit's own states (down, checked, default, flat, a style's colour) to the control's.
#include <gtest/gtest.h>

#include "brelund/headless/button.h"
#include "control/look.h"
#include "host/headless/internals.h"

namespace brelund {
namespace {

// The toolkit's states of a case, each named by what it sets.
struct Host : HostStates {
  Host& held() { return set(&HostStates::down); }
  Host& on() { return set(&HostStates::checked); }
  Host& off() {
    enabled = false;
    return *this;
  }
  Host& flat_face() { return set(&HostStates::flat); }
  Host& styled(OleColor c) {
    back = c;
    return *this;
  }
  Host& set(bool HostStates::*flag) {
    this->*flag = true;
    return *this;
  }
};

class Look : public ::testing::Test {
 protected:
  Look() {
    b.control().InitProperties();
    b.resize(1500, 600);
    b.control().Show();
  }
  host::Instance& in() { return headless::internals(b).instance; }
  Boton& c() { return b.control(); }
  // The pointer moves over the middle of the button with no button held, or holds the left one.
  void hover() {
    b.pointer_over();
    ASSERT_TRUE(in().pointer(host::PointerAction::move, 0, 0, 750, 300).ok());
  }
  void left(host::PointerAction action) { ASSERT_TRUE(in().pointer(action, 1, 0, 750, 300).ok()); }
  headless::Button b;
};

TEST_F(Look, LitByFocusOrByThePointerResting) {
  EXPECT_FALSE(c().lit());
  ASSERT_TRUE(in().focus_in().ok());
  EXPECT_TRUE(c().lit());
  ASSERT_TRUE(in().focus_out().ok());
  EXPECT_FALSE(c().lit());
  hover();
  EXPECT_TRUE(c().lit());
  b.pointer_away();
  ASSERT_TRUE(b.tick().ok());
  EXPECT_FALSE(c().lit());
}

TEST_F(Look, ThePointerAloneDoesNotLightAHeldButton) {
  ASSERT_TRUE(in().focus_in().ok());
  hover();
  left(host::PointerAction::down);
  ASSERT_TRUE(c().pressed());
  EXPECT_TRUE(c().lit());  // the press took the focus's light
  // The focus leaves while the button is held: the pointer over it does not light it.
  ASSERT_TRUE(in().focus_out().ok());
  EXPECT_TRUE(c().pressed());
  EXPECT_FALSE(c().lit());
  // Let go over it: no longer held, the resting pointer lights it again.
  left(host::PointerAction::up);
  EXPECT_FALSE(c().pressed());
  EXPECT_TRUE(c().lit());
}

TEST_F(Look, TheControlsOwnStateIsItsOwnPaint) {
  c().set_BackColor(0x336699);
  c().set_Light(40);
  c().set_Roundness3D(30);
  FaceState s = face_state(c(), Host());
  EXPECT_TRUE(s.own);
  EXPECT_FALSE(s.pressed || s.lit || s.disabled || s.hidden);
  EXPECT_EQ(s.back, 0x336699);
  const render::FaceLook face = s.face(c());
  EXPECT_EQ(face.light, 40);
  EXPECT_EQ(face.roundness3d, 30);
  EXPECT_EQ(face.back_color, 0x336699);
  // The control's own press: pressed, and still its own paint, whatever the toolkit holds.
  ASSERT_TRUE(in().key_down(32, 0).ok());
  for (const bool down : {false, true}) {
    Host host;
    host.down = down;
    s = face_state(c(), host);
    EXPECT_TRUE(s.pressed);
    EXPECT_TRUE(s.own);
    EXPECT_TRUE(s.face(c()).pressed);
  }
}

TEST_F(Look, TheToolkitsDownAndCheckedShowPressedWhileEnabled) {
  for (Host host : {Host().held(), Host().on()}) {
    FaceState s = face_state(c(), host);
    EXPECT_TRUE(s.pressed);
    EXPECT_FALSE(s.own);  // the control never paints it: the host does
    EXPECT_EQ(s.checked, host.checked);
    // Disabled by the toolkit (an ancestor) or by the control's Enabled: the face is at rest.
    s = face_state(c(), host.off());
    EXPECT_TRUE(s.disabled);
    EXPECT_FALSE(s.pressed);
    EXPECT_TRUE(s.own);
  }
  c().set_Enabled(kFalse);
  const FaceState s = face_state(c(), Host().held());
  EXPECT_TRUE(s.disabled);
  EXPECT_FALSE(s.pressed);
}

TEST_F(Look, AStylesColourIsTheBaseButNotTheSetting) {
  c().set_BackColor(0x102030);
  const FaceState s = face_state(c(), Host().styled(0x00ff00));
  EXPECT_EQ(s.back, 0x00ff00);
  EXPECT_FALSE(s.own);
  EXPECT_EQ(s.face(c()).back_color, 0x00ff00);
  EXPECT_EQ(c().BackColor(), 0x102030);
  EXPECT_TRUE(face_state(c(), Host().set(&HostStates::is_default)).is_default);
}

TEST_F(Look, AFlatButtonShowsItsFaceOnlyLitPressedOrStyled) {
  EXPECT_TRUE(face_state(c(), Host().flat_face()).hidden);
  EXPECT_FALSE(face_state(c(), Host()).hidden);
  EXPECT_FALSE(face_state(c(), Host().flat_face().held()).hidden);
  EXPECT_FALSE(face_state(c(), Host().flat_face().on()).hidden);
  EXPECT_FALSE(face_state(c(), Host().flat_face().styled(0x0000ff)).hidden);
  hover();
  EXPECT_FALSE(face_state(c(), Host().flat_face()).hidden);
  b.pointer_away();
  ASSERT_TRUE(b.tick().ok());
  EXPECT_TRUE(face_state(c(), Host().flat_face()).hidden);
  ASSERT_TRUE(in().focus_in().ok());
  EXPECT_FALSE(face_state(c(), Host().flat_face()).hidden);
}

}  // namespace
}  // namespace brelund
