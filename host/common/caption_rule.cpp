#include "host/common/caption_rule.h"

#include <algorithm>

#include "host/common/utf8.h"

namespace brelund::host {

namespace {

bool is_break(char c) noexcept { return c == '\r' || c == '\n'; }

}  // namespace

bool plain_caption(std::string_view caption) noexcept {
  return caption.find_first_of("&\r\n") == std::string_view::npos;
}

std::vector<CaptionLine> caption_lines(std::string_view caption) {
  std::vector<CaptionLine> lines(1);
  for (std::size_t i = 0; i < caption.size();) {
    CaptionLine& line = lines.back();
    const char c = caption[i];
    if (is_break(c)) {
      // CR LF and LF CR are one break; CR CR and LF LF are two.
      const bool pair = i + 1 < caption.size() && is_break(caption[i + 1]) && caption[i + 1] != c;
      i += pair ? 2 : 1;
      if (i < caption.size()) lines.emplace_back();
      continue;
    }
    if (c == '&' && i + 1 < caption.size()) {
      const char next = caption[i + 1];
      if (next == '&') {
        line.text += '&';
        i += 2;
      } else if (is_break(next)) {
        ++i;  // hidden, and the break underlines nothing
      } else {
        // A byte that starts no well-formed sequence is marked alone, so that marking it
        // cannot swallow what follows.
        const std::size_t n = utf8::step(caption, i + 1).bytes;
        line.underline = line.text.size();
        line.underline_bytes = n;
        line.text.append(caption.substr(i + 1, n));
        i += 1 + n;
      }
      continue;
    }
    line.text += c;  // a final lone `&` is drawn as it is
    ++i;
  }
  return lines;
}

std::string marked_line(const CaptionLine& line) {
  std::string out;
  out.reserve(line.text.size() + 2);
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    if (line.underline && i == *line.underline) out += '&';
    out += line.text[i];
    if (line.text[i] == '&') out += '&';
  }
  return out;
}

}  // namespace brelund::host
