#include "host/common/property_bag.h"

#include <algorithm>

#include "control/convert.h"

namespace brelund::host {

Variant MemoryPropertyBag::find(const std::vector<Entry>& entries, std::string_view key,
                                const Variant& def) {
  for (const auto& [k, v] : entries)
    if (convert::iequals(k, key)) return v;
  return def;
}

Variant MemoryPropertyBag::read_property(std::string_view key, const Variant& def) {
  return find(entries_, key, def);
}

void MemoryPropertyBag::write_property(std::string_view key, const Variant& value,
                                       const Variant& def) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return convert::iequals(e.first, key); });
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
