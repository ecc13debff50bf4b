#include "host/common/forms/escape.h"

#include "host/common/utf8.h"

namespace brelund::forms {

namespace {

// A well-formed sequence, but not a C1 control (U+0080..U+009F): those act on terminals as ESC
// sequences do.
std::size_t printable_length(std::string_view s, std::size_t i) {
  const std::size_t n = utf8::sequence(s, i);
  if (n == 2 && static_cast<unsigned char>(s[i]) == 0xC2 &&
      static_cast<unsigned char>(s[i + 1]) < 0xA0)
    return 0;
  return n;
}

}  // namespace

std::string escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      if (const std::size_t n = printable_length(text, i)) {
        out.append(text.substr(i, n));
        i += n;
        continue;
      }
    } else if (c == '\\') {
      out += "\\\\";
      ++i;
      continue;
    } else if (c >= 0x20 && c != 0x7F) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    } else if (c == '\n' || c == '\t' || c == '\r') {
      out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
      ++i;
      continue;
    }
    out += "\\x";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
    ++i;
  }
  return out;
}

}  // namespace brelund::forms
