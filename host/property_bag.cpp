#include "host/property_bag.h"

#include <algorithm>

#include "control/convert.h"

namespace brelund::host {

namespace {
bool key_equals(std::string_view a, std::string_view b) {
  // Keys are compared without regard to case, as the automation property bags do.
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}
}  // namespace

Variant MemoryPropertyBag::read_property(std::string_view key, const Variant& def) {
  for (const auto& [k, v] : entries_)
    if (key_equals(k, key)) return v;
  return def;
}

void MemoryPropertyBag::write_property(std::string_view key, const Variant& value,
                                       const Variant& def) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return key_equals(e.first, key); });
  if (convert::same_value(value, def)) {
    if (it != entries_.end()) entries_.erase(it);
    return;
  }
  if (it != entries_.end())
    it->second = value;
  else
    entries_.emplace_back(std::string(key), value);
}

}  // namespace brelund::host
