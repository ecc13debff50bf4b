#include "host/common/forms/json_reader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "host/common/forms/utf8.h"

namespace brelund::forms::json_reader {

namespace {
// Beyond these the library reads the text instead: nesting a form file never needs, and objects
// so large that looking for a repeated key would cost more than it saves.
constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxMembers = 64;
// Integers of up to 18 digits are exact in 64 bits either way; the library keeps larger ones
// unsigned or turns them into floating-point numbers, which is not worth repeating here.
constexpr std::size_t kMaxIntegerDigits = 18;
}  // namespace

// Recursive descent over the text; any departure from what it reads exactly ends the reading.
class Reader {
 public:
  explicit Reader(std::string_view text, Document& doc)
      : p_(text.data()), end_(text.data() + text.size()), doc_(doc) {}

  bool document() {
    skip_blanks();
    if (!value(0)) return false;
    skip_blanks();
    return p_ == end_;
  }

 private:
  using Node = Document::Node;
  using Member = Document::Member;

  void skip_blanks() noexcept {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }
  bool literal(std::string_view word) noexcept {
    if (static_cast<std::size_t>(end_ - p_) < word.size() ||
        std::string_view(p_, word.size()) != word)
      return false;
    p_ += word.size();
    return true;
  }

  // Appends the value at p_ as a new node.
  bool value(int depth) {
    if (p_ == end_) return false;
    const auto index = static_cast<std::uint32_t>(doc_.nodes_.size());
    doc_.nodes_.emplace_back();
    switch (*p_) {
      case '{':
        return depth < kMaxDepth && object(index, depth + 1);
      case '[':
        return depth < kMaxDepth && array(index, depth + 1);
      case '"': {
        std::string_view s;
        if (!string(s)) return false;
        Node& n = doc_.nodes_[index];
        n.kind = Kind::string;
        n.text = s;
        return true;
      }
      case 't':
      case 'f': {
        const bool b = *p_ == 't';
        if (!literal(b ? "true" : "false")) return false;
        doc_.nodes_[index].kind = Kind::boolean;
        doc_.nodes_[index].flag = b;
        return true;
      }
      case 'n':
        return literal("null");  // the node is null already
      default:
        return number(doc_.nodes_[index]);
    }
  }

  // The items of an object or an array, p_ on its opening bracket: item() reads one, and they
  // are separated by commas up to `close`.
  template <class Item>
  bool items(char close, Item&& item) {
    ++p_;
    skip_blanks();
    if (p_ < end_ && *p_ == close) {
      ++p_;
      return true;
    }
    for (;;) {
      if (!item()) return false;
      skip_blanks();
      if (p_ == end_) return false;
      if (*p_ == close) {
        ++p_;
        return true;
      }
      if (*p_ != ',') return false;
      ++p_;
      skip_blanks();
    }
  }

  // Moves the entries staged for one container, from base on, into the document's own list.
  template <class T>
  static void settle(Node& n, Kind kind, std::vector<T>& staged, std::size_t base,
                     std::vector<T>& into) {
    n.kind = kind;
    n.first = static_cast<std::uint32_t>(into.size());
    n.count = static_cast<std::uint32_t>(staged.size() - base);
    into.insert(into.end(), staged.begin() + static_cast<std::ptrdiff_t>(base), staged.end());
    staged.resize(base);
  }

  bool object(std::uint32_t index, int depth) {
    const std::size_t base = members_.size();
    const bool ok = items('}', [&] {
      if (p_ == end_ || *p_ != '"') return false;
      std::string_view key;
      if (!string(key)) return false;
      // A key given twice: the library keeps the first place and the last value.
      for (std::size_t i = base; i < members_.size(); ++i)
        if (members_[i].key == key) return false;
      skip_blanks();
      if (p_ == end_ || *p_ != ':') return false;
      ++p_;
      skip_blanks();
      const auto v = static_cast<std::uint32_t>(doc_.nodes_.size());
      if (!value(depth)) return false;
      members_.push_back({key, v});
      return members_.size() - base <= kMaxMembers;
    });
    if (!ok) return false;
    settle(doc_.nodes_[index], Kind::object, members_, base, doc_.members_);
    return true;
  }

  bool array(std::uint32_t index, int depth) {
    const std::size_t base = elements_.size();
    const bool ok = items(']', [&] {
      const auto v = static_cast<std::uint32_t>(doc_.nodes_.size());
      if (!value(depth)) return false;
      elements_.push_back(v);
      return true;
    });
    if (!ok) return false;
    settle(doc_.nodes_[index], Kind::array, elements_, base, doc_.elements_);
    return true;
  }

  // Four hex digits at q (within the text) as a number.
  bool hex4(const char* q, std::uint32_t& out) const noexcept {
    if (end_ - q < 4) return false;
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = q[i];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      out = out << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
  }

  // A string at p_ (on its opening quote): a view of the text when nothing in it is escaped.
  bool string(std::string_view& out) {
    const char* const start = ++p_;
    std::string* unescaped = nullptr;
    const char* run = start;  // not yet copied to `unescaped`
    while (p_ < end_) {
      const auto c = static_cast<unsigned char>(*p_);
      if (c == '"') {
        if (unescaped) {
          unescaped->append(run, p_);
          out = *unescaped;
        } else {
          out = std::string_view(start, static_cast<std::size_t>(p_ - start));
        }
        ++p_;
        return true;
      }
      if (c < 0x20) return false;
      if (c >= 0x80) {
        const std::size_t n = utf8::sequence(reinterpret_cast<const unsigned char*>(p_),
                                             reinterpret_cast<const unsigned char*>(end_));
        if (n == 0) return false;
        p_ += n;
        continue;
      }
      if (c != '\\') {
        ++p_;
        continue;
      }
      if (p_ + 1 == end_) return false;
      char e;
      switch (p_[1]) {
        case '"':
          e = '"';
          break;
        case '\\':
          e = '\\';
          break;
        case '/':
          e = '/';
          break;
        case 'b':
          e = '\b';
          break;
        case 'f':
          e = '\f';
          break;
        case 'n':
          e = '\n';
          break;
        case 'r':
          e = '\r';
          break;
        case 't':
          e = '\t';
          break;
        case 'u': {
          // A code point, or a surrogate pair written as two escapes; a lone surrogate is the
          // library's to report.
          std::uint32_t cp = 0, low = 0;
          std::size_t length = 6;
          if (!hex4(p_ + 2, cp) || (cp >= 0xDC00 && cp <= 0xDFFF)) return false;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (end_ - p_ < 12 || p_[6] != '\\' || p_[7] != 'u' || !hex4(p_ + 8, low) ||
                low < 0xDC00 || low > 0xDFFF)
              return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            length = 12;
          }
          if (!unescaped) unescaped = &doc_.unescaped_.emplace_back();
          unescaped->append(run, p_);
          utf8::append(*unescaped, cp);
          p_ += length;
          run = p_;
          continue;
        }
        default:
          return false;  // anything else: the library's
      }
      if (!unescaped) unescaped = &doc_.unescaped_.emplace_back();
      unescaped->append(run, p_);
      unescaped->push_back(e);
      p_ += 2;
      run = p_;
    }
    return false;
  }

  // JSON's number grammar exactly; integers as 64-bit values, the rest correctly rounded.
  bool number(Node& n) {
    const char* const start = p_;
    if (p_ < end_ && *p_ == '-') ++p_;
    const char* const digits = p_;
    if (p_ == end_) return false;
    if (*p_ == '0') {
      ++p_;
    } else if (*p_ >= '1' && *p_ <= '9') {
      while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
    } else {
      return false;
    }
    const std::size_t whole = static_cast<std::size_t>(p_ - digits);
    bool fraction = false;
    if (p_ < end_ && *p_ == '.') {
      fraction = true;
      ++p_;
      if (p_ == end_ || *p_ < '0' || *p_ > '9') return false;
      while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
    }
    if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
      fraction = true;
      ++p_;
      if (p_ < end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (p_ == end_ || *p_ < '0' || *p_ > '9') return false;
      while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
    }
    if (!fraction) {
      if (whole > kMaxIntegerDigits) return false;
      long long v = 0;
      for (const char* d = digits; d < p_; ++d) v = v * 10 + (*d - '0');
      n.kind = Kind::integer;
      n.integer = start == digits ? v : -v;
      n.number = static_cast<double>(n.integer);
      return true;
    }
    double d = 0;
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 200000
    // This libc++ (the browser build's Emscripten) has no floating-point from_chars. The text is
    // a checked JSON number, which strtod reads the same in the C locale such a build runs in.
    const std::string text(start, p_);
    char* stop = nullptr;
    d = std::strtod(text.c_str(), &stop);
    if (stop != text.c_str() + text.size() || !std::isfinite(d)) return false;
#else
    const auto [end, ec] = std::from_chars(start, p_, d);
    if (ec != std::errc() || end != p_ || !std::isfinite(d)) return false;
#endif
    n.kind = Kind::floating;
    n.number = d;
    return true;
  }

  const char* p_;
  const char* const end_;
  Document& doc_;
  // Members and elements of the containers still open, moved to the document as each closes,
  // so that every container's own ones lie together.
  std::vector<Member> members_;
  std::vector<std::uint32_t> elements_;
};

std::optional<Document> Document::read(std::string_view text) {
  std::optional<Document> doc(std::in_place);
  doc->nodes_.reserve(text.size() / 8 + 4);
  doc->members_.reserve(text.size() / 12 + 4);
  if (!Reader(text, *doc).document()) return std::nullopt;
  return doc;
}

Kind Value::kind() const noexcept { return doc_->nodes_[node_].kind; }
bool Value::boolean() const noexcept { return doc_->nodes_[node_].flag; }
double Value::number() const noexcept { return doc_->nodes_[node_].number; }
std::string_view Value::text() const noexcept { return doc_->nodes_[node_].text; }

long long Value::integer() const noexcept {
  const Document::Node& n = doc_->nodes_[node_];
  if (n.kind == Kind::integer) return n.integer;
  // Truncated, as a cast does; kept within range, where a cast would be undefined.
  if (!(n.number > -9.2e18 && n.number < 9.2e18)) return n.number < 0 ? INT64_MIN : INT64_MAX;
  return static_cast<long long>(n.number);
}

std::size_t Value::size() const noexcept {
  const Document::Node& n = doc_->nodes_[node_];
  return n.kind == Kind::object || n.kind == Kind::array ? n.count : 0;
}

std::optional<Value> Value::find(std::string_view key) const noexcept {
  const Document::Node& n = doc_->nodes_[node_];
  if (n.kind != Kind::object) return std::nullopt;
  for (std::uint32_t i = 0; i < n.count; ++i)
    if (doc_->members_[n.first + i].key == key)
      return Value(doc_, doc_->members_[n.first + i].value);
  return std::nullopt;
}

std::string_view Value::key_at(std::size_t i) const noexcept {
  return doc_->members_[doc_->nodes_[node_].first + i].key;
}

Value Value::at(std::size_t i) const noexcept {
  const Document::Node& n = doc_->nodes_[node_];
  return {doc_, n.kind == Kind::object ? doc_->members_[n.first + i].value
                                       : doc_->elements_[n.first + i]};
}

}  // namespace brelund::forms::json_reader
