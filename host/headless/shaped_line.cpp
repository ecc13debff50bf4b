#include "host/headless/shaped_line.h"

#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>

#include "host/common/utf8.h"

namespace brelund::headless {

std::u32string decode_utf8(const std::string& s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const utf8::Step step = utf8::step(s, i);
    out.push_back(step.code_point);
    i += step.bytes;
  }
  return out;
}

bool needs_shaping(std::u32string_view text) {
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  return std::any_of(text.begin(), text.end(), [&](char32_t c) {
    if (c < 0x300) return false;  // Latin, Latin-1, Latin Extended: the common case
    switch (hb_unicode_general_category(unicode, c)) {
      case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
      case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
      case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
      case HB_UNICODE_GENERAL_CATEGORY_FORMAT:  // joiners, direction marks and overrides
        return true;
      default:
        break;
    }
    switch (hb_unicode_script(unicode, c)) {
      case HB_SCRIPT_COMMON:
      case HB_SCRIPT_LATIN:
      case HB_SCRIPT_GREEK:
      case HB_SCRIPT_CYRILLIC:
      case HB_SCRIPT_ARMENIAN:
      case HB_SCRIPT_GEORGIAN:
      case HB_SCRIPT_HAN:
      case HB_SCRIPT_HIRAGANA:
      case HB_SCRIPT_KATAKANA:
      case HB_SCRIPT_BOPOMOFO:
      case HB_SCRIPT_UNKNOWN:
        return false;
      default:
        return true;  // right-to-left, Indic, South-East Asian and other shaped scripts
    }
  });
}

FT_F26Dot6 pixel_size_26_6(const Font& f) {
  const double px = std::clamp(f.size, 1.0, 500.0) * 96.0 / 72.0;
  return static_cast<FT_F26Dot6>(std::lround(px * 64));
}

CharFaces::CharFaces(FontFaces& faces, const Font& font, FT_Face face, std::u32string_view text)
    : face_(face), used_{face} {
  for (std::size_t i = 0; i < text.size(); ++i) {
    FT_Face f = faces.face_for(font, face, text[i]);
    if (f == face && each_.empty()) continue;
    if (each_.empty()) each_.assign(i, face);
    each_.push_back(f);
    if (std::find(used_.begin(), used_.end(), f) == used_.end()) used_.push_back(f);
  }
}

Line simple_line(const CharFaces& faces, std::u32string_view text) {
  Line line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    FT_Face face = faces[i];
    const unsigned index = FT_Get_Char_Index(face, text[i]);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) continue;
    const long advance = face->glyph->advance.x;
    line.glyphs.push_back({face, index, line.advance, 0, advance, i});
    line.advance += advance;
  }
  return line;
}

namespace {

struct HbBufferDeleter {
  void operator()(hb_buffer_t* b) const { hb_buffer_destroy(b); }
};
struct HbFontDeleter {
  void operator()(hb_font_t* f) const { hb_font_destroy(f); }
};

// A run of characters at one embedding level, in logical order.
struct Run {
  std::size_t start, length;
  FriBidiLevel level;
};

// The runs in visual order: from the highest level down to the lowest odd one, every stretch of
// runs at that level or above is reversed (rule L2 of the bidirectional algorithm).
std::vector<Run> visual_runs(std::u32string_view text) {
  const auto n = static_cast<FriBidiStrIndex>(text.size());
  std::vector<FriBidiChar> chars(text.begin(), text.end());
  std::vector<FriBidiCharType> types(text.size());
  std::vector<FriBidiBracketType> brackets(text.size());
  std::vector<FriBidiLevel> levels(text.size());
  fribidi_get_bidi_types(chars.data(), n, types.data());
  fribidi_get_bracket_types(chars.data(), n, types.data(), brackets.data());
  FriBidiParType base = FRIBIDI_PAR_ON;
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &base, levels.data()) ==
      0)
    std::fill(levels.begin(), levels.end(), FriBidiLevel{0});
  std::vector<Run> runs;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (runs.empty() || runs.back().level != levels[i]) runs.push_back({i, 0, levels[i]});
    ++runs.back().length;
  }
  int highest = 0, lowest_odd = 127;
  for (const Run& r : runs) {
    highest = std::max(highest, static_cast<int>(r.level));
    if (r.level % 2) lowest_odd = std::min(lowest_odd, static_cast<int>(r.level));
  }
  for (int level = highest; level >= lowest_odd && level > 0; --level) {
    for (auto it = runs.begin(); it != runs.end();) {
      if (it->level < level) {
        ++it;
        continue;
      }
      auto end = std::find_if(it, runs.end(), [&](const Run& r) { return r.level < level; });
      std::reverse(it, end);
      it = end;
    }
  }
  return runs;
}

// A run split where the face changes, the pieces in visual order: a right-to-left run shows its
// last piece leftmost.
std::vector<Run> face_pieces(const CharFaces& faces, const Run& run) {
  std::vector<Run> pieces;
  for (std::size_t i = run.start; i < run.start + run.length; ++i) {
    if (pieces.empty() || faces[i] != faces[pieces.back().start])
      pieces.push_back({i, 0, run.level});
    ++pieces.back().length;
  }
  if (run.level % 2) std::reverse(pieces.begin(), pieces.end());
  return pieces;
}

}  // namespace

Line shaped_line(const CharFaces& faces, std::u32string_view text) {
  Line line;
  std::map<FT_Face, std::unique_ptr<hb_font_t, HbFontDeleter>> fonts;
  auto font_of = [&](FT_Face face) {
    auto& font = fonts[face];
    if (!font) {
      font.reset(hb_ft_font_create_referenced(face));
      // Hinted advances, as the simple path measures.
      hb_ft_font_set_load_flags(font.get(), FT_LOAD_DEFAULT);
    }
    return font.get();
  };
  std::vector<std::uint32_t> chars(text.begin(), text.end());
  for (const Run& run : visual_runs(text)) {
    for (const Run& piece : face_pieces(faces, run)) {
      FT_Face face = faces[piece.start];
      std::unique_ptr<hb_buffer_t, HbBufferDeleter> buffer(hb_buffer_create());
      // The whole text is the context, so that letters join across run boundaries.
      hb_buffer_add_utf32(buffer.get(), chars.data(), static_cast<int>(chars.size()),
                          static_cast<unsigned>(piece.start), static_cast<int>(piece.length));
      hb_buffer_guess_segment_properties(buffer.get());
      hb_buffer_set_direction(buffer.get(), run.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
      hb_shape(font_of(face), buffer.get(), nullptr, 0);
      unsigned count = 0;
      const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer.get(), &count);
      const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer.get(), &count);
      for (unsigned g = 0; g < count; ++g) {
        line.glyphs.push_back({face, info[g].codepoint, line.advance + pos[g].x_offset,
                               -pos[g].y_offset, pos[g].x_advance, info[g].cluster});
        line.advance += pos[g].x_advance;
      }
    }
  }
  return line;
}

}  // namespace brelund::headless
