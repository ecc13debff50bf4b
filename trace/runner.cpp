#include "trace/runner.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <utility>

#include "control/numeric.h"
#include "control/property_table.h"
#include "host/common/png.h"
#include "host/common/property_bag.h"
#include "trace/json_out.h"

namespace brelund::trace {

namespace {

// A test image that is easy to recognise: a blue tile with a one-pixel white frame.
PictureRef framed_tile(int w, int h) {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, 0xFF2050C0u);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        px[static_cast<std::size_t>(y) * w + x] = 0xFFFFFFFFu;
  return make_picture(w, h, std::move(px));
}

}  // namespace

Runner::Runner(Host& host, std::ostream& out, std::string folder)
    : host_(host), out_(out), folder_(std::move(folder)) {}

Runner::~Runner() = default;

void Runner::emit(const json& j) {
  // Captions, tooltips and error texts may hold bytes that are not UTF-8 (an error quoting bad
  // input does); they are shown with U+FFFD rather than ending the run.
  out_ << j.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
}

void Runner::report(const Status& s, int line) {
  if (s.ok()) return;
  emit(json{{"error", {{"number", s.number}, {"description", s.description}, {"line", line}}}});
}

std::string Runner::path_of(const std::string& p) const {
  return std::filesystem::path(p).is_absolute() ? p : (std::filesystem::path(folder_) / p).string();
}

// ---- the application's side ----

void Runner::relay(EventId id, const EventArgs& args) {
  const EventInfo& info = event_info(id);
  if (const auto it = handlers_.find(id); it != handlers_.end() && depth_ < kMaxDepth) {
    const auto handler = it->second;  // the handler may replace itself
    const Raised* outer = raised_;
    const Raised here{&info, args};
    raised_ = &here;
    ++depth_;
    execute(*handler);
    --depth_;
    raised_ = outer;
  }
  json ev{{"event", info.name}};
  for (std::size_t i = 0; i < info.args.size(); ++i) {
    const std::string name(info.args[i].name);
    if (info.args[i].type == EventArgType::int16)
      ev[name] = *static_cast<std::int16_t*>(args[i]);
    else
      ev[name] = number(*static_cast<float*>(args[i]));
  }
  emit(ev);
}

// ---- what the host shows ----

void Runner::paint_begin(bool lit, bool pressed) {
  paint_ = json{{"lit", lit},
                {"pressed", pressed},
                {"disabled", !host_.enabled()},
                {"rows", json::array()},
                {"columns", json::array()}};
  painting_ = true;
}

void Runner::paint_end() {
  painting_ = false;
  emit(json{{"paint", std::move(paint_)}});
}

void Runner::laid_out() {
  const Placement p = host_.placement();
  json l{{"Label", {number(p.label_left), number(p.label_top)}}};
  if (pic_moved_) l["Pic"] = {number(p.pic_left), number(p.pic_top)};
  pic_moved_ = false;
  emit(json{{"layout", l}});
}

void Runner::changed(std::string_view name) { emit(json{{"changed", std::string(name)}}); }
void Runner::refreshed() { emit(json{{"refresh", true}}); }
void Runner::mask_set(const MaskRef& mask) { emit(mask_json(mask)); }

void Runner::line(float x1, float y1, float x2, float y2, OleColor c) {
  if (!painting_) return;
  if (x1 != x2)
    paint_["rows"].push_back({number(y1), c});
  else
    paint_["columns"].push_back({number(x1), number(y1), number(y2), c});
}

void Runner::caption_colour(OleColor c) {
  if (painting_) paint_["caption"] = c;
}

void Runner::pic_moved() { pic_moved_ = true; }

void Runner::simulated(std::string_view why) {
  emit(json{{"simulated", {{"line", line_}, {"why", std::string(why)}}}});
}

// ---- the script ----

void Runner::finish(int last) {
  if (!host_.exists()) return;
  const int outer = std::exchange(line_, last);
  report(host_.finish(), last);
  line_ = outer;
}

Variant Runner::make_value(const Value& v) {
  return std::visit(
      Overloaded{
          [](const Value::Number& n) -> Variant {
            const double d = n.value;
            if (d == std::nearbyint(d) && d >= INT32_MIN && d <= INT32_MAX)
              return static_cast<std::int32_t>(d);
            return d;
          },
          [](const Value::Text& t) -> Variant { return t.value; },
          [](const Value::Boolean& b) -> Variant { return b.value; },
          [](const Value::NoObject&) -> Variant { return Nothing{}; },
          [](const Value::EmptyPicture&) -> Variant { return make_empty_picture(); },
          [](const Value::PictureOfSize& p) -> Variant { return framed_tile(p.width, p.height); },
          [&](const Value::PictureFile& f) -> Variant {
            return png::decode(png::read_file(path_of(f.path), forms::kMaxFileBytes));
          },
          [](const Font& f) -> Variant { return std::make_shared<const Font>(f); }},
      v.v);
}

void Runner::state() {
  const StateView v = host_.state();
  const BotonFields& f = v.fields;
  emit(json{{"state",
             {{"m_Highlighted", f.m_Highlighted},
              {"m_Pressed", f.m_Pressed},
              {"m_BackColor", f.m_BackColor},
              {"m_ForeColor", f.m_ForeColor},
              {"m_RoundSize", f.m_RoundSize},
              {"m_Light", f.m_Light},
              {"m_Roundness3D", f.m_Roundness3D},
              {"m_CreateRegion", f.m_CreateRegion},
              {"Timer1", v.timer},
              {"Enabled", v.enabled},
              {"BackColor", v.back_color},
              {"ScaleWidth", number(v.scale_width)},
              {"ScaleHeight", number(v.scale_height)},
              {"Label",
               {{"Caption", v.label.caption},
                {"ForeColor", v.label.fore_color},
                {"ToolTipText", v.label.tool_tip_text},
                {"Left", number(v.label.left)},
                {"Top", number(v.label.top)},
                {"Width", number(v.label.width)},
                {"Height", number(v.label.height)}}},
              {"Pic",
               {{"Visible", v.pic.visible},
                {"Enabled", v.pic.enabled},
                {"ToolTipText", v.pic.tool_tip_text},
                {"Left", number(v.pic.left)},
                {"Top", number(v.pic.top)},
                {"Width", number(v.pic.width)},
                {"Height", number(v.pic.height)}}}}}});
}

void Runner::set_argument(const cmd::SetArg& a, int line) {
  if (!raised_)
    return report({errors::kInvalidProcedureCall, "set is only meaningful inside an event handler"},
                  line);
  report(guarded([&] {
           const auto& args = raised_->info->args;
           for (std::size_t i = 0; i < args.size(); ++i) {
             if (args[i].name != a.arg) continue;
             if (args[i].type == EventArgType::int16)
               *static_cast<std::int16_t*>(raised_->args[i]) = num::to_i16(a.value);
             else
               *static_cast<float*>(raised_->args[i]) = static_cast<float>(a.value);
             return;
           }
           throw Error(errors::kArgumentNotOptional,
                       "Argument not optional: this event has no argument \"" + a.arg + "\"");
         }),
         line);
}

}  // namespace brelund::trace
