#include "host/activex/stream_format.h"

#include <cstring>
#include <limits>
#include <type_traits>

#include "brelund/error.h"

namespace brelund::ax::stream_format {

namespace {

enum Tag : std::uint8_t {
  kEmpty = 0,
  kNothing,
  kBool,
  kInt16,
  kInt32,
  kDouble,
  kString,
  kFont,
  kNoPicture,
  kPicture,        // version 1: width, height, 32-bit pixels
  kPictureObject,  // version 2: u32 length, the picture object's persistent bytes
};
// Pictures larger than this are refused on reading rather than allocated.
constexpr std::uint64_t kMaxPixels = 16u * 1024 * 1024;

// A length as the format stores it; a saved set that does not fit is refused rather than
// written truncated (it could not be read back).
template <class T>
T stored_length(std::size_t n, std::size_t limit = std::numeric_limits<T>::max()) {
  if (n > limit || n > std::numeric_limits<T>::max())
    throw Error(errors::kOverflow, "The saved properties are too large for a stream");
  return static_cast<T>(n);
}

class Writer {
 public:
  template <class T>
  void put(T v) {
    std::uint8_t b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    out.insert(out.end(), b, b + sizeof(T));
  }
  void text(const std::string& s) {
    put(stored_length<std::uint32_t>(s.size(), kMaxPayload));
    out.insert(out.end(), s.begin(), s.end());
  }
  std::vector<std::uint8_t> out;
};

class Reader {
 public:
  Reader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  template <class T>
  bool get(T& v) {
    if (n_ - pos_ < sizeof(T)) return false;
    std::memcpy(&v, p_ + pos_, sizeof(T));
    pos_ += sizeof(T);
    return true;
  }
  bool bytes(std::size_t len, std::string& s) {
    if (n_ - pos_ < len) return false;
    s.assign(reinterpret_cast<const char*>(p_ + pos_), len);
    pos_ += len;
    return true;
  }
  bool text(std::string& s) {
    std::uint32_t len = 0;
    return get(len) && bytes(len, s);
  }
  bool done() const { return pos_ == n_; }
  const std::uint8_t* at() const { return p_ + pos_; }
  void skip(std::size_t len) { pos_ += len < n_ - pos_ ? len : n_ - pos_; }
  std::size_t remaining() const { return n_ - pos_; }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
  std::size_t pos_ = 0;
};

void write_value(Writer& w, const Variant& v, const PictureCodec* codec) {
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          w.put(kEmpty);
        } else if constexpr (std::is_same_v<T, Nothing>) {
          w.put(kNothing);
        } else if constexpr (std::is_same_v<T, bool>) {
          w.put(kBool);
          w.put(static_cast<std::uint8_t>(x));
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
          w.put(kInt16);
          w.put(x);
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
          w.put(kInt32);
          w.put(x);
        } else if constexpr (std::is_same_v<T, double>) {
          w.put(kDouble);
          w.put(x);
        } else if constexpr (std::is_same_v<T, std::string>) {
          w.put(kString);
          w.text(x);
        } else if constexpr (std::is_same_v<T, FontRef>) {
          if (!x) return w.put(kNothing);
          w.put(kFont);
          w.text(x->name);
          w.put(x->size);
          w.put(static_cast<std::uint8_t>(x->bold | x->italic << 1 | x->underline << 2 |
                                          x->strikethrough << 3));
          w.put(x->weight);
          w.put(x->charset);
        } else {
          if (!x || x->handle == 0) return w.put(x ? kNoPicture : kNothing);
          if (codec && codec->save) {
            if (auto bytes = codec->save(x)) {
              w.put(kPictureObject);
              w.put(stored_length<std::uint32_t>(bytes->size(), kMaxPayload));
              w.out.insert(w.out.end(), bytes->begin(), bytes->end());
              return;
            }
          }
          w.put(kPicture);
          w.put(static_cast<std::int32_t>(x->width));
          w.put(static_cast<std::int32_t>(x->height));
          for (std::uint32_t p : x->pixels) w.put(p);
        }
      },
      v);
}

bool read_value(Reader& r, Variant& v, const PictureCodec* codec) {
  std::uint8_t tag = 0;
  if (!r.get(tag)) return false;
  switch (tag) {
    case kEmpty:
      v = std::monostate{};
      return true;
    case kNothing:
      v = Nothing{};
      return true;
    case kBool: {
      std::uint8_t b = 0;
      if (!r.get(b) || b > 1) return false;
      v = b != 0;
      return true;
    }
    case kInt16: {
      std::int16_t x = 0;
      if (!r.get(x)) return false;
      v = x;
      return true;
    }
    case kInt32: {
      std::int32_t x = 0;
      if (!r.get(x)) return false;
      v = x;
      return true;
    }
    case kDouble: {
      double x = 0;
      if (!r.get(x)) return false;
      v = x;
      return true;
    }
    case kString: {
      std::string s;
      if (!r.text(s)) return false;
      v = std::move(s);
      return true;
    }
    case kFont: {
      auto f = std::make_shared<Font>();
      std::uint8_t flags = 0;
      if (!r.text(f->name) || !r.get(f->size) || !r.get(flags) || !r.get(f->weight) ||
          !r.get(f->charset) || !(f->size > 0 && f->size < 1e4))
        return false;
      f->bold = flags & 1;
      f->italic = flags & 2;
      f->underline = flags & 4;
      f->strikethrough = flags & 8;
      v = FontRef(std::move(f));
      return true;
    }
    case kNoPicture:
      v = make_empty_picture();
      return true;
    case kPicture: {
      std::int32_t w = 0, h = 0;
      if (!r.get(w) || !r.get(h) || w <= 0 || h <= 0) return false;
      const std::uint64_t n = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
      // Every pixel takes four bytes of the payload: a count the bytes cannot back is refused
      // before anything is allocated for it.
      if (n > kMaxPixels || n > r.remaining() / sizeof(std::uint32_t)) return false;
      std::vector<std::uint32_t> px(static_cast<std::size_t>(n));
      for (auto& p : px)
        if (!r.get(p)) return false;
      v = make_picture(w, h, std::move(px));
      return true;
    }
    case kPictureObject: {
      std::uint32_t len = 0;
      if (!r.get(len) || len > r.remaining() || !codec || !codec->load) return false;
      PictureRef p = codec->load(r.at(), len);
      if (!p) return false;
      r.skip(len);
      v = std::move(p);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

std::vector<std::uint8_t> encode(const std::vector<host::MemoryPropertyBag::Entry>& entries,
                                 const PictureCodec* pictures) {
  Writer body;
  for (const auto& [key, value] : entries) {
    body.put(stored_length<std::uint16_t>(key.size()));
    body.out.insert(body.out.end(), key.begin(), key.end());
    write_value(body, value, pictures);
  }
  Writer w;
  w.out = {'B', 'R', 'L', 'B'};
  w.put(kVersion);
  w.put(stored_length<std::uint16_t>(entries.size()));
  w.put(stored_length<std::uint32_t>(body.out.size(), kMaxPayload));
  w.out.insert(w.out.end(), body.out.begin(), body.out.end());
  return w.out;
}

std::optional<std::uint32_t> payload_size(const std::uint8_t (&header)[kHeaderSize]) {
  if (std::memcmp(header, "BRLB", 4) != 0) return std::nullopt;
  std::uint16_t version = 0;
  std::memcpy(&version, header + 4, 2);
  if (version == 0 || version > kVersion) return std::nullopt;
  std::uint32_t size = 0;
  std::memcpy(&size, header + 8, 4);
  return size;
}

std::optional<std::vector<host::MemoryPropertyBag::Entry>> decode(const std::uint8_t* data,
                                                                  std::size_t size,
                                                                  const PictureCodec* pictures) {
  if (size < kHeaderSize) return std::nullopt;
  std::uint8_t header[kHeaderSize];
  std::memcpy(header, data, kHeaderSize);
  const auto payload = payload_size(header);
  if (!payload || *payload != size - kHeaderSize) return std::nullopt;
  std::uint16_t count = 0;
  std::memcpy(&count, header + 6, 2);
  Reader r(data + kHeaderSize, *payload);
  std::vector<host::MemoryPropertyBag::Entry> entries;
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint16_t len = 0;
    std::string key;
    Variant value;
    if (!r.get(len) || !r.bytes(len, key) || !read_value(r, value, pictures)) return std::nullopt;
    entries.emplace_back(std::move(key), std::move(value));
  }
  if (!r.done()) return std::nullopt;
  return entries;
}

}  // namespace brelund::ax::stream_format
