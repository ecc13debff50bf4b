// How every host reads a caption before drawing it: ampersands mark the access key and line
// breaks split it into lines, as the Windows label this control's caption stands in for reads
// its text (DrawText without DT_NOPREFIX or DT_SINGLELINE).
//
// - `&` is not drawn; the character after it is underlined. `&&` draws one `&`.
// - Of several marked characters on one line only the last is underlined (all the marks are
//   hidden): DrawText keeps one underline per line, and the last mark wins.
// - A lone `&` at the very end of the caption is drawn as it is; one just before a line break is
//   hidden and underlines nothing. Qt's own buttons drop a final `&`, but Windows draws it, and
//   that is the platform whose captions these are.
// - CR LF, LF, and also a lone CR or LF CR, each end a line. A break at the very end of the
//   caption opens no new line, so "OK\r\n" is one line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelund::host {

struct CaptionLine {
  std::string text;  // UTF-8, as drawn: no marks
  // The underlined character: its first byte in `text` and its length in bytes (one code point).
  std::optional<std::size_t> underline;
  std::size_t underline_bytes = 0;
  bool operator==(const CaptionLine&) const = default;
};

// True when the caption has no `&` and no line break: it is drawn as it is, on one line.
bool plain_caption(std::string_view caption) noexcept;

// The caption's lines, at least one (an empty caption is one empty line).
std::vector<CaptionLine> caption_lines(std::string_view caption);

// A line marked again for a toolkit that reads `&` marks itself (DrawText, Qt's mnemonics): a
// literal `&` doubled, one `&` before the underlined character.
std::string marked_line(const CaptionLine& line);

// Centres a line of `line_width` pixels in a box `box_width` wide: the offset from the box's
// left, rounded toward zero as DrawText's DT_CENTER does.
constexpr int centred_offset(int box_width, int line_width) noexcept {
  return (box_width - line_width) / 2;
}

}  // namespace brelund::host
