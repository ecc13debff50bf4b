#include "host/web/src/inflate.h"

#include <array>
#include <stdexcept>

namespace brelund::web::zlib {

namespace {

[[noreturn]] void damaged(const char* why) { throw std::runtime_error(why); }

class Bits {
 public:
  Bits(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  unsigned take(int count) {
    while (have_ < count) {
      if (pos_ >= n_) damaged("the compressed data ends early");
      buf_ |= static_cast<std::uint32_t>(p_[pos_++]) << have_;
      have_ += 8;
    }
    const unsigned v = buf_ & ((1u << count) - 1u);
    buf_ >>= count;
    have_ -= count;
    return v;
  }
  void align() {
    buf_ = 0;
    have_ = 0;
  }
  std::uint8_t byte() {
    if (pos_ >= n_) damaged("the compressed data ends early");
    return p_[pos_++];
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_, pos_ = 0;
  std::uint32_t buf_ = 0;
  int have_ = 0;
};

// A canonical Huffman code: symbols by code length, decoded a bit at a time.
struct Huffman {
  std::array<std::uint16_t, 16> count{};
  std::vector<std::uint16_t> symbol;

  Huffman(const std::uint8_t* lengths, int n) : symbol(static_cast<std::size_t>(n)) {
    for (int i = 0; i < n; ++i) ++count[lengths[i]];
    std::array<std::uint16_t, 16> offs{};
    for (int len = 1; len < 16; ++len) offs[len] = offs[len - 1] + count[len - 1];
    // Symbols of length 0 are not used; their slots are left past the used ones.
    for (int i = 0; i < n; ++i)
      if (lengths[i] != 0) symbol[offs[lengths[i]]++ - count[0]] = static_cast<std::uint16_t>(i);
  }
  int decode(Bits& in) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
      code |= static_cast<int>(in.take(1));
      const int c = count[len];
      if (code - c < first) return symbol[static_cast<std::size_t>(index + (code - first))];
      index += c;
      first += c;
      first <<= 1;
      code <<= 1;
    }
    damaged("a Huffman code is not valid");
  }
};

constexpr std::uint16_t kLenBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLenExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void codes(Bits& in, std::vector<std::uint8_t>& out, const Huffman& lit, const Huffman& dist,
           std::size_t max_out) {
  for (;;) {
    const int sym = lit.decode(in);
    if (sym < 256) {
      if (out.size() >= max_out) damaged("the image data is larger than the image");
      out.push_back(static_cast<std::uint8_t>(sym));
      continue;
    }
    if (sym == 256) return;
    const int l = sym - 257;
    if (l >= 29) damaged("a length code is not valid");
    const std::size_t len = kLenBase[l] + in.take(kLenExtra[l]);
    const int d = dist.decode(in);
    if (d >= 30) damaged("a distance code is not valid");
    const std::size_t back = kDistBase[d] + in.take(kDistExtra[d]);
    if (back > out.size()) damaged("a distance reaches before the start");
    if (out.size() + len > max_out) damaged("the image data is larger than the image");
    for (std::size_t i = 0; i < len; ++i) out.push_back(out[out.size() - back]);
  }
}

void dynamic(Bits& in, std::vector<std::uint8_t>& out, std::size_t max_out) {
  const int nlen = static_cast<int>(in.take(5)) + 257;
  const int ndist = static_cast<int>(in.take(5)) + 1;
  const int ncode = static_cast<int>(in.take(4)) + 4;
  if (nlen > 286 || ndist > 30) damaged("too many codes");
  static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                              11, 4,  12, 3, 13, 2, 14, 1, 15};
  std::array<std::uint8_t, 320> lengths{};
  for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = static_cast<std::uint8_t>(in.take(3));
  const Huffman lencode(lengths.data(), 19);
  int i = 0;
  while (i < nlen + ndist) {
    const int sym = lencode.decode(in);
    if (sym < 16) {
      lengths[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(sym);
      continue;
    }
    std::uint8_t value = 0;
    int repeat;
    if (sym == 16) {
      if (i == 0) damaged("a repeat has nothing to repeat");
      value = lengths[static_cast<std::size_t>(i - 1)];
      repeat = 3 + static_cast<int>(in.take(2));
    } else if (sym == 17) {
      repeat = 3 + static_cast<int>(in.take(3));
    } else {
      repeat = 11 + static_cast<int>(in.take(7));
    }
    if (i + repeat > nlen + ndist) damaged("code lengths run past their table");
    while (repeat--) lengths[static_cast<std::size_t>(i++)] = value;
  }
  if (lengths[256] == 0) damaged("no end-of-block code");
  const Huffman lit(lengths.data(), nlen);
  const Huffman dist(lengths.data() + nlen, ndist);
  codes(in, out, lit, dist, max_out);
}

void fixed(Bits& in, std::vector<std::uint8_t>& out, std::size_t max_out) {
  static const auto tables = [] {
    std::array<std::uint8_t, 288> l{};
    for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    std::array<std::uint8_t, 30> d{};
    d.fill(5);
    return std::pair{Huffman(l.data(), 288), Huffman(d.data(), 30)};
  }();
  codes(in, out, tables.first, tables.second, max_out);
}

}  // namespace

std::vector<std::uint8_t> inflate(const std::uint8_t* data, std::size_t size, std::size_t max_out) {
  if (size < 2) damaged("the compressed data ends early");
  if ((data[0] & 0x0F) != 8 || ((data[0] << 8) | data[1]) % 31 != 0 || (data[1] & 0x20))
    damaged("the compressed data is not a zlib stream");
  Bits in(data + 2, size - 2);
  std::vector<std::uint8_t> out;
  for (;;) {
    const bool last = in.take(1) != 0;
    switch (in.take(2)) {
      case 0: {
        in.align();
        const unsigned len = in.byte() | (in.byte() << 8);
        const unsigned nlen = in.byte() | (in.byte() << 8);
        if ((len ^ 0xFFFFu) != nlen) damaged("a stored block's length is damaged");
        if (out.size() + len > max_out) damaged("the image data is larger than the image");
        for (unsigned i = 0; i < len; ++i) out.push_back(in.byte());
        break;
      }
      case 1:
        fixed(in, out, max_out);
        break;
      case 2:
        dynamic(in, out, max_out);
        break;
      default:
        damaged("a block type is not valid");
    }
    if (last) return out;
  }
}

std::vector<std::uint8_t> deflate_stored(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> out = {0x78, 0x01};
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(size - pos, 65535);
    const bool last = pos + n == size;
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(~n));
    out.push_back(static_cast<std::uint8_t>(~n >> 8));
    out.insert(out.end(), data + pos, data + pos + n);
    pos += n;
  } while (pos < size);
  std::uint32_t a = 1, b = 0;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  const std::uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(adler >> s));
  return out;
}

std::uint32_t crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace brelund::web::zlib
