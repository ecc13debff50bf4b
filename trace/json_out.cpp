#include "trace/json_out.h"

#include <cmath>
#include <string>

#include "brelund/units.h"
#include "control/shortest.h"

namespace brelund::trace {

json number(double d) {
  if (std::nearbyint(d) == d && std::fabs(d) < 9e15) return static_cast<long long>(d);
  return d;
}

json number(float f) {
  if (std::nearbyint(f) == f && std::fabs(f) < 9e15f) return static_cast<long long>(f);
  return num::shortest(f);
}

json font_json(const Font& f) {
  return json{{"Name", f.name},     {"Size", number(f.size)},   {"Bold", f.bold},
              {"Italic", f.italic}, {"Underline", f.underline}, {"Strikethrough", f.strikethrough},
              {"Weight", f.weight}, {"Charset", f.charset}};
}

json value_json(const Variant& v) {
  struct Visitor {
    json operator()(std::monostate) const { return nullptr; }
    json operator()(Nothing) const { return nullptr; }
    json operator()(bool b) const { return b; }
    json operator()(std::int16_t i) const { return i; }
    json operator()(std::int32_t i) const { return i; }
    json operator()(double d) const { return number(d); }
    json operator()(const std::string& s) const { return s; }
    json operator()(const FontRef& f) const { return f ? font_json(*f) : json(nullptr); }
    json operator()(const PictureRef& p) const {
      if (!p) return nullptr;
      return json{
          {"picture", {{"handle", p->handle != 0}, {"width", p->width}, {"height", p->height}}}};
    }
  };
  return std::visit(Visitor{}, v);
}

json mask_json(const MaskRef& m) {
  const int w = m ? m->width() : 0, h = m ? m->height() : 0;
  json rows = json::array();
  for (int y = 0; y < h; ++y) rows.push_back(json::array());
  long long opaque = 0;
  if (m)
    m->for_each_run([&](int y, int from, int to) {
      rows[static_cast<std::size_t>(y)].push_back({from, to});
      opaque += to - from;
    });
  return json{
      {"mask", {{"width", w}, {"height", h}, {"opaque", opaque}, {"rows", std::move(rows)}}}};
}

}  // namespace brelund::trace
