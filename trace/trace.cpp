#include "trace/trace.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "brelund/forms.h"
#include "brelund/headless/button.h"
#include "control/convert.h"
#include "control/numeric.h"
#include "control/property_table.h"
#include "host/common/png.h"
#include "host/common/property_bag.h"
#include "trace/trace_parser.h"

namespace brelund::trace {

namespace {

using json = nlohmann::ordered_json;

// Shortest text that reads back as the same single-precision value, as a JSON number.
json number(double d) {
  if (std::nearbyint(d) == d && std::fabs(d) < 9e15) return static_cast<long long>(d);
  return d;
}
json number(float f) {
  if (std::nearbyint(f) == f && std::fabs(f) < 9e15f) return static_cast<long long>(f);
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, f);
  return std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
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

class Runner;

// The application's side: runs the script's handlers inside the event, then reports the event
// with its arguments as the handler left them.
class Sink final : public host::EventSink {
 public:
  explicit Sink(Runner& r) : r_(r) {}
  void Click() override;
  void KeyDown(std::int16_t& k, std::int16_t& s) override;
  void KeyPress(std::int16_t& k) override;
  void KeyUp(std::int16_t& k, std::int16_t& s) override;
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override;
  void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override;
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override;
  void Resize() override;

 private:
  Runner& r_;
};

class Runner final : public host::Observer {
 public:
  Runner(std::ostream& out, std::string folder)
      : out_(out), folder_(std::move(folder)), sink_(*this) {}

  void execute(const Command& c);

  // Event plumbing, used by Sink.
  struct Args {
    std::map<std::string, std::int16_t*> shorts;
    std::map<std::string, float*> floats;
  };
  void event(const char* name, Args args, json line);

  // host::Observer
  void paint_begin(bool lit, bool pressed) override {
    paint_ = json{{"lit", lit},
                  {"pressed", pressed},
                  {"disabled", !b_->surface().enabled()},
                  {"rows", json::array()},
                  {"columns", json::array()}};
    painting_ = true;
  }
  void paint_end() override {
    painting_ = false;
    emit(json{{"paint", std::move(paint_)}});
  }
  void laid_out() override {
    json l{{"Label", {number(b_->label().left()), number(b_->label().top())}}};
    if (pic_moved_) l["Pic"] = {number(b_->pic().left()), number(b_->pic().top())};
    pic_moved_ = false;
    emit(json{{"layout", l}});
  }

 private:
  // Captions, tooltips and error texts may hold bytes that are not UTF-8 (an error quoting bad
  // input does); they are shown with U+FFFD rather than ending the run.
  void emit(const json& j) {
    out_ << j.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
  }
  void error(int number, const std::string& description, int line) {
    emit(json{{"error", {{"number", number}, {"description", description}, {"line", line}}}});
  }
  void guarded_run(const Command& c, const std::function<void()>& f) {
    Status s = guarded(f);
    if (!s.ok()) error(s.number, s.description, c.line);
  }
  std::string path_of(const std::string& p) const {
    return std::filesystem::path(p).is_absolute() ? p
                                                  : (std::filesystem::path(folder_) / p).string();
  }
  Variant make_value(const ValueSpec& v);
  void create();
  void mask_line(const PictureRef& m);
  void state();

  std::ostream& out_;
  std::string folder_;
  Sink sink_;
  std::unique_ptr<headless::Button> b_;
  std::map<std::string, std::shared_ptr<const Command>> handlers_;
  Args* current_args_ = nullptr;
  json paint_;
  bool painting_ = false;
  bool pic_moved_ = false;
  int depth_ = 0;
};

void Runner::event(const char* name, Args args, json line) {
  auto it = handlers_.find(name);
  if (it != handlers_.end() && depth_ < 16) {
    const auto handler = it->second;  // the handler may replace itself
    Args* saved = current_args_;
    current_args_ = &args;
    ++depth_;
    execute(*handler);
    --depth_;
    current_args_ = saved;
  }
  json ev{{"event", name}};
  for (auto& [k, v] : line.items()) {
    if (auto s = args.shorts.find(k); s != args.shorts.end())
      ev[k] = *s->second;
    else if (auto f = args.floats.find(k); f != args.floats.end())
      ev[k] = number(*f->second);
  }
  emit(ev);
}

void Sink::Click() { r_.event("Click", {}, json::object()); }
void Sink::KeyDown(std::int16_t& k, std::int16_t& s) {
  r_.event("KeyDown", {{{"KeyCode", &k}, {"Shift", &s}}, {}}, json{{"KeyCode", 0}, {"Shift", 0}});
}
void Sink::KeyPress(std::int16_t& k) {
  r_.event("KeyPress", {{{"KeyAscii", &k}}, {}}, json{{"KeyAscii", 0}});
}
void Sink::KeyUp(std::int16_t& k, std::int16_t& s) {
  r_.event("KeyUp", {{{"KeyCode", &k}, {"Shift", &s}}, {}}, json{{"KeyCode", 0}, {"Shift", 0}});
}
namespace {
const json kMouseArgs{{"Button", 0}, {"Shift", 0}, {"X", 0}, {"Y", 0}};
}
void Sink::MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  r_.event("MouseDown", {{{"Button", &b}, {"Shift", &s}}, {{"X", &x}, {"Y", &y}}}, kMouseArgs);
}
void Sink::MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  r_.event("MouseMove", {{{"Button", &b}, {"Shift", &s}}, {{"X", &x}, {"Y", &y}}}, kMouseArgs);
}
void Sink::MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  r_.event("MouseUp", {{{"Button", &b}, {"Shift", &s}}, {{"X", &x}, {"Y", &y}}}, kMouseArgs);
}
void Sink::Resize() { r_.event("Resize", {}, json::object()); }

void Runner::create() {
  b_ = std::make_unique<headless::Button>(&sink_, this);
  auto& s = b_->surface();
  s.on_property_changed = [this](std::string_view n) { emit(json{{"changed", std::string(n)}}); };
  s.on_refresh = [this] { emit(json{{"refresh", true}}); };
  s.on_mask = [this](const PictureRef& m) { mask_line(m); };
  s.on_line = [this](float x1, float y1, float x2, float y2, OleColor c) {
    if (!painting_) return;
    if (x1 != x2)
      paint_["rows"].push_back({number(y1), c});
    else
      paint_["columns"].push_back({number(x1), number(y1), number(y2), c});
  };
  b_->label().on_fore_color = [this](OleColor c) {
    if (painting_) paint_["caption"] = c;
  };
  b_->pic().on_moved = [this] { pic_moved_ = true; };
}

void Runner::mask_line(const PictureRef& m) {
  json rows = json::array();
  long long opaque = 0;
  const int w = m ? m->width : 0, h = m ? m->height : 0;
  for (int y = 0; y < h; ++y) {
    json spans = json::array();
    int x = 0;
    while (x < w) {
      while (x < w && (m->pixels[static_cast<std::size_t>(y) * w + x] & 0xFFFFFFu) == 0xFFFFFFu)
        ++x;
      const int from = x;
      while (x < w && (m->pixels[static_cast<std::size_t>(y) * w + x] & 0xFFFFFFu) != 0xFFFFFFu)
        ++x;
      if (x > from) {
        spans.push_back({from, x});
        opaque += x - from;
      }
    }
    rows.push_back(std::move(spans));
  }
  emit(
      json{{"mask", {{"width", w}, {"height", h}, {"opaque", opaque}, {"rows", std::move(rows)}}}});
}

Variant Runner::make_value(const ValueSpec& v) {
  switch (v.kind) {
    case ValueSpec::Kind::number: {
      const double d = v.number;
      if (d == std::nearbyint(d) && d >= INT32_MIN && d <= INT32_MAX)
        return static_cast<std::int32_t>(d);
      return d;
    }
    case ValueSpec::Kind::string:
      return v.text;
    case ValueSpec::Kind::boolean:
      return v.flag;
    case ValueSpec::Kind::nothing:
      return Nothing{};
    case ValueSpec::Kind::picture_empty:
      return make_empty_picture();
    case ValueSpec::Kind::picture_size: {
      // A recognisable test image: a blue tile with a one-pixel white frame.
      std::vector<std::uint32_t> px(static_cast<std::size_t>(v.width) * v.height, 0xFF2050C0u);
      for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
          if (x == 0 || y == 0 || x == v.width - 1 || y == v.height - 1)
            px[static_cast<std::size_t>(y) * v.width + x] = 0xFFFFFFFFu;
      return make_picture(v.width, v.height, std::move(px));
    }
    case ValueSpec::Kind::picture_file:
      return png::decode(png::read_file(path_of(v.text), forms::kMaxFileBytes));
    case ValueSpec::Kind::font:
      return std::make_shared<const Font>(v.font);
  }
  return {};
}

void Runner::state() {
  const BotonFields f = b_->control().fields();
  auto& s = b_->surface();
  auto& l = b_->label();
  auto& p = b_->pic();
  emit(json{{"state",
             {{"m_Highlighted", f.m_Highlighted},
              {"m_Pressed", f.m_Pressed},
              {"m_BackColor", f.m_BackColor},
              {"m_ForeColor", f.m_ForeColor},
              {"m_RoundSize", f.m_RoundSize},
              {"m_Light", f.m_Light},
              {"m_Roundness3D", f.m_Roundness3D},
              {"m_CreateRegion", f.m_CreateRegion},
              {"Timer1", b_->timer().enabled()},
              {"Enabled", s.enabled() != 0},
              {"BackColor", s.back_color()},
              {"ScaleWidth", number(s.scale_width())},
              {"ScaleHeight", number(s.scale_height())},
              {"Label",
               {{"Caption", l.caption()},
                {"ForeColor", l.fore_color()},
                {"ToolTipText", l.tool_tip_text()},
                {"Left", number(l.left())},
                {"Top", number(l.top())},
                {"Width", number(l.width())},
                {"Height", number(l.height())}}},
              {"Pic",
               {{"Visible", p.visible() != 0},
                {"Enabled", p.enabled() != 0},
                {"ToolTipText", p.tool_tip_text()},
                {"Left", number(p.left())},
                {"Top", number(p.top())},
                {"Width", number(p.width())},
                {"Height", number(p.height())}}}}}});
}

void Runner::execute(const Command& c) {
  const std::string& v = c.verb;
  if (v == "new") {
    create();
    return;
  }
  if (v == "set") {  // only inside a handler: assign to the event's by-reference argument
    if (!current_args_)
      return error(errors::kInvalidProcedureCall, "set is only meaningful inside an event handler",
                   c.line);
    guarded_run(c, [&] {
      if (auto s = current_args_->shorts.find(c.text); s != current_args_->shorts.end())
        *s->second = num::to_i16(c.numbers[0]);
      else if (auto f = current_args_->floats.find(c.text); f != current_args_->floats.end())
        *f->second = static_cast<float>(c.numbers[0]);
      else
        throw Error(errors::kArgumentNotOptional,
                    "Argument not optional: this event has no argument \"" + c.text + "\"");
    });
    return;
  }
  if (v == "on") {
    if (c.sub == "off")
      handlers_.erase(c.text);
    else
      handlers_[c.text] = c.handler;
    return;
  }
  if (!b_)
    return error(errors::kObjectNotSet, "Object variable not set: run \"new\" first", c.line);
  Boton& ctl = b_->control();
  auto i16 = [](double d) { return num::to_i16(d); };
  if (v == "init") {
    guarded_run(c, [&] { ctl.InitProperties(); });
  } else if (v == "read") {
    guarded_run(c, [&] {
      forms::Properties props;
      if (c.sub == "json") {
        props = forms::parse_properties(c.text, folder_, "line " + std::to_string(c.line));
      } else {
        std::ifstream in(path_of(c.text), std::ios::binary);
        if (!in) throw Error(errors::kFileNotFound, "File not found: " + c.text);
        std::stringstream ss;
        ss << in.rdbuf();
        props = forms::parse_properties(
            ss.str(), std::filesystem::path(path_of(c.text)).parent_path().string(), c.text);
      }
      host::MemoryPropertyBag bag(std::move(props));
      ctl.ReadProperties(bag);
    });
  } else if (v == "write") {
    host::MemoryPropertyBag bag;
    guarded_run(c, [&] { ctl.WriteProperties(bag); });
    json entries = json::array();
    for (const auto& [k, val] : bag.entries()) entries.push_back({k, value_json(val)});
    emit(json{{"bag", entries}});
  } else if (v == "size") {
    guarded_run(
        c, [&] { b_->resize(static_cast<float>(c.numbers[0]), static_cast<float>(c.numbers[1])); });
  } else if (v == "show") {
    guarded_run(c, [&] { ctl.Show(); });
  } else if (v == "let") {
    guarded_run(c, [&] {
      const Member* m = find_member(c.text);
      if (!m || !m->put) errors::not_supported();
      m->put(ctl, make_value(c.value));
    });
  } else if (v == "get" || v == "call") {
    guarded_run(c, [&] {
      const Member* m = find_member(c.text);
      if (!m) errors::not_supported();
      if (v == "call" && m->call) return m->call(ctl);
      if (!m->get || (v == "call") != (m->kind == MemberKind::method)) errors::not_supported();
      emit(json{{"value", value_json(m->get(ctl))}});
    });
  } else if (v == "mouse") {
    guarded_run(c, [&] {
      std::int16_t button = i16(c.numbers[0]), shift = i16(c.numbers[1]);
      float x = static_cast<float>(c.numbers[2]), y = static_cast<float>(c.numbers[3]);
      // Caption and picture notifications reach the same steps with the same argument storage.
      if (c.sub == "down")
        ctl.MouseDown(button, shift, x, y);
      else if (c.sub == "move")
        ctl.MouseMove(button, shift, x, y);
      else
        ctl.MouseUp(button, shift, x, y);
    });
  } else if (v == "pointer") {
    if (c.sub == "over")
      b_->pointer_over();
    else if (c.sub == "away")
      b_->pointer_away();
    else
      guarded_run(c, [&] { b_->pointer_at(num::to_i32(c.numbers[0]), num::to_i32(c.numbers[1])); });
  } else if (v == "key") {
    guarded_run(c, [&] {
      std::int16_t code = i16(c.numbers[0]);
      if (c.sub == "press") return ctl.KeyPress(code);
      if (c.sub == "access") return ctl.AccessKeyPress(code);
      std::int16_t shift = i16(c.numbers[1]);
      if (c.sub == "down")
        ctl.KeyDown(code, shift);
      else
        ctl.KeyUp(code, shift);
    });
  } else if (v == "focus") {
    guarded_run(c, [&] {
      if (c.sub == "enter")
        ctl.EnterFocus();
      else if (c.sub == "got")
        ctl.GotFocus();
      else if (c.sub == "exit")
        ctl.ExitFocus();
      else
        ctl.LostFocus();
    });
  } else if (v == "tick") {
    for (long n = static_cast<long>(c.numbers[0]); n > 0; --n) {
      Status s = b_->tick(1);
      if (!s.ok()) error(s.number, s.description, c.line);
    }
  } else if (v == "extender") {
    if (c.sub == "none")
      b_->surface().set_extender(std::nullopt, std::nullopt);
    else
      b_->surface().set_extender(*c.flag_a, *c.flag_b);
  } else if (v == "syscolor") {
    guarded_run(c, [&] {
      b_->platform().set_sys_color(static_cast<int>(c.numbers[0]), num::to_i32(c.numbers[1]));
    });
  } else if (v == "ambient") {
    b_->surface().set_ambient_font(std::make_shared<const Font>(c.value.font));
  } else if (v == "label") {
    b_->label().pin_size(
        std::pair{static_cast<float>(c.numbers[0]), static_cast<float>(c.numbers[1])});
  } else if (v == "state") {
    state();
  } else if (v == "snapshot") {
    guarded_run(c, [&] { b_->snapshot(path_of(c.text)); });
  }
}

}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder) {
  Runner runner(out, folder);
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    std::optional<Command> c;
    try {
      c = parse_line(text, line);
    } catch (const SyntaxError& e) {
      err << "boton trace: " << e.what() << '\n';
      return 2;
    }
    if (c) runner.execute(*c);
    out.flush();
  }
  return 0;
}

}  // namespace brelund::trace
