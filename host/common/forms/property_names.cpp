#include "host/common/forms/property_names.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "control/convert.h"
#include "control/property_table.h"

namespace brelund::forms {

namespace {

char fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edit distance, case folded, where swapping two neighbours is one edit (Widht, Width) as are
// inserting, deleting and replacing a character.
std::size_t distance(std::string_view a, std::string_view b) {
  const std::size_t w = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * w);
  for (std::size_t j = 0; j < w; ++j) d[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    d[i * w] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1;
      std::size_t best =
          std::min({d[(i - 1) * w + j] + 1, d[i * w + j - 1] + 1, d[(i - 1) * w + j - 1] + cost});
      if (i > 1 && j > 1 && fold(a[i - 1]) == fold(b[j - 2]) && fold(a[i - 2]) == fold(b[j - 1]))
        best = std::min(best, d[(i - 2) * w + j - 2] + 1);
      d[i * w + j] = best;
    }
  }
  return d[a.size() * w + b.size()];
}

}  // namespace

std::optional<std::string_view> suggest(std::string_view key,
                                        const std::vector<std::string_view>& names) {
  std::optional<std::string_view> best;
  std::size_t best_distance = static_cast<std::size_t>(-1);
  // Keys longer than any name by far are not misspellings of one (and would cost time).
  if (key.size() > 64) return std::nullopt;
  for (const std::string_view name : names) {
    const std::size_t d = distance(key, name);
    const std::size_t allowed =
        std::max<std::size_t>(1, (std::max(key.size(), name.size()) + 1) / 3);
    if (d <= allowed && d < best_distance) {
      best = name;
      best_distance = d;
    }
  }
  return best;
}

const Member* saved_member(std::string_view key) {
  // Keys are almost always written as a save writes them: that spelling is looked up first, in a
  // table (a form reads several keys for each of its controls); any other goes through the
  // members' own case-blind look-up.
  static const std::unordered_map<std::string_view, const Member*> exact = [] {
    std::unordered_map<std::string_view, const Member*> m;
    for (const Member& member : members())
      if (member.saved_default != nullptr) m.emplace(member.name, &member);
    return m;
  }();
  if (const auto it = exact.find(key); it != exact.end()) return it->second;
  const Member* m = find_member(key);
  return m && m->saved_default != nullptr ? m : nullptr;
}

const std::vector<std::string_view>& property_names() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> v;
    for (const Member& m : members())
      if (m.saved_default != nullptr) v.push_back(m.name);
    return v;
  }();
  return names;
}

std::string_view nearest_property_name(std::string_view key) {
  std::string_view best;
  std::size_t best_distance = static_cast<std::size_t>(-1);
  for (const Member& m : members()) {
    if (m.saved_default == nullptr) continue;
    const std::size_t d = distance(key, m.name);
    if (d < best_distance) {
      best = m.name;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace brelund::forms
