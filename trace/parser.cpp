#include "trace/parser.h"

#include "trace/reader.h"

namespace brelund::trace {

namespace {

Command command(Reader& r);

Font font_spec(Reader& r) {
  Font f;
  f.name = r.string("font name");
  f.size = r.number("font size");
  if (!(f.size > 0) || f.size > 2048) r.fail("font size out of range");
  return f;
}

Value value(Reader& r) {
  const Token* t = r.peek();
  if (!t) r.fail("expected a value");
  if (t->kind == Token::Kind::string) return {Value::Text{r.string("string")}};
  if (r.accept("True")) return {Value::Boolean{true}};
  if (r.accept("False")) return {Value::Boolean{false}};
  if (r.accept("nothing")) return {Value::NoObject{}};
  if (r.accept("picture")) {
    if (r.accept("empty")) return {Value::EmptyPicture{}};
    if (r.accept("file")) return {Value::PictureFile{r.string("file name")}};
    const double w = r.number("picture width"), h = r.number("picture height");
    if (w < 1 || h < 1 || w > 4096 || h > 4096 || w != static_cast<int>(w) ||
        h != static_cast<int>(h))
      r.fail("a picture is 1 to 4096 whole pixels each way");
    return {Value::PictureOfSize{static_cast<int>(w), static_cast<int>(h)}};
  }
  if (r.accept("font")) {
    Font f = font_spec(r);
    while (!r.done()) {
      if (r.accept("bold")) {
        f.bold = true;
        f.weight = 700;
      } else if (r.accept("italic")) {
        f.italic = true;
      } else if (r.accept("underline")) {
        f.underline = true;
      } else if (r.accept("strikethrough")) {
        f.strikethrough = true;
      } else {
        r.fail("unknown font attribute");
      }
    }
    return {f};
  }
  return {Value::Number{r.number("a value")}};
}

template <class E>
struct Choice {
  const char* word;
  E value;
};

// The word after a verb, one of `choices`.
template <class E, std::size_t N>
E sub(Reader& r, const std::string& verb, const Choice<E> (&choices)[N]) {
  const std::string s = r.word("a sub-command");
  for (const auto& c : choices)
    if (s == c.word) return c.value;
  r.fail("unknown \"" + verb + " " + s + "\"");
}

Action action(Reader& r, const std::string& v) {
  using namespace cmd;
  if (v == "new") return New{};
  if (v == "init") return Init{};
  if (v == "write") return Write{};
  if (v == "show") return Show{};
  if (v == "state") return State{};
  if (v == "read") {
    const Token* t = r.peek();
    if (!t) r.fail("read needs a file or a JSON object");
    if (t->kind == Token::Kind::json) return ReadJson{r.json("a JSON object")};
    return ReadFile{r.string_or_word("file name")};
  }
  if (v == "size") {
    const double w = r.number("width"), h = r.number("height");
    return Size{static_cast<float>(w), static_cast<float>(h)};
  }
  if (v == "let") {
    std::string name = r.word("a property name");
    return Let{std::move(name), value(r)};
  }
  if (v == "get") return Get{r.word("a property or method name")};
  if (v == "call") return Call{r.word("a property or method name")};
  if (v == "mouse") {
    using host::PointerAction;
    static constexpr Choice<PointerAction> kActions[] = {
        {"down", PointerAction::down}, {"move", PointerAction::move}, {"up", PointerAction::up}};
    Mouse m{sub(r, v, kActions), host::PointerTarget::surface, 0, 0, 0, 0};
    m.button = r.number("Button");
    m.shift = r.number("Shift");
    m.x = static_cast<float>(r.number("X"));
    m.y = static_cast<float>(r.number("Y"));
    if (r.accept("on")) {
      const std::string target = r.word("Label or Pic");
      if (target == "Label")
        m.target = host::PointerTarget::caption;
      else if (target == "Pic")
        m.target = host::PointerTarget::picture;
      else
        r.fail("a pointer notification is on Label or Pic");
    }
    return m;
  }
  if (v == "pointer") {
    using W = Pointer::Where;
    static constexpr Choice<W> kWhere[] = {{"over", W::over}, {"away", W::away}, {"at", W::at}};
    Pointer p{sub(r, v, kWhere)};
    if (p.where == W::at) {
      p.x = r.number("x");
      p.y = r.number("y");
    }
    return p;
  }
  if (v == "key") {
    using K = Key::Kind;
    static constexpr Choice<K> kKinds[] = {
        {"down", K::down}, {"up", K::up}, {"press", K::press}, {"access", K::access}};
    Key k{sub(r, v, kKinds), r.number("a key code")};
    if (k.kind == K::down || k.kind == K::up) k.shift = r.number("Shift");
    return k;
  }
  if (v == "focus") {
    using K = Focus::Kind;
    static constexpr Choice<K> kKinds[] = {
        {"enter", K::enter}, {"got", K::got}, {"exit", K::exit}, {"lost", K::lost}};
    return Focus{sub(r, v, kKinds)};
  }
  if (v == "tick") {
    const double n = r.done() ? 1 : r.number("a count");
    if (n < 0 || n > 1e7) r.fail("tick count out of range");
    return Tick{static_cast<long>(n)};
  }
  if (v == "extender") {
    if (r.accept("none")) return Extender{};
    if (!r.accept("default")) r.fail("expected \"default BOOL cancel BOOL\" or \"none\"");
    const bool d = r.boolean("default");
    if (!r.accept("cancel")) r.fail("expected \"cancel BOOL\"");
    return Extender{d, r.boolean("cancel")};
  }
  if (v == "syscolor") {
    const double index = r.number("an index"), color = r.number("a colour");
    if (index < 0 || index > 255) r.fail("system colour index out of range 0..255");
    return SysColor{static_cast<int>(index), color};
  }
  if (v == "ambient") {
    if (!r.accept("font")) r.fail("expected \"ambient font\"");
    return Ambient{font_spec(r)};
  }
  if (v == "label") {
    if (!r.accept("size")) r.fail("expected \"label size W H\"");
    const double w = r.number("width"), h = r.number("height");
    return LabelSize{static_cast<float>(w), static_cast<float>(h)};
  }
  if (v == "on") {
    const std::string name = r.word("an event name");
    const EventInfo* e = find_event(name);
    if (!e) r.fail("unknown event \"" + name + "\"");
    if (r.accept("off")) return On{e->id, nullptr};
    auto handler = std::make_shared<Command>();
    handler->line = r.line();
    if (r.accept("set")) {
      std::string arg = r.word("an argument name");
      handler->action = SetArg{std::move(arg), r.number("a value")};
    } else {
      *handler = command(r);
      if (std::holds_alternative<On>(handler->action)) r.fail("a handler cannot install handlers");
    }
    return On{e->id, std::move(handler)};
  }
  if (v == "snapshot") return Snapshot{r.string_or_word("file name")};
  r.fail("unknown command \"" + v + "\"");
}

Command command(Reader& r) {
  Command c;
  c.line = r.line();
  const std::string verb = r.word("a command");
  c.action = action(r, verb);
  r.end();
  return c;
}

}  // namespace

std::optional<Command> parse_line(std::string_view text, int line) {
  auto tokens = tokenize(text, line);
  if (tokens.empty()) return std::nullopt;
  Reader r(std::move(tokens), 0, line);
  return command(r);
}

}  // namespace brelund::trace
