// The stream form of the saved properties: what is written reads back the same, and what a
// container hands us from elsewhere (another version, cut short, lying about its lengths) is
// refused rather than trusted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "control/convert.h"
#include "host/activex/stream_format.h"

// The largest single allocation since the last reset: a stream that lies about its lengths
// must cost no more than the bytes it really holds.
namespace {
std::size_t g_largest = 0;
}
// Kept out of line: inlined into a caller, GCC pairs the malloc in one with the free in the
// other and takes them for a mismatched new and free.
[[gnu::noinline]] void* operator new(std::size_t n) {
  if (n > g_largest) g_largest = n;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace brelund::ax {
namespace {

using Entries = std::vector<host::MemoryPropertyBag::Entry>;

Entries sample() {
  auto font = std::make_shared<Font>();
  font->name = "Tahoma";
  font->size = 9.75;
  font->bold = true;
  font->underline = true;
  font->weight = 700;
  return {{"Caption", std::string("Bot\xC3\xB3n")},
          {"Enabled", false},
          {"Font", FontRef(font)},
          {"MousePointer", std::int16_t{-3}},
          {"Picture", make_picture(2, 1, {0xFF102030u, 0x00000000u})},
          {"MouseIcon", make_empty_picture()},
          {"BackColor", std::int32_t{-2147483633}},
          {"Light", 2.5},
          {"ToolTipText", Nothing{}}};
}

TEST(StreamFormat, EveryKindOfValueReadsBackEqual) {
  const Entries in = sample();
  const auto bytes = stream_format::encode(in);
  const auto out = stream_format::decode(bytes.data(), bytes.size());
  ASSERT_TRUE(out);
  ASSERT_EQ(out->size(), in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ((*out)[i].first, in[i].first);
    const auto& a = in[i].second;
    const auto& b = (*out)[i].second;
    EXPECT_EQ(a.index(), b.index()) << in[i].first;
    if (const auto* p = std::get_if<PictureRef>(&a)) {
      const auto& q = std::get<PictureRef>(b);
      EXPECT_EQ((*p)->width, q->width);
      EXPECT_EQ((*p)->pixels, q->pixels);
      EXPECT_EQ((*p)->handle == 0, q->handle == 0);
    } else if (const auto* f = std::get_if<FontRef>(&a)) {
      EXPECT_EQ(**f, *std::get<FontRef>(b));
    } else {
      EXPECT_TRUE(convert::same_value(a, b)) << in[i].first;
    }
  }
}

TEST(StreamFormat, HeaderAnnouncesThePayloadAndRefusesOthers) {
  const auto bytes = stream_format::encode(sample());
  std::uint8_t header[stream_format::kHeaderSize];
  std::copy_n(bytes.begin(), sizeof header, header);
  ASSERT_TRUE(stream_format::payload_size(header));
  EXPECT_EQ(*stream_format::payload_size(header), bytes.size() - sizeof header);
  header[4] = stream_format::kVersion + 1;  // a newer version than this one reads
  EXPECT_FALSE(stream_format::payload_size(header));
  header[4] = stream_format::kVersion;
  header[0] = 'X';
  EXPECT_FALSE(stream_format::payload_size(header));
}

TEST(StreamFormat, EveryTruncationIsRefused) {
  const auto bytes = stream_format::encode(sample());
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(stream_format::decode(bytes.data(), n)) << "cut at " << n;
}

TEST(StreamFormat, LyingLengthsAndTagsAreRefused) {
  const Entries one{{"Caption", std::string("abc")}};
  auto bytes = stream_format::encode(one);
  // The string length (after u16 key length, key and tag) claims more than there is.
  auto lying = bytes;
  const std::size_t len_at = stream_format::kHeaderSize + 2 + 7 + 1;
  lying[len_at + 3] = 0x7F;
  EXPECT_FALSE(stream_format::decode(lying.data(), lying.size()));
  auto unknown_tag = bytes;
  unknown_tag[len_at - 1] = 0xEE;
  EXPECT_FALSE(stream_format::decode(unknown_tag.data(), unknown_tag.size()));
  // A picture that claims a huge size is refused before anything is allocated for it.
  const Entries pic{{"Picture", make_picture(1, 1, {0xFF000000u})}};
  auto huge = stream_format::encode(pic);
  const std::size_t w_at = stream_format::kHeaderSize + 2 + 7 + 1;
  huge[w_at + 2] = 0xFF;  // width 0x00FF0001
  huge[w_at + 6] = 0xFF;  // height 0x00FF0001
  EXPECT_FALSE(stream_format::decode(huge.data(), huge.size()));
  // Extra bytes after the announced entries are not ours either.
  auto extra = bytes;
  extra.push_back(0);
  EXPECT_FALSE(stream_format::decode(extra.data(), extra.size()));
}

TEST(StreamFormat, WhatCannotBeStoredIsRefusedNotTruncated) {
  // A key longer than its 16-bit length field would be written cut and never read back.
  const Entries long_key{{std::string(70000, 'k'), std::int16_t{1}}};
  EXPECT_THROW(stream_format::encode(long_key), Error);
}

TEST(StreamFormat, APictureTheBytesCannotBackCostsNothing) {
  // 4096 x 4096 pixels is within the largest picture a save writes, but the stream holds none
  // of its 64 MB: refused without allocating for them.
  const Entries pic{{"Picture", make_picture(1, 1, {0xFF000000u})}};
  auto bytes = stream_format::encode(pic);
  const std::size_t w_at = stream_format::kHeaderSize + 2 + 7 + 1;
  bytes[w_at] = 0x00;
  bytes[w_at + 1] = 0x10;  // width 4096
  bytes[w_at + 4] = 0x00;
  bytes[w_at + 5] = 0x10;  // height 4096
  g_largest = 0;
  EXPECT_FALSE(stream_format::decode(bytes.data(), bytes.size()));
  EXPECT_LT(g_largest, std::size_t{1} << 20) << "largest allocation while decoding";
}

// A stand-in for the system's picture objects: the "persistent bytes" of a picture are its
// width and the first pixel, and reading them makes a 1-pixel-high picture of that width.
struct FakeCodec {
  int loads = 0;
  stream_format::PictureCodec codec{
      [](const PictureRef& p) -> std::optional<std::vector<std::uint8_t>> {
        if (p->width == 99) return std::nullopt;  // a picture the platform cannot save
        return std::vector<std::uint8_t>{'P', static_cast<std::uint8_t>(p->width),
                                         static_cast<std::uint8_t>(p->pixels[0])};
      },
      [this](const std::uint8_t* d, std::size_t n) -> PictureRef {
        ++loads;
        if (n != 3 || d[0] != 'P') return nullptr;
        return make_picture(d[1], 1, std::vector<std::uint32_t>(d[1], 0xFF000000u | d[2]));
      }};
};

TEST(StreamFormat, PicturesGoThroughThePlatformsPersistentForm) {
  FakeCodec fake;
  const Entries in{{"Picture", make_picture(3, 1, std::vector<std::uint32_t>(3, 0xFF000042u))},
                   {"MouseIcon", make_picture(99, 1, std::vector<std::uint32_t>(99, 0xFF010203u))}};
  const auto bytes = stream_format::encode(in, &fake.codec);
  // The object form holds the platform's 3 bytes, not 3 pixels of 4 bytes each.
  const auto out = stream_format::decode(bytes.data(), bytes.size(), &fake.codec);
  ASSERT_TRUE(out);
  EXPECT_EQ(fake.loads, 1);
  const auto& pic = std::get<PictureRef>((*out)[0].second);
  EXPECT_EQ(pic->width, 3);
  EXPECT_EQ(pic->pixels[2], 0xFF000042u);
  // What the platform could not save was written as pixels, and reads back as them.
  const auto& icon = std::get<PictureRef>((*out)[1].second);
  EXPECT_EQ(icon->width, 99);
  EXPECT_EQ(icon->pixels[98], 0xFF010203u);
  // Without the platform the object form cannot be read; bytes the platform refuses fail too.
  EXPECT_FALSE(stream_format::decode(bytes.data(), bytes.size()));
  auto refused = bytes;
  const std::size_t object_at = stream_format::kHeaderSize + 2 + 7 + 1 + 4;
  ASSERT_EQ(refused[object_at], 'P');
  refused[object_at] = 'Q';
  EXPECT_FALSE(stream_format::decode(refused.data(), refused.size(), &fake.codec));
  // A length past the end is refused before the platform sees anything.
  auto lying = bytes;
  lying[object_at - 4 + 2] = 0x7F;
  fake.loads = 0;
  EXPECT_FALSE(stream_format::decode(lying.data(), lying.size(), &fake.codec));
  EXPECT_EQ(fake.loads, 0);
}

TEST(StreamFormat, VersionOneStreamsStillLoad) {
  // Written by the first version: a 2 x 1 picture as raw pixels.
  std::vector<std::uint8_t> v1 = {'B', 'R', 'L', 'B', 1, 0, 1, 0, 0, 0, 0, 0};
  const std::vector<std::uint8_t> body = {7, 0, 'P', 'i', 'c', 't',  'u',  'r',  'e',  9, 2, 0, 0,
                                          0, 1, 0,   0,   0,   0x30, 0x20, 0x10, 0xFF, 0, 0, 0, 0};
  v1[8] = static_cast<std::uint8_t>(body.size());
  v1.insert(v1.end(), body.begin(), body.end());
  FakeCodec fake;
  const auto out = stream_format::decode(v1.data(), v1.size(), &fake.codec);
  ASSERT_TRUE(out);
  const auto& pic = std::get<PictureRef>((*out)[0].second);
  EXPECT_EQ(pic->width, 2);
  EXPECT_EQ(pic->pixels[0], 0xFF102030u);
  EXPECT_EQ(fake.loads, 0);
}

}  // namespace
}  // namespace brelund::ax
