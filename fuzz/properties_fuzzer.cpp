// A saved property set on arbitrary text: parsed as a form file's "Properties" object, then read
// into a control. Failures must be brelund::Error; and a set that reads must save to a set that
// reads again and saves the same values (a save/load round trip loses nothing).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "brelund/forms.h"
#include "brelund/headless/button.h"
#include "control/convert.h"
#include "fuzz/fuzz_support.h"
#include "host/common/property_bag.h"

using namespace brelund;

namespace {

// A constant caption measure: FreeType is not what is being tested, and it is slow.
headless::TextMeasure fixed_measure() {
  return [](const Font&, const std::string&) { return headless::TextSize{40, 13}; };
}

host::MemoryPropertyBag saved_set(headless::Button& b) {
  host::MemoryPropertyBag bag;
  b.control().WriteProperties(bag);
  return bag;
}

[[noreturn]] void fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s\ninput: %s\n", what, text.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  headless::Button first(nullptr, nullptr, fixed_measure());
  try {
    host::MemoryPropertyBag bag(forms::parse_properties(text, fuzz::scratch_folder(), "fuzz"));
    first.control().ReadProperties(bag);
  } catch (const Error&) {
    return 0;
  }

  host::MemoryPropertyBag written;
  try {
    written = saved_set(first);
  } catch (const Error& e) {
    fail((std::string("saving a control that loaded failed: ") + e.what()).c_str(), text);
  }
  headless::Button second(nullptr, nullptr, fixed_measure());
  host::MemoryPropertyBag rewritten;
  try {
    host::MemoryPropertyBag copy(written.entries());
    second.control().ReadProperties(copy);
    rewritten = saved_set(second);
  } catch (const Error& e) {
    fail((std::string("a saved set does not load again: ") + e.what()).c_str(), text);
  }
  const auto& a = written.entries();
  const auto& b = rewritten.entries();
  if (a.size() != b.size()) fail("the second save wrote a different number of keys", text);
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].first != b[i].first || !convert::same_value(a[i].second, b[i].second))
      fail(("key \"" + a[i].first + "\" changed between two saves").c_str(), text);
  if (first.control().fields() != second.control().fields())
    fail("the reloaded control's fields differ from the first one's", text);
  return 0;
}
