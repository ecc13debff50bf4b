#include "host/activex/caption_gdi.h"

#include <usp10.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "host/activex/utf16.h"
#include "host/common/caption_rule.h"

namespace brelund::ax {

namespace {

class ScriptString {
 public:
  ScriptString(HDC dc, const std::wstring& text) {
    const long long glyphs = static_cast<long long>(text.size()) * 3 / 2 + 16;  // as MSDN asks
    if (glyphs > INT_MAX) return;
    if (FAILED(ScriptStringAnalyse(dc, text.c_str(), text_length(text.size()),
                                   static_cast<int>(glyphs), -1, SSA_GLYPHS | SSA_FALLBACK, 0,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, &ssa_)))
      ssa_ = nullptr;
  }
  ScriptString(const ScriptString&) = delete;
  ScriptString& operator=(const ScriptString&) = delete;
  ~ScriptString() {
    if (ssa_) ScriptStringFree(&ssa_);
  }
  // Null when the text could not be analysed.
  const SIZE* size() const { return ssa_ ? ScriptString_pSize(ssa_) : nullptr; }

 private:
  SCRIPT_STRING_ANALYSIS ssa_ = nullptr;
};

bool is_complex(const std::wstring& text) {
  return !text.empty() &&
         ScriptIsComplex(text.c_str(), text_length(text.size()), SIC_COMPLEX) == S_OK;
}

// Text that Uniscribe shapes (Arabic, Hebrew, Indic...) is measured as it shapes it: the
// text-out draws it so, but Wine's GetTextExtentPoint32 (and DrawText's measuring, which uses it)
// adds up the letters' unjoined widths, and Arabic would measure a quarter wider than it draws.
// Other text keeps GDI's own extent.
int width_of(HDC dc, const std::wstring& text) {
  if (is_complex(text)) {
    const ScriptString shaped(dc, text);
    if (const SIZE* s = shaped.size()) return s->cx;
  }
  RECT r{0, 0, 0, 0};
  if (!text.empty())
    DrawTextW(dc, text.c_str(), text_length(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return r.right;
}

std::wstring marked(const host::CaptionLine& line) { return widen(host::marked_line(line)); }

int line_height(HDC dc) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

}  // namespace

SIZE measure_caption(HDC dc, const std::string& caption) {
  if (host::plain_caption(caption)) {
    const std::wstring text = widen(caption);
    if (text.empty()) return {0, line_height(dc)};
    SIZE s{};
    if (!GetTextExtentPoint32W(dc, text.c_str(), text_length(text.size()), &s)) s = {};
    if (is_complex(text)) s.cx = width_of(dc, text);
    return s;
  }
  long long width = 0, height = 0;
  const long long line = line_height(dc);
  for (const host::CaptionLine& l : host::caption_lines(caption)) {
    width = std::max<long long>(width, width_of(dc, widen(l.text)));
    height += line;
  }
  return {static_cast<LONG>(std::min<long long>(width, INT_MAX)),
          static_cast<LONG>(std::min<long long>(height, INT_MAX))};
}

void draw_caption(HDC dc, int x, int y, const std::string& caption) {
  if (host::plain_caption(caption)) {
    const std::wstring text = widen(caption);
    TextOutW(dc, x, y, text.c_str(), text_length(text.size()));
    return;
  }
  const std::vector<host::CaptionLine> lines = host::caption_lines(caption);
  std::vector<int> widths;
  int box = 0;
  for (const host::CaptionLine& l : lines) {
    widths.push_back(width_of(dc, widen(l.text)));
    box = std::max(box, widths.back());
  }
  const int height = line_height(dc);
  RECT clip{};
  const bool clipped = GetClipBox(dc, &clip) != ERROR;
  long long top = y;
  for (std::size_t i = 0; i < lines.size(); ++i, top += height) {
    if (clipped && top >= clip.bottom) break;
    if (clipped && top + height <= clip.top) continue;
    const std::wstring text = marked(lines[i]);
    const int left = x + host::centred_offset(box, widths[i]);
    RECT at{left, static_cast<int>(top), left, static_cast<int>(top)};
    DrawTextW(dc, text.c_str(), text_length(text.size()), &at, DT_SINGLELINE | DT_NOCLIP);
  }
}

}  // namespace brelund::ax
