// The form loader on arbitrary text. Bad input must end in brelund::Error, never in a crash, a
// hang or another exception; and a form that loads must save to text that loads again and saves
// to the same bytes (the stability that form files promise).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "brelund/forms.h"
#include "fuzz/fuzz_support.h"

using namespace brelund;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  forms::Form form;
  try {
    form = forms::parse(text, fuzz::scratch_folder(), "f");
  } catch (const Error&) {
    return 0;
  }
  const std::string saved = forms::to_json(form);
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
