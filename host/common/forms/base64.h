#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelund::base64 {

std::string encode(const std::vector<std::uint8_t>& bytes);
// nullopt for anything that is not canonical base64 (blanks and line breaks are skipped).
std::optional<std::vector<std::uint8_t>> decode(std::string_view text);

}  // namespace brelund::base64
