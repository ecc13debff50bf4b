#include <gtest/gtest.h>

#include "control/property_table.h"
#include "trace_support.h"

namespace brelund {
namespace {

using testing::json;
using testing::trace;

const std::int32_t kFaceRef = static_cast<std::int32_t>(0x8000000F);
const std::int32_t kTextRef = static_cast<std::int32_t>(0x80000012);

std::vector<std::string> keys_of(const json& bag) {
  std::vector<std::string> out;
  for (const auto& e : bag) out.push_back(e[0]);
  return out;
}

TEST(Persistence, EmptyBagLoadsTheDefaults) {
  auto r = trace("new\nambient font \"DejaVu Serif\" 11\nread {}\nstate\nget Font\n");
  const auto s = r.last("state");
  EXPECT_EQ(s["Label"]["Caption"], "Botón");
  EXPECT_TRUE(s["Enabled"].get<bool>());
  EXPECT_EQ(s["m_BackColor"], kFaceRef);
  EXPECT_EQ(s["BackColor"], kFaceRef);  // the surface holds the loaded value unresolved
  EXPECT_EQ(s["Label"]["ForeColor"], kTextRef);
  EXPECT_EQ(s["m_ForeColor"], kTextRef);
  EXPECT_EQ(s["m_RoundSize"], 20);
  EXPECT_EQ(s["m_Light"], 45);
  EXPECT_EQ(s["m_CreateRegion"], -1);
  EXPECT_EQ(s["m_Roundness3D"], 20);
  EXPECT_FALSE(s["Pic"]["Visible"].get<bool>());
  EXPECT_EQ(r.last("value")["Name"], "DejaVu Serif");
  // One rebuild in the middle, at the picture, from the fields as they were before the load:
  // a full rectangle (CreateRegion still False) and a face painted from black.
  ASSERT_EQ(r.all("mask").size(), 1u);
  EXPECT_EQ(r.all("mask")[0]["opaque"], 197 * 57);
  EXPECT_EQ(r.all("paint")[0]["rows"][0][1], 0);
  EXPECT_EQ(r.all("changed"), json::parse(R"(["MouseIcon","Picture"])"));
}

TEST(Persistence, NewControlSavesForeColorButNotBackColor) {
  auto r = trace("new\ninit\nwrite\n");
  EXPECT_EQ(r.last("bag"), json::parse(R"([["ForeColor",0]])"));
  auto d = trace("new\ninit\nlet Caption \"\"\nlet Light 7\nlet Enabled False\nwrite\n");
  // Disabled, the caption colour saved is the one assigned: the default reference, left out.
  EXPECT_EQ(keys_of(d.last("bag")), (std::vector<std::string>{"Caption", "Enabled", "Light"}));
}

TEST(Persistence, KeysRoundTripInOrder) {
  const std::string set =
      R"({"Caption":"","Enabled":false,"Font":{"Name":"DejaVu Sans Mono","Size":12,"Bold":true},)"
      R"("MousePointer":11,"BackColor":255,"ForeColor":65280,"RoundSize":0,"Light":-3,)"
      R"("ToolTipText":"t","CreateRegion":false,"Roundness3D":100})";
  auto r = trace("new\nread " + set + "\nwrite\nstate\n");
  EXPECT_TRUE(r.all("error").empty());
  const auto bag = r.last("bag");
  EXPECT_EQ(keys_of(bag), (std::vector<std::string>{"Caption", "Enabled", "Font", "MousePointer",
                                                    "BackColor", "ForeColor", "RoundSize", "Light",
                                                    "ToolTipText", "CreateRegion", "Roundness3D"}));
  EXPECT_EQ(bag[0][1], "");
  EXPECT_EQ(bag[5][1], 65280);
  EXPECT_EQ(bag[7][1], -3);
  EXPECT_EQ(r.last("state")["Pic"]["ToolTipText"], "");  // the load restores the caption's tip only
}

TEST(Persistence, DisabledControlSavesTheAssignedForeColor) {
  auto r = trace("new\ninit\nshow\nlet ForeColor &H80000012\nlet Enabled False\nwrite\n");
  EXPECT_EQ(r.last("bag"), json::parse(R"([["Enabled",false]])"));  // the default reference itself
  auto s = trace("new\ninit\nshow\nlet ForeColor 255\nlet Enabled False\nwrite\n");
  const auto bag = s.last("bag");
  ASSERT_EQ(bag.size(), 2u);
  EXPECT_EQ(bag[1], json::parse(R"(["ForeColor",255])"));
  auto back = trace(
      "new\nread {\"Enabled\":false,\"ForeColor\":255}\nshow\nlet Enabled True\nget ForeColor\n");
  EXPECT_EQ(back.last("value"), 255);
}

TEST(Persistence, ConversionsFollowTheControlsRules) {
  auto r = trace(
      "new\nread {\"BackColor\":\"&H8000000F\",\"RoundSize\":\" 12 "
      "\",\"Light\":2.5,\"CreateRegion\":\"False\"}\nstate\n");
  const auto s = r.last("state");
  EXPECT_EQ(s["m_BackColor"], kFaceRef);
  EXPECT_EQ(s["m_RoundSize"], 12);
  EXPECT_EQ(s["m_Light"], 2);
  EXPECT_EQ(s["m_CreateRegion"], 0);
}

TEST(Persistence, AFailingKeyStopsTheLoadWhereItIs) {
  // RoundSize fails: the keys before it are loaded, the ones after keep their values.
  auto r = trace(
      "new\ninit\nread "
      "{\"Caption\":\"A\",\"BackColor\":255,\"RoundSize\":\"big\",\"Light\":1}\nstate\n");
  const auto e = r.last("error");
  EXPECT_EQ(e["number"], 13);
  EXPECT_EQ(e["description"], "Type mismatch");
  const auto s = r.last("state");
  EXPECT_EQ(s["Label"]["Caption"], "A");
  EXPECT_EQ(s["m_BackColor"], 255);
  EXPECT_EQ(s["m_RoundSize"], 20);
  EXPECT_EQ(s["m_Light"], 45);
  EXPECT_EQ(trace("new\nread {\"MousePointer\":40000}\n").last("error")["number"], 6);
  EXPECT_EQ(trace("new\nread {\"MousePointer\":-32769}\n").last("error")["number"], 6);
  EXPECT_EQ(trace("new\nread {\"Font\":\"Arial\"}\n").last("error")["number"], 13);
  EXPECT_EQ(trace("new\nread {\"Picture\":{\"Name\":\"x\"}}\n").last("error")["number"], 13);
  EXPECT_EQ(trace("new\nread {\"Picture\":5}\n").last("error")["number"], 13);
}

}  // namespace
}  // namespace brelund

namespace brelund {
namespace {

// The member table is where keys and defaults come from: a control with every saved property
// away from its default writes exactly the table's saved members, in the table's order.
TEST(Persistence, SavedSetFollowsTheMemberTable) {
  const auto r = testing::trace(
      "new\ninit\nlet Caption \"x\"\nlet Enabled False\nlet Font font \"DejaVu Serif\" 12\n"
      "let MouseIcon picture 2 2\nlet MousePointer 3\nlet Picture picture 4 4\n"
      "let BackColor 255\nlet ForeColor 65280\nlet RoundSize 7\nlet Light 9\n"
      "let ToolTipText \"t\"\nlet CreateRegion False\nlet Roundness3D 11\nwrite\n");
  std::vector<std::string> saved;
  for (const Member& m : members())
    if (m.saved_default) saved.emplace_back(m.name);
  EXPECT_EQ(saved.size(), 13u);
  EXPECT_EQ(keys_of(r.last("bag")), saved);
}

}  // namespace
}  // namespace brelund
