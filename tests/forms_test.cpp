#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <random>
#include <sstream>

#include "brelund/forms.h"
#include "brelund/headless/form.h"
#include "host/common/forms/base64.h"
#include "host/common/png.h"
#include "host/headless/internals.h"

namespace brelund {
namespace {

namespace fs = std::filesystem;

class Forms : public ::testing::Test {
 protected:
  Forms() : dir(fs::temp_directory_path() / ("brelund-forms-" + std::to_string(::getpid()))) {
    fs::create_directories(dir / "icons");
    const auto png = png::encode(2, 2, {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0});
    png::write_file((dir / "icons" / "p.png").string(), png);
  }
  ~Forms() override { fs::remove_all(dir); }

  std::string write(const std::string& name, const std::string& text) {
    std::ofstream((dir / name).string()) << text;
    return (dir / name).string();
  }
  // The error message of opening a form with one control whose properties are `props`.
  std::string error_of(const std::string& props, const std::string& extra = "") {
    const std::string path = write(
        "f.json", R"({"Controls":[{"Name":"B1")" + extra + R"(,"Properties":)" + props + "}]}");
    try {
      headless::FormInstance::open(forms::load(path), path);
    } catch (const Error& e) {
      return e.description();
    }
    return "";
  }
  fs::path dir;
};

TEST_F(Forms, BadInputIsNamedByFileControlAndKey) {
  const auto has = [](const std::string& msg, std::initializer_list<const char*> parts) {
    for (const char* p : parts)
      if (msg.find(p) == std::string::npos)
        return ::testing::AssertionFailure() << msg << " lacks " << p;
    return ::testing::AssertionSuccess();
  };
  EXPECT_TRUE(has(error_of(R"({"RoundSize":"x"})"),
                  {"f.json", "\"B1\"", "\"RoundSize\"", "expected an integer"}));
  EXPECT_TRUE(has(error_of(R"({"RoundSize":20.5})"), {"\"RoundSize\"", "not a fraction"}));
  EXPECT_TRUE(has(error_of(R"({"Caption":5})"), {"\"Caption\"", "expected a string"}));
  EXPECT_TRUE(has(error_of(R"({"Light":100000})"),
                  {"\"B1\"", "\"Light\"", "out of range (-32000 to 32000)"}));
  EXPECT_TRUE(has(error_of(R"({"MousePointer":99999})"), {"\"MousePointer\"", "out of range"}));
  EXPECT_TRUE(has(error_of(R"({"MousePointer":16})"), {"\"MousePointer\"", "0 to 15, or 99"}));
  EXPECT_TRUE(has(error_of(R"({"Picture":{"file":"/etc/passwd"}})"), {"\"Picture\"", "relative"}));
  EXPECT_TRUE(has(error_of(R"({"Picture":{"file":"../x.png"}})"), {"\"Picture\"", "leaves"}));
  EXPECT_TRUE(has(error_of(R"({"Picture":{"file":"icons/../../x.png"}})"), {"leaves"}));
  EXPECT_TRUE(
      has(error_of(R"({"Picture":{"file":"missing.png"}})"), {"\"Picture\"", "missing.png"}));
  EXPECT_TRUE(has(error_of(R"({"Picture":{"png":"!!!"}})"), {"\"Picture\"", "base64"}));
  EXPECT_TRUE(has(error_of(R"({"Picture":{"png":"aGVsbG8="}})"), {"\"Picture\"", "not a PNG"}));
  EXPECT_TRUE(has(error_of(R"({"Caption":[1,2]})"), {"\"Caption\"", "expected a string"}));
  EXPECT_TRUE(has(error_of(R"({"Caption":")" + std::string(70000, 'a') + "\"}"),
                  {"\"Caption\"", "longer"}));
  EXPECT_TRUE(has(error_of("{}", R"(,"Width":"wide")"), {"\"B1\"", "\"Width\"", "number"}));
  EXPECT_TRUE(has(error_of("{}", R"(,"Left":1e30)"), {"\"Left\"", "range"}));
  const std::string bad = write("bad.json", "{\"Controls\": [");
  try {
    forms::load(bad);
    ADD_FAILURE() << "malformed JSON accepted";
  } catch (const Error& e) {
    EXPECT_TRUE(has(e.description(), {"bad.json", "malformed JSON: the text ends early"}));
    // Our own words, not the JSON library's.
    EXPECT_EQ(e.description().find("parse_error"), std::string::npos) << e.description();
  }
  EXPECT_THROW(forms::load((dir / "none.json").string()), Error);
}

// A misspelt key is not silently dropped: the error names the control, the key and the property
// it most likely meant. Keys still match without regard to case.
TEST_F(Forms, UnknownPropertyKeysNameTheNearestProperty) {
  const auto expect_hint = [&](const std::string& key, const std::string& nearest) {
    const std::string msg = error_of("{\"" + key + "\":1}");
    EXPECT_NE(msg.find("\"B1\""), std::string::npos) << msg;
    EXPECT_NE(msg.find("key \"" + key + "\""), std::string::npos) << msg;
    EXPECT_NE(msg.find("did you mean \"" + nearest + "\""), std::string::npos) << msg;
  };
  expect_hint("Captoin", "Caption");
  expect_hint("Roundsise", "RoundSize");
  expect_hint("Roundness3", "Roundness3D");
  expect_hint("ligth", "Light");
  expect_hint("TooltipTxt", "ToolTipText");
  expect_hint("BackColour", "BackColor");
  expect_hint("Pictures", "Picture");
  // Nonsense is not a misspelling of anything.
  const std::string nonsense = error_of(R"({"zzzzzzzz":1})");
  EXPECT_NE(nonsense.find("unknown property"), std::string::npos) << nonsense;
  EXPECT_EQ(nonsense.find("did you mean"), std::string::npos) << nonsense;

  const std::string path = write(
      "case.json", R"({"Controls":[{"Name":"B1","Properties":{"caption":"Hola","ROUNDSIZE":7}}]})");
  auto fi = headless::FormInstance::open(forms::load(path), path);
  EXPECT_EQ(fi.buttons.at(0)->control().Caption(), "Hola");
  EXPECT_EQ(fi.buttons.at(0)->control().RoundSize(), 7);
}

// Paths that are not what they should be are reported as what they are: a folder where a file
// belongs, and a missing picture beside a form in the current folder (whose folder is empty)
// as missing rather than as a path leaving the form's folder.
TEST_F(Forms, PathsAreReportedForWhatTheyAre) {
  const std::string folder = error_of(R"({"Picture":{"file":"icons"}})");
  EXPECT_NE(folder.find("\"Picture\""), std::string::npos) << folder;
  EXPECT_NE(folder.find("is a folder"), std::string::npos) << folder;
  try {
    forms::load((dir / "icons").string());
    ADD_FAILURE() << "a folder loaded as a form";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("is a folder"), std::string::npos) << e.description();
  }

  const fs::path cwd = fs::current_path();
  fs::current_path(dir);
  std::string missing, present;
  try {
    forms::parse(R"({"Controls":[{"Properties":{"Picture":{"file":"missing.png"}}}]})", "", "f");
  } catch (const Error& e) {
    missing = e.description();
  }
  try {
    present = std::to_string(
        forms::parse(R"({"Controls":[{"Properties":{"Picture":{"file":"icons/p.png"}}}]})", "", "f")
            .controls.size());
  } catch (const Error& e) {
    present = e.description();
  }
  fs::current_path(cwd);
  EXPECT_NE(missing.find("File not found"), std::string::npos) << missing;
  EXPECT_EQ(present, "1");
}

// The form and its buttons are public; a caller that drops a control from one of them gets an
// error from render and capture instead of a read or write past the end of the other.
TEST_F(Forms, RenderAndCaptureRefuseControlsOutOfStepWithButtons) {
  auto fi = headless::FormInstance::open(
      forms::parse(R"({"Controls":[{"Name":"A"},{"Name":"B"}]})", "", "f.json"), "f.json");
  fi.form.controls[1].left = 150;  // moving one is fine
  EXPECT_EQ(fi.capture().controls.at(1).left, 150);
  std::vector<forms::Control>().swap(fi.form.controls);
  EXPECT_THROW(fi.render(), Error);
  EXPECT_THROW(fi.capture(), Error);
  fi.buttons.clear();
  EXPECT_EQ(fi.render().width, units::extent_pixels(fi.form.width));
}

// A save never replaces a form file with one that cannot be opened again: a place that is not
// a number (written as null) or a size a load refuses is an error, and the old file stays.
TEST_F(Forms, SaveRefusesWhatALoadWouldRefuseAndKeepsTheOldFile) {
  const std::string path = (dir / "kept.json").string();
  forms::Form good = forms::parse(R"({"Controls":[{"Name":"A"},{"Name":"B"}]})", "", "f");
  forms::save(good, path);
  const std::string before = forms::to_json(forms::load(path));
  const auto refused = [&](auto change, const char* where) {
    forms::Form f = good;
    change(f);
    try {
      forms::save(f, path);
      ADD_FAILURE() << where << " saved";
    } catch (const Error& e) {
      EXPECT_NE(e.description().find(where), std::string::npos) << e.description();
    }
    EXPECT_EQ(forms::to_json(forms::load(path)), before);
  };
  refused([](forms::Form& f) { f.controls[1].left = std::nanf(""); },
          "control \"B\": key \"Left\"");
  refused([](forms::Form& f) { f.controls[0].width = -15; }, "key \"Width\"");
  refused([](forms::Form& f) { f.height = 1e9f; }, "key \"Form.Height\"");
  refused(
      [](forms::Form& f) {
        auto font = std::make_shared<Font>();
        font->size = 0;
        f.controls[0].properties.emplace_back("Font", FontRef(font));
      },
      "key \"Font\"");
  EXPECT_FALSE(fs::exists(path + ".saving"));
}

// A control whose name is empty is still found by its number in messages.
TEST_F(Forms, AControlWithAnEmptyNameIsNamedByItsNumber) {
  try {
    forms::parse(R"({"Controls":[{"Name":"A"},{"Name":"","Left":"x"}]})", "", "f.json");
    ADD_FAILURE() << "a bad Left accepted";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("control \"#2\": key \"Left\""), std::string::npos)
        << e.description();
  }
}

TEST_F(Forms, OversizedPicturesAreRefused) {
  // A PNG header announcing 20000 x 20000 pixels: refused before any pixel is decoded.
  std::vector<std::uint32_t> one(1, 0xFFFFFFFFu);
  auto bytes = png::encode(1, 1, one);
  const std::uint8_t big[8] = {0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20};
  std::copy(big, big + 8, bytes.begin() + 16);
  EXPECT_THROW(png::decode(bytes), Error);
  const std::string props = R"({"Picture":{"png":")" + base64::encode(bytes) + "\"}}";
  EXPECT_NE(error_of(props).find("Picture"), std::string::npos);
}

TEST_F(Forms, SaveLoadSaveIsByteStable) {
  const std::string path = write("g.json", R"({
    "Form": {"Caption": "G", "Width": 6000, "Height": 3000, "BackColor": "&H00008000&",
             "Font": {"Name": "DejaVu Sans", "Size": 9}},
    "Controls": [
      {"Name": "A", "Left": 100, "Top": 100, "Default": true,
       "Properties": {"Caption": "Sí", "Picture": {"file": "icons/p.png"}, "BackColor": "&H8000000F&",
                      "Font": {"Name": "DejaVu Serif", "Size": 10, "Italic": true}}},
      {"Name": "B", "Left": 100, "Top": 1200, "Width": 3000, "Height": 900, "Cancel": true,
       "Properties": {"Caption": "", "Enabled": false, "ForeColor": 255, "RoundSize": -4, "Light": 0,
                      "ToolTipText": "x", "CreateRegion": false, "Roundness3D": 0, "MousePointer": 2}}]})");
  auto first = headless::FormInstance::open(forms::load(path), path);
  const std::string saved1 = forms::to_json(first.capture());
  const std::string path2 = write("g2.json", saved1);
  auto second = headless::FormInstance::open(forms::load(path2), path2);
  const std::string saved2 = forms::to_json(second.capture());
  EXPECT_EQ(saved1, saved2);
  const auto reloaded = forms::load(path2);
  ASSERT_EQ(reloaded.controls.size(), 2u);
  // Every key that differs from its default comes back; B's font is the ambient one.
  EXPECT_EQ(reloaded.controls[1].properties.size(), 9u);
  EXPECT_TRUE(reloaded.controls[0].is_default);
  const auto& a = reloaded.controls[0].properties;
  ASSERT_EQ(a.size(),
            3u);  // Caption, Font, Picture: the loaded colour references equal the defaults
  const auto pic = std::get<PictureRef>(a[2].second);
  ASSERT_TRUE(pic);
  EXPECT_EQ(pic->pixels[1], 0xFF00FF00u);
}

TEST_F(Forms, TextThatIsNotUtf8IsRefusedOnSaveAndTheOldFileKept) {
  forms::Form form;
  form.controls.push_back(
      {"B1", 0, 0, 2955, 855, false, false, {{"Caption", std::string("\xF8x")}}});
  const std::string path = write("keep.json", "old");
  try {
    forms::save(form, path);
    ADD_FAILURE() << "saved text that is not UTF-8";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("key \"Caption\""), std::string::npos) << e.description();
  }
  std::ifstream in(path);
  std::string kept;
  in >> kept;
  EXPECT_EQ(kept, "old");
}

TEST_F(Forms, RenderShowsTheFormThroughTheCorners) {
  const std::string path =
      write("r.json", R"({"Form":{"Width":3300,"Height":1200,"BackColor":"&H0000FF00&"},
    "Controls":[{"Name":"A","Left":150,"Top":150,"Properties":{"BackColor":255}}]})");
  auto fi = headless::FormInstance::open(forms::load(path), path);
  const Raster r = fi.render();
  EXPECT_EQ(r.width, 220);
  EXPECT_EQ(rgb_of_argb(r.row(10)[10]), 0x00FF00);  // the corner shows the form
  const std::int32_t face = rgb_of_argb(r.row(40)[60]);
  EXPECT_GT(face & 0xFF, 200);  // the face is red
  EXPECT_EQ(face >> 8, 0);
}

// Everything a button shows or keeps after it was opened, for comparing two ways of opening.
std::string state_of(headless::Button& b, const Status& s) {
  auto& h = internals(b);
  std::ostringstream os;
  os << "status " << s.number << ' ' << s.description << ' ' << s.gone << '\n';
  const BotonFields f = b.control().fields();
  os << "fields " << f.m_Highlighted << ' ' << f.m_Pressed << ' ' << f.m_ForeColor << ' '
     << f.m_BackColor << ' ' << f.m_Roundness3D << ' ' << f.m_CreateRegion << ' ' << f.m_Light
     << ' ' << f.m_RoundSize << '\n';
  const Raster& r = h.surface.pixels();
  os << "face " << r.width << 'x' << r.height << ' '
     << std::hash<std::string_view>()(
            std::string_view(reinterpret_cast<const char*>(r.pixels.data()), r.pixels.size() * 4))
     << " scale " << h.surface.scale_width() << ' ' << h.surface.scale_height() << ' '
     << h.surface.draw_style() << ' ' << h.surface.back_color() << '\n';
  if (const MaskRef& mask = h.surface.mask_picture()) {
    const PictureRef m = mask->picture();
    os << "mask " << (m->handle != 0) << ' ' << m->width << 'x' << m->height << ' '
       << std::hash<std::string_view>()(std::string_view(
              reinterpret_cast<const char*>(m->pixels.data()), m->pixels.size() * 4))
       << '\n';
  }
  os << "label " << h.label.caption() << ' ' << h.label.left() << ' ' << h.label.top() << ' '
     << h.label.width() << ' ' << h.label.height() << ' ' << h.label.fore_color() << '\n';
  os << "pic " << h.pic.left() << ' ' << h.pic.top() << ' ' << h.pic.width() << ' '
     << h.pic.height() << ' ' << h.pic.visible() << '\n';
  return os.str();
}

// Opening a control from its form entry leaves the load's own rebuild to Show's: the button
// shows and keeps exactly what loading and then showing it gives, and fails the same way.
TEST_F(Forms, OpeningGivesWhatLoadingThenShowingGives) {
  const auto icon = png::encode(3, 2, {0xFF0000FFu, 0x800000FFu, 0, 0xFF00FF00u, 1, 2});
  const std::vector<std::string> values{R"("Caption":"Aceptar")",
                                        R"("Caption":"")",
                                        R"("Enabled":false)",
                                        R"("Enabled":"x")",
                                        R"("Font":{"Name":"DejaVu Serif","Size":14,"Bold":true})",
                                        R"("MousePointer":3)",
                                        R"("Picture":{"png":")" + base64::encode(icon) + R"("})",
                                        R"("Picture":{"png":""})",
                                        R"("Picture":null)",
                                        R"("BackColor":"&H00C08040&")",
                                        R"("BackColor":"&H80000012&")",
                                        R"("BackColor":"bad")",
                                        R"("ForeColor":255)",
                                        R"("RoundSize":0)",
                                        R"("RoundSize":60)",
                                        R"("RoundSize":-4)",
                                        R"("Light":-200)",
                                        R"("Light":90)",
                                        R"("Light":2000000000)",
                                        R"("ToolTipText":"t")",
                                        R"("CreateRegion":false)",
                                        R"("Roundness3D":0)",
                                        R"("Roundness3D":100)",
                                        R"("Roundness3D":250)",
                                        R"("RoundSize":"x")"};
  const std::vector<std::string> sizes{"",
                                       R"(,"Width":2955,"Height":855)",
                                       R"(,"Width":3000,"Height":900)",
                                       R"(,"Width":0,"Height":0)",
                                       R"(,"Width":20,"Height":20)",
                                       R"(,"Width":150,"Height":2000)",
                                       R"(,"Width":9000,"Height":150)"};
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; ++trial) {
    std::string props = "{";
    for (int k = static_cast<int>(rng() % 6); k > 0; --k) {
      if (props.size() > 1) props += ',';
      props += values[rng() % values.size()];
    }
    props += '}';
    const std::string text = R"({"Controls":[{"Name":"B1")" + sizes[rng() % sizes.size()] +
                             R"(,"Properties":)" + props + "}]}";
    forms::Form form;
    try {
      form = forms::parse(text, dir.string(), "f.json");
    } catch (const Error&) {
      continue;  // a key given twice
    }
    const forms::Control& entry = form.controls.at(0);
    headless::Button split, together;
    Status s = internals(split).instance.load(entry, "f.json");
    const bool split_loaded = s.ok();
    if (split_loaded) s = internals(split).instance.show();
    bool loaded = false;
    const Status t = internals(together).instance.open(entry, "f.json", loaded);
    if (!t.ok()) {
      // A failure discards the button, so only the failure itself must agree.
      EXPECT_EQ(t.number, s.number) << text;
      EXPECT_EQ(t.description, s.description) << text;
      EXPECT_EQ(loaded, split_loaded) << text;
      continue;
    }
    EXPECT_EQ(state_of(together, t), state_of(split, s)) << text;
  }
}

}  // namespace
}  // namespace brelund
