// The words of one trace line and a reader over them that says what it expected when a line
// is wrong. Lines are read whole before anything runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "brelund/error.h"
#include "control/convert.h"
#include "trace/parser.h"

namespace brelund::trace {

// The longest line a script may have.
inline constexpr std::size_t kMaxLine = 1 << 20;

struct Token {
  enum class Kind { word, string, json };
  Kind kind;
  std::string text;
};

// Splits a line into words, quoted strings and a trailing JSON object; stops at '#'.
std::vector<Token> tokenize(std::string_view s, int line);

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

}  // namespace brelund::trace
