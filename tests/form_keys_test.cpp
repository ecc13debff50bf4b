#include "host/common/form_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace brelund::host {
namespace {

constexpr FormButton plain{};
constexpr FormButton ok{.is_default = true};
constexpr FormButton cancel{.is_cancel = true};

FormKeyTarget pressed(std::size_t i) { return {.presses = i, .goes_on = false}; }
const FormKeyTarget taken_unpressed{.presses = std::nullopt, .goes_on = false};
const FormKeyTarget goes_on{};

TEST(FormKeys, EnterPressesTheFocusedButtonWhereThePlatformHandsItOver) {
  const std::vector<FormButton> form{ok, plain, cancel};
  EXPECT_EQ(form_key_target(FormKey::enter, form, 2), pressed(2));  // a focused Cancel, not OK
  EXPECT_EQ(form_key_target(FormKey::enter, form, 1), pressed(1));
  // A Qt push button that is neither default nor autoDefault leaves Enter to the window.
  EXPECT_EQ(form_key_target(FormKey::enter, form, 1, false), pressed(0));
  EXPECT_EQ(form_key_target(FormKey::enter, form, std::nullopt), pressed(0));
}

TEST(FormKeys, EscapeBelongsToTheCancelButtonWhereverTheFocusIs) {
  const std::vector<FormButton> form{ok, plain, cancel};
  EXPECT_EQ(form_key_target(FormKey::escape, form, 0), pressed(2));
  EXPECT_EQ(form_key_target(FormKey::escape, form, 2), pressed(2));
  EXPECT_EQ(form_key_target(FormKey::escape, form, std::nullopt), pressed(2));
}

TEST(FormKeys, AKeyWithoutItsButtonGoesOn) {
  const std::vector<FormButton> form{plain, plain};
  EXPECT_EQ(form_key_target(FormKey::enter, form, std::nullopt), goes_on);
  EXPECT_EQ(form_key_target(FormKey::enter, form, 0, false), goes_on);
  EXPECT_EQ(form_key_target(FormKey::escape, form, 1), goes_on);
  EXPECT_EQ(form_key_target(FormKey::enter, {}, std::nullopt), goes_on);
  EXPECT_EQ(form_key_target(FormKey::escape, {}, std::nullopt), goes_on);
  // A focus index that is not one of the form's buttons is no focus.
  EXPECT_EQ(form_key_target(FormKey::enter, form, 7), goes_on);
}

TEST(FormKeys, ADisabledButtonKeepsItsKeyAndIsNotPressed) {
  const std::vector<FormButton> form{
      {.is_default = true, .enabled = false}, {.is_cancel = true, .enabled = false}, plain};
  EXPECT_EQ(form_key_target(FormKey::enter, form, std::nullopt), taken_unpressed);
  EXPECT_EQ(form_key_target(FormKey::escape, form, 2), taken_unpressed);
}

TEST(FormKeys, TheFirstDefaultOrCancelButtonInTabOrderWins) {
  const std::vector<FormButton> form{plain, cancel, ok, ok, cancel};
  EXPECT_EQ(form_key_target(FormKey::enter, form, std::nullopt), pressed(2));
  EXPECT_EQ(form_key_target(FormKey::escape, form, std::nullopt), pressed(1));
  // One button can be both.
  const std::vector<FormButton> both{{.is_default = true, .is_cancel = true}};
  EXPECT_EQ(form_key_target(FormKey::enter, both, std::nullopt), pressed(0));
  EXPECT_EQ(form_key_target(FormKey::escape, both, std::nullopt), pressed(0));
}

}  // namespace
}  // namespace brelund::host
