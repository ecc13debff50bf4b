#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "control/event_table.h"
#include "control/property_table.h"
#include "trace_support.h"

namespace brelund {
namespace {

using testing::json;
using testing::trace;

const std::string kShown = "new\ninit\nlabel size 435 195\nshow\n";
constexpr int kFace = 212 + 208 * 256 + 200 * 65536;  // system colour 15 of the default scheme

TEST(Properties, NewInstanceState) {
  const auto s = trace("new\ninit\nstate\n").last("state");
  EXPECT_EQ(s["m_RoundSize"], 20);
  EXPECT_EQ(s["m_Roundness3D"], 20);
  EXPECT_EQ(s["m_Light"], 45);
  EXPECT_EQ(s["m_CreateRegion"], -1);
  EXPECT_EQ(s["m_Highlighted"], 0);
  EXPECT_EQ(s["m_Pressed"], 0);
  EXPECT_EQ(s["m_BackColor"], static_cast<std::int32_t>(0x8000000F));
  EXPECT_EQ(s["m_ForeColor"], static_cast<std::int32_t>(0x80000012));
  EXPECT_EQ(s["BackColor"], kFace);
  EXPECT_EQ(s["Label"]["Caption"], "Botón");
  EXPECT_FALSE(s["Pic"]["Visible"].get<bool>());
  EXPECT_FALSE(s["Timer1"].get<bool>());
  // Creation and InitProperties draw nothing.
  EXPECT_TRUE(trace("new\ninit\n").lines.empty());
}

TEST(Properties, RebuildingSettersRebuildThenNotify) {
  for (const char* set :
       {"Caption \"x\"", "Enabled True", "Font font \"DejaVu Sans\" 12", "Picture nothing",
        "BackColor 255", "RoundSize 3", "Light 10", "CreateRegion False", "Roundness3D 5"}) {
    auto r = trace(kShown + "let " + set + "\n");
    const auto k = r.kinds();
    ASSERT_GE(k.size(), 4u) << set;
    const std::vector<std::string> tail(k.end() - 4, k.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"mask", "paint", "layout", "changed"})) << set;
  }
}

TEST(Properties, PlainSettersOnlyNotify) {
  for (const char* set :
       {"ForeColor 255", "ToolTipText \"tip\"", "MousePointer 11", "MouseIcon nothing"}) {
    auto r = trace(kShown + "let " + set + "\n");
    EXPECT_EQ(r.kinds().back(), "changed") << set;
    EXPECT_EQ(r.kinds()[r.kinds().size() - 2], "layout") << set;  // from the show, not the setter
  }
  auto r = trace(kShown + "call Refresh\n");
  EXPECT_EQ(r.kinds().back(), "refresh");
  EXPECT_EQ(r.all("paint").size(), 1u);
}

TEST(Properties, SameValueTwiceRebuildsAndNotifiesTwice) {
  auto r = trace(kShown + "let RoundSize 20\nlet RoundSize 20\n");
  EXPECT_EQ(r.all("changed").size(), 2u);
  EXPECT_EQ(r.all("mask").size(), 3u);
}

TEST(Properties, ColoursAreHeldTwice) {
  auto r = trace(
      kShown +
      "syscolor 18 &H112233\nlet BackColor &H8000000F\nget BackColor\ncall BackColorOriginal\n"
      "let ForeColor &H80000012\nget ForeColor\nlet Enabled False\nget ForeColor\n"
      "let Enabled True\nget ForeColor\n");
  const auto v = r.all("value");
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[0], kFace);
  EXPECT_EQ(v[1], static_cast<std::int32_t>(0x8000000F));
  EXPECT_EQ(v[2], 0x112233);
  EXPECT_EQ(v[3], r.all("paint")[r.all("paint").size() - 2]["caption"]);  // disabled caption colour
  EXPECT_EQ(v[4],
            static_cast<std::int32_t>(0x80000012));  // enabling hands over m_ForeColor unresolved
}

TEST(Properties, ForeColorWhileDisabledChangesAtOnceUntilTheNextPaint) {
  auto r =
      trace(kShown +
            "let Enabled False\nlet ForeColor 255\nget ForeColor\nlet Light 45\nget ForeColor\n");
  const auto v = r.all("value");
  EXPECT_EQ(v[0], 255);
  EXPECT_EQ(v[1], r.all("paint").back()["caption"]);
  auto s = trace(kShown + "let Enabled False\nstate\n").last("state");
  EXPECT_FALSE(s["Enabled"].get<bool>());
  EXPECT_FALSE(s["Pic"]["Enabled"].get<bool>());
}

TEST(Properties, ValuesAreStoredUncheckedAndBadConversionsReported) {
  auto r = trace(kShown +
                 "let RoundSize -5\nget RoundSize\nlet Light 0\nget Light\nlet Roundness3D -1\nget "
                 "Roundness3D\n"
                 "let RoundSize \"abc\"\nlet RoundSize 3000000000\nlet MousePointer 42\nlet "
                 "Caption nothing\n");
  const auto v = r.all("value");
  EXPECT_EQ(v[0], -5);
  EXPECT_EQ(v[1], 0);
  EXPECT_EQ(v[2], -1);
  const auto e = r.all("error");
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0]["number"], 13);
  EXPECT_EQ(e[1]["number"], 6);
  EXPECT_EQ(e[2]["number"], 380);  // the host refuses the pointer shape
  EXPECT_EQ(e[3]["number"], 13);
}

TEST(Properties, ToolTipGoesToBothChildren) {
  auto s =
      trace(kShown + "let ToolTipText \"hola\"\nstate\nlet ToolTipText \"\"\nstate\n").all("state");
  EXPECT_EQ(s[0]["Label"]["ToolTipText"], "hola");
  EXPECT_EQ(s[0]["Pic"]["ToolTipText"], "hola");
  EXPECT_EQ(s[1]["Pic"]["ToolTipText"], "");
}

// The names and dispatch ids themselves are held to the built type library by ocx_inspect
// (tests/activex/static); here, that the table is one row per slot, found by name in any case.
TEST(Properties, TableHasOneRowPerSlotFoundByNameInAnyCase) {
  const auto m = members();
  for (std::size_t i = 0; i < m.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(m[i].id), i) << m[i].name;
    EXPECT_EQ(&member(m[i].id), &m[i]);
    std::string lower(m[i].name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(find_member(lower), &m[i]);
  }
  EXPECT_EQ(find_member("Nope"), nullptr);
  EXPECT_EQ(find_member(""), nullptr);
}

// The trace language's description names the methods `call` takes and the events `on` takes:
// the tables' own, all of them.
TEST(Properties, TraceLanguageNamesTheTablesMethodsAndEvents) {
  std::ifstream in(std::string(BRELUND_SOURCE_DIR) + "/docs/trace.md");
  std::string line, call_row, on_row;
  while (std::getline(in, line)) {
    if (line.starts_with("| `call NAME`")) call_row = line;
    if (line.starts_with("| `on EVENT")) on_row = line.substr(0, line.find(':'));
  }
  const auto named = [](const std::string& row) {
    std::set<std::string> out;
    static const std::regex word(R"(`([A-Z]\w*)`)");
    for (auto it = std::sregex_iterator(row.begin(), row.end(), word); it != std::sregex_iterator();
         ++it)
      out.insert((*it)[1]);
    return out;
  };
  std::set<std::string> methods, event_names;
  for (const Member& m : members())
    if (m.kind == MemberKind::method) methods.emplace(m.name);
  for (const EventInfo& e : events()) event_names.emplace(e.name);
  EXPECT_EQ(named(call_row), methods) << call_row;
  EXPECT_EQ(named(on_row), event_names) << on_row;
}

}  // namespace
}  // namespace brelund
