// Form files on edge-case text: every input reads to a form or to a brelund::Error, and a form
// that reads saves to text that reads back to the same bytes; a save refuses text that is not
// UTF-8 and names where it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "brelund/forms.h"
#include "host/common/png.h"

namespace brelund {
namespace {

namespace fs = std::filesystem;

// A reading ends in a form or in an Error; a form read saves to text that reads back and saves
// to the same bytes.
void expect_sound_reading(const std::string& text) {
  for (const bool whole_form : {true, false}) {
    forms::Form f;
    try {
      if (whole_form) {
        f = forms::parse(text, ".", "t.json");
      } else {
        f.controls.push_back({});
        f.controls.back().properties = forms::parse_properties(text, ".", "t.json");
      }
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.description()), "") << text;
      continue;
    }
    std::string saved;
    try {
      saved = forms::to_json(f);
    } catch (const Error& e) {
      // What was read is UTF-8 (the reader refuses anything else), so it always saves.
      ADD_FAILURE() << "a form read does not save: " << e.what() << "\n" << text;
      continue;
    }
    if (!whole_form) continue;
    try {
      EXPECT_EQ(forms::to_json(forms::parse(saved, ".", "saved.json")), saved) << text;
    } catch (const Error& e) {
      ADD_FAILURE() << "a saved form does not load again: " << e.what() << "\n" << saved;
    }
  }
}

const char* const kForm = R"({"Form":{"Caption":"Ventana","Width":9000,"Height":6000.5,
  "BackColor":"&H8000000F&","Font":{"Name":"DejaVu Sans","Size":8.25,"Bold":true}},
  "Controls":[{"Name":"B1","Left":600,"Top":600,"Width":2955,"Height":855,"Default":true,
  "Cancel":false,"Properties":{"Caption":"Acep\tt\u00e1r \"y\" \\ \/","RoundSize":30,
  "Light":-12,"BackColor":"&H00C08040&","ForeColor":255,"Enabled":false,"Roundness3D":2.5e1,
  "ToolTipText":"","Font":{"Name":"DejaVu Serif","Size":12,"Weight":700,"Charset":0}}},
  {"Name":"B2","Properties":{}}]})";

TEST(FormText, EveryTextReadsToAFormOrAnError) {
  expect_sound_reading(kForm);
  // The same without the \u escape.
  std::string plain = kForm;
  plain.replace(plain.find("\\u00e1"), 6, "\xC3\xA1");
  expect_sound_reading(plain);
  EXPECT_NO_THROW(forms::parse(plain, ".", "t.json"));
  for (const char* text : {"",
                           " ",
                           "{}",
                           "[]",
                           "null",
                           "{\"Form\":{}}",
                           "\xEF\xBB\xBF{}",
                           "{} x",
                           "{},",
                           R"({"Controls":[]})",
                           R"({"Controls":{}})",
                           R"({"Controls":[1]})",
                           R"({"Controls":[{"Name":"a","Name":"b"}]})",
                           R"({"Form":{"Width":-0}})",
                           R"({"Form":{"Width":-0.0}})",
                           R"({"Form":{"Width":1e400}})",
                           R"({"Form":{"Width":1e-400}})",
                           R"({"Form":{"Width":123456789012345678}})",
                           R"({"Form":{"Width":1234567890123456789}})",
                           R"({"Form":{"Width":12345678901234567890123}})",
                           R"({"Form":{"Width":01}})",
                           R"({"Form":{"Width":1.}})",
                           R"({"Form":{"Width":.5}})",
                           R"({"Form":{"Width":+1}})",
                           R"({"Form":{"Width":1E+2}})",
                           R"({"Form":{"Width":1e-2}})",
                           R"({"Form":{"Width":-}})",
                           R"({"Form":{"Caption":"a\u0000b"}})",
                           R"({"Form":{"Caption":"\ud83d\ude00"}})",
                           R"({"Form":{"Caption":"\x"}})",
                           "{\"Form\":{\"Caption\":\"a\x01\"}}",
                           "{\"Form\":{\"Caption\":\"\xC0\x80\"}}",
                           "{\"Form\":{\"Caption\":\"\xED\xA0\x80\"}}",
                           "{\"Form\":{\"Caption\":\"\xF4\x90\x80\x80\"}}",
                           "{\"Form\":{\"Caption\":\"\xE2\x82\"}}",
                           "{\"Form\":{\"Caption\":\"\xF0\x9F\x98\x80\"}}",
                           R"({"Form":{"Caption":"a"})",
                           R"({"Controls":[{"Properties":{"Caption":[1]}}]})",
                           R"({"Controls":[{"Properties":{"RoundSize":3000000000}}]})",
                           R"({"Controls":[{"Properties":{"RoundSize":-2147483648}}]})",
                           R"({"Controls":[{"Properties":{"Light":true,"Enabled":0}}]})",
                           R"({"Controls":[{"Properties":{"Picture":{"png":""}}}]})",
                           R"({"Controls":[{"Properties":{"Picture":{"png":"", "file":"x"}}}]})",
                           R"({"Controls":[{"Properties":{"Font":{"Weight":1.5}}}]})",
                           R"({"Controls":[{"Properties":{"Font":{"Size":0}}}]})",
                           R"({"Controls":[{"Properties":{"Captoin":"x"}}]})",
                           R"({"Controls":[{"Left":1,"Name":5}]})",
                           R"({"Extra":1})",
                           "{\"Form\" :\t{\r\n\"Caption\" : \"x\" } , \"Controls\" : [ ] }"})
    expect_sound_reading(text);
  std::string deep = R"({"Controls":[{"Properties":{"Font":)";
  for (int i = 0; i < 40; ++i) deep += R"({"x":)";
  deep += "1" + std::string(40, '}') + "}}]}";
  expect_sound_reading(deep);
}

TEST(FormText, TheCorpusAndItsMutationsReadSoundly) {
  std::vector<std::string> seeds{kForm};
  for (const char* folder :
       {BRELUND_SOURCE_DIR "/fuzz/corpus/form", BRELUND_SOURCE_DIR "/fuzz/corpus/properties"})
    for (const auto& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  {
    std::ifstream in(BRELUND_SOURCE_DIR "/examples/gallery.json", std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  for (const auto& s : seeds) expect_sound_reading(s);
  // Small edits of the seeds, from bytes that matter to JSON and to UTF-8.
  const std::string alphabet = "{}[]\":,\\ \t\n0123456789.eE+-tfnaul/\xC3\xA1\x80\xFF";
  std::mt19937 rng(1234);
  for (int trial = 0; trial < 4000; ++trial) {
    std::string text = seeds[rng() % seeds.size()];
    for (int edits = 1 + static_cast<int>(rng() % 3); edits > 0 && !text.empty(); --edits) {
      const std::size_t at = rng() % text.size();
      const char c = alphabet[rng() % alphabet.size()];
      switch (rng() % 3) {
        case 0:
          text[at] = c;
          break;
        case 1:
          text.insert(at, 1, c);
          break;
        default:
          text.erase(at, 1);
      }
    }
    expect_sound_reading(text);
    if (HasFailure()) return;
  }
}

// A save writes every form whose text is UTF-8, to text that names no key twice, and refuses
// the others as a whole.
void expect_writing(const forms::Form& form, bool utf8) {
  try {
    const std::string text = forms::to_json(form);
    EXPECT_TRUE(utf8) << text;
  } catch (const Error& e) {
    EXPECT_FALSE(utf8) << e.what();
    EXPECT_NE(std::string(e.description()).find("text is not valid UTF-8; nothing was saved"),
              std::string::npos)
        << e.what();
  }
}

TEST(FormText, WritesEveryUtf8FormAndRefusesTheRest) {
  expect_writing(forms::Form{}, true);
  expect_writing(forms::parse(kForm, ".", "t.json"), true);
  std::mt19937 rng(99);
  std::string every_control;
  for (char c = 0; c < 0x20; ++c) every_control += c;
  const std::vector<std::string> texts{every_control,
                                       "",
                                       "Aceptar",
                                       "tab\there \"q\" back\\slash /",
                                       std::string("nul\0x\x01\x1f\x7f", 8),
                                       "\xC3\xB3\xE2\x82\xAC\xF0\x9F\x98\x80",
                                       "bad \xC0\x80",
                                       "cut \xE2\x82",
                                       "\xED\xA0\x80"};
  const std::vector<double> numbers{0.0,
                                    -0.0,
                                    2955,
                                    8.25,
                                    0.1,
                                    1e-7,
                                    1e21,
                                    123456789.125,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    5e-324,
                                    1.7976931348623157e308};
  auto picture = make_picture(2, 1, {0xFF102030u, 0x00000000u});
  for (int trial = 0; trial < 500; ++trial) {
    forms::Form f;
    // The last three texts are not UTF-8; a property key given twice keeps its last value.
    bool bad = false;
    auto pick = [&] { return rng() % texts.size(); };
    auto text = [&] {
      const auto i = pick();
      bad |= i >= texts.size() - 3;
      return texts[i];
    };
    auto number = [&] { return numbers[rng() % numbers.size()]; };
    f.caption = text();
    f.width = static_cast<float>(number());
    f.height = static_cast<float>(rng() % 100000) / 7.0f;
    f.back_color = static_cast<OleColor>(rng());
    if (rng() % 2) {
      auto font = std::make_shared<Font>();
      font->name = text();
      font->size = number();
      font->bold = rng() % 2;
      font->weight = static_cast<std::int16_t>(rng() % 1000);
      f.font = font;
    }
    for (int c = static_cast<int>(rng() % 4); c > 0; --c) {
      forms::Control control;
      control.name = text();
      control.left = static_cast<float>(number());
      control.top = -static_cast<float>(rng() % 5000);
      control.is_default = rng() % 2;
      const char* keys[] = {"Caption", "BackColor", "ForeColor", "Font", "Picture", "Light", "x"};
      std::vector<std::pair<std::string, bool>> last;  // each key, and whether its value is bad
      for (int p = static_cast<int>(rng() % 6); p > 0; --p) {
        const bool bad_before = bad;
        bad = false;
        Variant v;
        switch (rng() % 10) {
          case 0:
            v = std::monostate{};
            break;
          case 1:
            v = Nothing{};
            break;
          case 2:
            v = rng() % 2 == 0;
            break;
          case 3:
            v = static_cast<std::int16_t>(rng());
            break;
          case 4:
            v = static_cast<std::int32_t>(rng());
            break;
          case 5:
            v = number();
            break;
          case 6:
            v = text();
            break;
          case 7:
            v = f.font;
            break;
          case 8:
            v = rng() % 2 ? picture : make_empty_picture();
            break;
          default:
            v = PictureRef();
            break;
        }
        const std::string key = keys[rng() % 7];
        const auto seen =
            std::find_if(last.begin(), last.end(), [&](const auto& kb) { return kb.first == key; });
        if (seen == last.end())
          last.emplace_back(key, bad);
        else
          seen->second = bad;
        bad = bad_before;
        control.properties.emplace_back(key, v);
      }
      for (const auto& kb : last) bad |= kb.second;
      f.controls.push_back(control);
    }
    expect_writing(f, !bad);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace brelund
