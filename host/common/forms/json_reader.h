// A small reader of JSON text for form files: the document in flat arrays, strings pointing into
// the text where they need no unescaping. It reads only what it can read exactly as the JSON
// library does (same numbers, same strings, same structure) and declines everything else:
// malformed text, lone surrogates in \u escapes, integers of more than 18 digits, a key given
// twice, deep nesting, very large objects, a byte-order mark. The form reader then hands the text
// to the library, which reads it or says precisely what is wrong with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelund::forms::json_reader {

enum class Kind : std::uint8_t { null, boolean, integer, floating, string, object, array };

class Document;

// One value of a document; valid while the document and its text live.
class Value {
 public:
  Kind kind() const noexcept;
  bool is_null() const noexcept { return kind() == Kind::null; }
  bool is_boolean() const noexcept { return kind() == Kind::boolean; }
  bool is_number() const noexcept { return kind() == Kind::integer || kind() == Kind::floating; }
  bool is_number_integer() const noexcept { return kind() == Kind::integer; }
  bool is_string() const noexcept { return kind() == Kind::string; }
  bool is_object() const noexcept { return kind() == Kind::object; }
  bool is_array() const noexcept { return kind() == Kind::array; }

  bool boolean() const noexcept;
  // Integers as the library converts them; floating-point numbers truncated toward zero.
  long long integer() const noexcept;
  double number() const noexcept;
  std::string_view text() const noexcept;

  // Members of an object (in order) or elements of an array.
  std::size_t size() const noexcept;
  std::optional<Value> find(std::string_view key) const noexcept;
  std::string_view key_at(std::size_t i) const noexcept;
  Value at(std::size_t i) const noexcept;

 private:
  friend class Document;
  Value(const Document* doc, std::uint32_t node) noexcept : doc_(doc), node_(node) {}
  const Document* doc_;
  std::uint32_t node_;
};

class Document {
 public:
  // The document, or nullopt for text this reader leaves to the library. `text` must outlive it.
  static std::optional<Document> read(std::string_view text);
  Value root() const noexcept { return {this, 0}; }

 private:
  friend class Value;
  friend class Reader;
  struct Node {
    Kind kind = Kind::null;
    bool flag = false;
    std::uint32_t first = 0, count = 0;  // object members or array elements
    long long integer = 0;
    double number = 0;
    std::string_view text;
  };
  struct Member {
    std::string_view key;
    std::uint32_t value;
  };
  std::vector<Node> nodes_;
  std::vector<Member> members_;
  std::vector<std::uint32_t> elements_;
  std::deque<std::string> unescaped_;  // strings that had escapes, at stable addresses
};

}  // namespace brelund::forms::json_reader
