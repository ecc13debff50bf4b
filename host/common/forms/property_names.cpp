#include "host/common/forms/property_names.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <vector>

#include "control/convert.h"
#include "control/property_table.h"

namespace brelund::forms {

namespace {

char fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Levenshtein distance, case folded, in one row of memory.
std::size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t substitute = diagonal + (fold(a[i - 1]) == fold(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitute});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

bool is_property_name(std::string_view key) {
  const auto all = members();
  return std::any_of(all.begin(), all.end(), [&](const Member& m) {
    return m.saved_default != nullptr && convert::iequals(m.name, key);
  });
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
