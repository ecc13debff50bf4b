#include "trace/reader.h"

#include <cctype>

namespace brelund::trace {

std::vector<Token> tokenize(std::string_view s, int line) {
  if (s.size() > kMaxLine) throw SyntaxError(line, "line too long");
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '{') {
      // Raw JSON runs to the end of the line.
      out.push_back({Token::Kind::json, std::string(s.substr(i))});
      break;
    } else if (c == '"') {
      std::string text;
      ++i;
      for (;;) {
        if (i >= s.size()) throw SyntaxError(line, "unterminated string");
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += s[i++];
      }
      out.push_back({Token::Kind::string, std::move(text)});
    } else {
      const std::size_t start = i;
      while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Token::Kind::word, std::string(s.substr(start, i - start))});
    }
  }
  return out;
}

}  // namespace brelund::trace
