#include "host/headless/caption_box.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "host/common/caption_rule.h"
#include "host/common/utf8.h"
#include "host/headless/caption_shaping.h"

namespace brelund::headless {

namespace {

int clamp_int(long long v) { return static_cast<int>(std::clamp<long long>(v, 0, INT_MAX)); }

}  // namespace

TextSize measure_caption(const Font& font, const std::string& caption) {
  if (host::plain_caption(caption)) return measure_text(font, caption);
  long long width = 0, height = 0;
  for (const host::CaptionLine& line : host::caption_lines(caption)) {
    const TextSize s = measure_text(font, line.text);
    width = std::max<long long>(width, s.width);
    height += s.height;
  }
  return {clamp_int(width), clamp_int(height)};
}

void draw_caption(Raster& dst, int x, int y, const Font& font, const std::string& caption,
                  std::uint32_t argb) {
  if (host::plain_caption(caption)) return draw_text(dst, x, y, font, caption, argb);
  const std::vector<host::CaptionLine> lines = host::caption_lines(caption);
  std::vector<int> widths;
  int box = 0;
  for (const host::CaptionLine& line : lines) {
    widths.push_back(measure_text(font, line.text).width);
    box = std::max(box, widths.back());
  }
  const int line_height = measure_text(font, std::string()).height;
  const int ascent = text_ascent(font);
  long long top = y;
  for (std::size_t i = 0; i < lines.size(); ++i, top += line_height) {
    if (top >= dst.height) break;
    if (top + line_height <= 0) continue;
    const host::CaptionLine& line = lines[i];
    const int left = x + host::centred_offset(box, widths[i]);
    const int line_top = static_cast<int>(top);
    draw_text(dst, left, line_top, font, line.text, argb);
    if (!line.underline) continue;
    const auto span = character_span(font, line.text, utf8::characters(line.text, *line.underline));
    if (span)
      dst.fill_span(line_top + ascent + 1, left + span->first, left + span->second - 1, argb);
  }
}

}  // namespace brelund::headless
