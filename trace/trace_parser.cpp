#include "trace/trace_parser.h"

#include <cctype>

#include "brelund/error.h"
#include "control/convert.h"

namespace brelund::trace {

namespace {

struct Token {
  enum class Kind { word, string, json };
  Kind kind;
  std::string text;
};

constexpr std::size_t kMaxLine = 1 << 20;

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

class Reader {
 public:
  Reader(std::vector<Token> t, std::size_t start, int line)
      : t_(std::move(t)), i_(start), line_(line) {}

  [[noreturn]] void fail(const std::string& what) const { throw SyntaxError(line_, what); }
  bool done() const { return i_ >= t_.size(); }
  const Token* peek() const { return done() ? nullptr : &t_[i_]; }

  std::string word(const char* what) {
    if (done() || t_[i_].kind != Token::Kind::word) fail(std::string("expected ") + what);
    return t_[i_++].text;
  }
  bool accept(std::string_view w) {
    if (!done() && t_[i_].kind == Token::Kind::word && convert::iequals(t_[i_].text, w)) {
      ++i_;
      return true;
    }
    return false;
  }
  double number(const char* what) {
    if (done() || t_[i_].kind != Token::Kind::word) fail(std::string("expected ") + what);
    std::optional<double> d;
    try {
      d = convert::parse_number(t_[i_].text);
    } catch (const Error&) {
    }
    if (!d) fail(std::string("expected ") + what + ", not \"" + t_[i_].text + "\"");
    ++i_;
    return *d;
  }
  bool boolean(const char* what) {
    if (accept("True")) return true;
    if (accept("False")) return false;
    fail(std::string("expected True or False for ") + what);
  }
  std::string string(const char* what) {
    if (done() || t_[i_].kind != Token::Kind::string)
      fail(std::string("expected a quoted ") + what);
    return t_[i_++].text;
  }
  std::string string_or_word(const char* what) {
    if (!done() && t_[i_].kind == Token::Kind::word) return t_[i_++].text;
    return string(what);
  }
  std::string json(const char* what) {
    if (done() || t_[i_].kind != Token::Kind::json) fail(std::string("expected ") + what);
    return t_[i_++].text;
  }
  void end() const {
    if (!done()) fail("unexpected \"" + t_[i_].text + "\"");
  }
  std::size_t position() const { return i_; }
  std::vector<Token> rest() const { return {t_.begin() + static_cast<long>(i_), t_.end()}; }
  int line() const { return line_; }

 private:
  std::vector<Token> t_;
  std::size_t i_;
  int line_;
};

ValueSpec value(Reader& r) {
  ValueSpec v;
  const Token* t = r.peek();
  if (!t) r.fail("expected a value");
  if (t->kind == Token::Kind::string) {
    v.kind = ValueSpec::Kind::string;
    v.text = r.string("string");
  } else if (r.accept("True") || r.accept("False")) {
    v.kind = ValueSpec::Kind::boolean;
    v.flag = convert::iequals(t->text, "True");
  } else if (r.accept("nothing")) {
    v.kind = ValueSpec::Kind::nothing;
  } else if (r.accept("picture")) {
    if (r.accept("empty")) {
      v.kind = ValueSpec::Kind::picture_empty;
    } else if (r.accept("file")) {
      v.kind = ValueSpec::Kind::picture_file;
      v.text = r.string("file name");
    } else {
      v.kind = ValueSpec::Kind::picture_size;
      const double w = r.number("picture width"), h = r.number("picture height");
      if (w < 1 || h < 1 || w > 4096 || h > 4096 || w != static_cast<int>(w) ||
          h != static_cast<int>(h))
        r.fail("a picture is 1 to 4096 whole pixels each way");
      v.width = static_cast<int>(w);
      v.height = static_cast<int>(h);
    }
  } else if (r.accept("font")) {
    v.kind = ValueSpec::Kind::font;
    v.font.name = r.string("font name");
    v.font.size = r.number("font size");
    if (!(v.font.size > 0) || v.font.size > 2048) r.fail("font size out of range");
    while (!r.done()) {
      if (r.accept("bold")) {
        v.font.bold = true;
        v.font.weight = 700;
      } else if (r.accept("italic")) {
        v.font.italic = true;
      } else if (r.accept("underline")) {
        v.font.underline = true;
      } else if (r.accept("strikethrough")) {
        v.font.strikethrough = true;
      } else {
        r.fail("unknown font attribute");
      }
    }
  } else {
    v.kind = ValueSpec::Kind::number;
    v.number = r.number("a value");
  }
  return v;
}

Command command(Reader& r);

Command command(Reader& r) {
  Command c;
  c.line = r.line();
  c.verb = r.word("a command");
  const std::string& v = c.verb;
  auto sub_of = [&](std::initializer_list<const char*> allowed) {
    const std::string s = r.word("a sub-command");
    for (const char* a : allowed)
      if (s == a) return s;
    r.fail("unknown \"" + v + " " + s + "\"");
  };
  if (v == "new" || v == "init" || v == "write" || v == "show" || v == "state") {
  } else if (v == "read") {
    const Token* t = r.peek();
    if (!t) r.fail("read needs a file or a JSON object");
    if (t->kind == Token::Kind::json) {
      c.sub = "json";
      c.text = r.json("a JSON object");
    } else {
      c.sub = "file";
      c.text = r.string_or_word("file name");
    }
  } else if (v == "size") {
    c.numbers = {r.number("width"), r.number("height")};
  } else if (v == "let") {
    c.text = r.word("a property name");
    c.value = value(r);
  } else if (v == "get" || v == "call") {
    c.text = r.word("a property or method name");
  } else if (v == "mouse") {
    c.sub = sub_of({"down", "move", "up"});
    c.numbers = {r.number("Button"), r.number("Shift"), r.number("X"), r.number("Y")};
    if (r.accept("on")) {
      c.target = r.word("Label or Pic");
      if (c.target != "Label" && c.target != "Pic")
        r.fail("a pointer notification is on Label or Pic");
    }
  } else if (v == "pointer") {
    c.sub = sub_of({"over", "away", "at"});
    if (c.sub == "at") c.numbers = {r.number("x"), r.number("y")};
  } else if (v == "key") {
    c.sub = sub_of({"down", "up", "press", "access"});
    c.numbers.push_back(r.number("a key code"));
    if (c.sub == "down" || c.sub == "up") c.numbers.push_back(r.number("Shift"));
  } else if (v == "focus") {
    c.sub = sub_of({"enter", "got", "exit", "lost"});
  } else if (v == "tick") {
    c.numbers.push_back(r.done() ? 1 : r.number("a count"));
    if (c.numbers[0] < 0 || c.numbers[0] > 1e7) r.fail("tick count out of range");
  } else if (v == "extender") {
    if (r.accept("none")) {
      c.sub = "none";
    } else {
      if (!r.accept("default")) r.fail("expected \"default BOOL cancel BOOL\" or \"none\"");
      c.flag_a = r.boolean("default");
      if (!r.accept("cancel")) r.fail("expected \"cancel BOOL\"");
      c.flag_b = r.boolean("cancel");
    }
  } else if (v == "syscolor") {
    c.numbers = {r.number("an index"), r.number("a colour")};
    if (c.numbers[0] < 0 || c.numbers[0] > 255) r.fail("system colour index out of range 0..255");
  } else if (v == "ambient") {
    if (!r.accept("font")) r.fail("expected \"ambient font\"");
    c.value.kind = ValueSpec::Kind::font;
    c.value.font.name = r.string("font name");
    c.value.font.size = r.number("font size");
    if (!(c.value.font.size > 0) || c.value.font.size > 2048) r.fail("font size out of range");
  } else if (v == "label") {
    if (!r.accept("size")) r.fail("expected \"label size W H\"");
    c.numbers = {r.number("width"), r.number("height")};
  } else if (v == "on") {
    c.text = r.word("an event name");
    static const char* events[] = {"Click",     "KeyDown",   "KeyPress", "KeyUp",
                                   "MouseDown", "MouseMove", "MouseUp",  "Resize"};
    bool known = false;
    for (const char* e : events) known = known || c.text == e;
    if (!known) r.fail("unknown event \"" + c.text + "\"");
    if (r.accept("off")) {
      c.sub = "off";
    } else {
      auto handler = std::make_shared<Command>();
      const Token* t = r.peek();
      if (t && t->kind == Token::Kind::word && t->text == "set") {
        r.word("set");
        handler->line = c.line;
        handler->verb = "set";
        handler->text = r.word("an argument name");
        handler->numbers.push_back(r.number("a value"));
      } else {
        *handler = command(r);
        if (handler->verb == "on") r.fail("a handler cannot install handlers");
      }
      c.handler = std::move(handler);
    }
  } else if (v == "snapshot") {
    c.text = r.string_or_word("file name");
  } else {
    r.fail("unknown command \"" + v + "\"");
  }
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
