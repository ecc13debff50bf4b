// Conversions of stored values to a property's type, by the control's rules: numbers round half
// to even and fail with "Overflow" when out of range, text holding a number converts (decimal or
// &H / &O notation), anything else fails with "Type mismatch".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "brelund/values.h"

namespace brelund::convert {

std::string to_string(const Variant& v);
Bool16 to_bool(const Variant& v);
std::int16_t to_int16(const Variant& v);
std::int32_t to_int32(const Variant& v);
FontRef to_font(const Variant& v);
PictureRef to_picture(const Variant& v);

// The number that text stands for, or nullopt. "&H8000000F" is -2147483633 (a Long), "&HFFFF"
// is -1 (an Integer), "&HFFFF&" is 65535; leading and trailing blanks are allowed.
std::optional<double> parse_number(std::string_view text);

// Names (keys, members, keywords) compare without regard to ASCII case, as automation does.
bool iequals(std::string_view a, std::string_view b) noexcept;

// Value equality as a property bag compares a value with its default: numbers by value across
// their widths, fonts by their attributes, pictures by identity.
bool same_value(const Variant& a, const Variant& b);

}  // namespace brelund::convert
