// Form files: a form's size, background and ambient font, and its buttons in order, each with
// its saved property set in key order. One JSON format for every desktop host, read and written
// here only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "brelund/design.h"
#include "brelund/error.h"
#include "brelund/units.h"
#include "brelund/values.h"

namespace brelund::forms {

using Properties = std::vector<std::pair<std::string, Variant>>;

struct Control {
  std::string name;
  float left = 0, top = 0;
  float width = design::kWidth, height = design::kHeight;
  bool is_default = false, is_cancel = false;
  Properties properties;
};

struct Form {
  std::string caption;
  float width = 9000, height = 6000;
  OleColor back_color = design::kBackColor;
  FontRef font;
  std::vector<Control> controls;
};

// Limits on what a form file may ask for; anything larger is refused with an error.
inline constexpr std::size_t kMaxFileBytes = 64u << 20;
inline constexpr std::size_t kMaxStringBytes = 64u << 10;
inline constexpr std::size_t kMaxControls = 10000;
inline constexpr float kMaxTwips = units::kMaxTwips;

// Reads a form file. Pictures named by {"file": PATH} must be relative paths inside the form's
// folder. Every error names the file, and where it applies the control and the key.
Form load(const std::string& path);
// The same from text; `folder` resolves picture files, `name` is used in messages.
Form parse(const std::string& text, const std::string& folder, const std::string& name);

// A saved property set alone: a JSON object of keys in order (as a trace's `read` takes it).
Properties parse_properties(const std::string& text, const std::string& folder,
                            const std::string& name);

// Writes pictures inline as base64 PNG. The output is stable: saving what was loaded from a
// saved file gives the same bytes. `save` refuses, keeping the old file, a form whose places,
// sizes or font sizes a load would refuse; `to_json` writes them as they are.
std::string to_json(const Form& form);
void save(const Form& form, const std::string& path);

// Describes where a load failed, for errors raised while a control reads its properties.
std::string where(const std::string& file, const std::string& control, const std::string& key);

}  // namespace brelund::forms
