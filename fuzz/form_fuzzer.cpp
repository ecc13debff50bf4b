// The form loader on arbitrary text. Bad input must end in brelund::Error, never in a crash, a
// hang or another exception; and a form that loads must save to text that loads again and saves
// to the same bytes (the stability that form files promise). The form file's own reader and
// writer must give exactly what the JSON library's give: the same form or the same error, and
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "brelund/forms.h"
#include "fuzz/fuzz_support.h"
#include "host/common/forms/form_json.h"

using namespace brelund;

namespace {

[[noreturn]] void differ(const char* what, const std::string& ours, const std::string& library,
                         const std::string& text) {
  std::fprintf(stderr, "%s\nours:    %s\nlibrary: %s\ninput: %s\n", what, ours.c_str(),
               library.c_str(), text.c_str());
  std::abort();
}

// The form's own reading against the library's: the same error, or forms that save alike.
std::string read_outcome(const std::string& text, bool library, forms::Form* out) {
  try {
    forms::Form f = library ? forms::detail::parse_with_library(text, fuzz::scratch_folder(), "f")
                            : forms::parse(text, fuzz::scratch_folder(), "f");
    std::string described = "ok " + forms::detail::to_json_with_library(f);
    for (const auto& c : f.controls)
      for (const auto& [k, v] : c.properties) described += std::to_string(v.index());
    if (out) *out = std::move(f);
    return described;
  } catch (const Error& e) {
    return "error " + std::to_string(e.number()) + " " + e.description();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  forms::Form form;
  const std::string ours = read_outcome(text, false, &form);
  const std::string library = read_outcome(text, true, nullptr);
  if (ours != library)
    differ("the form reader and the library read differently", ours, library, text);
  if (ours.compare(0, 2, "ok") != 0) return 0;
  const std::string saved = forms::to_json(form);
  const std::string saved_by_library = forms::detail::to_json_with_library(form);
  if (saved != saved_by_library)
    differ("the form writer and the library write differently", saved, saved_by_library, text);
  std::string again;
  try {
    again = forms::to_json(forms::parse(saved, fuzz::scratch_folder(), "saved.json"));
  } catch (const Error& e) {
    std::fprintf(stderr, "a saved form does not load again: %s\n%s\n", e.what(), saved.c_str());
    std::abort();
  }
  if (again != saved) {
    std::fprintf(stderr, "saving a loaded save changed it:\n%s\n---\n%s\n", saved.c_str(),
                 again.c_str());
    std::abort();
  }
  return 0;
}
