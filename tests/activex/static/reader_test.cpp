// The inspector's reader on broken input: a truncated or corrupted server must give a
// FormatError naming what is wrong, never a crash or a read outside the data (this test is
// built with AddressSanitizer, and each broken copy is a buffer of its own exact size, so an
// over-read is caught). The intact file comes from BRELUND_OCX.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "msft.h"
#include "pe_image.h"
#include "version_info.h"

namespace {

using Data = std::vector<std::uint8_t>;

Data load_server() {
  const char* path = std::getenv("BRELUND_OCX");
  if (!path) return {};
  std::ifstream in(path, std::ios::binary);
  return Data(std::istreambuf_iterator<char>(in), {});
}

// Everything the inspector reads, as it reads it.
void read_all(const Data& d) {
  const ocx::PeImage pe{ocx::Bytes(d)};
  (void)pe.exports();
  for (const char* type : {"_IID_BOTON", "_SRCIID_BOTON"})
    (void)pe.resource(std::string(type), std::uint16_t{1});
  (void)pe.resource(std::uint16_t{2}, std::uint16_t{30000});
  if (const auto v = pe.resource(std::uint16_t{16}, std::uint16_t{1}))
    (void)ocx::read_version_info(*v);
  if (const auto t = pe.resource(std::string("TYPELIB"), std::uint16_t{1}))
    (void)ocx::read_typelib(*t);
}

// True when the data was read whole, false on a FormatError; anything else fails the test.
bool reads(const Data& d) {
  try {
    read_all(d);
    return true;
  } catch (const ocx::FormatError& e) {
    EXPECT_NE(std::string(e.what()), "");
    return false;
  }
}

class BrokenServer : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = load_server();
    if (server_.empty()) GTEST_SKIP() << "BRELUND_OCX names no readable server";
  }
  Data server_;
};

TEST_F(BrokenServer, IntactFileReadsWhole) {
  ASSERT_TRUE(reads(server_));
  const ocx::PeImage pe{ocx::Bytes(server_)};
  const auto tlb = pe.resource(std::string("TYPELIB"), std::uint16_t{1});
  ASSERT_TRUE(tlb);
  const ocx::TypeLib lib = ocx::read_typelib(*tlb);
  EXPECT_EQ(lib.types.size(), 4u);
}

TEST_F(BrokenServer, TruncatedCopiesFailCleanly) {
  // Where the type library ends in the file: every copy cut before that cannot be read whole.
  // Past it the linker's symbols follow, which the reader has no use for.
  const ocx::PeImage pe{ocx::Bytes(server_)};
  const auto tlb = pe.resource(std::string("TYPELIB"), std::uint16_t{1});
  ASSERT_TRUE(tlb);
  const std::size_t end = static_cast<std::size_t>(tlb->data() - server_.data()) + tlb->size();
  // Every length through the headers, lengths spread over the file, and many through the
  // resources and the type library itself.
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n < 1024; ++n) lengths.push_back(n);
  for (std::size_t n = 1024; n < end; n += end / 509 + 1) lengths.push_back(n);
  for (std::size_t n = end > 16384 ? end - 16384 : 0; n < end; n += 7) lengths.push_back(n);
  for (std::size_t n : lengths) {
    const Data cut(server_.begin(), server_.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(reads(cut)) << "a copy cut to " << n << " bytes read whole";
  }
}

TEST_F(BrokenServer, CorruptedTypeLibraryFailsCleanly) {
  const ocx::PeImage pe{ocx::Bytes(server_)};
  const auto tlb = pe.resource(std::string("TYPELIB"), std::uint16_t{1});
  ASSERT_TRUE(tlb);
  const Data intact(tlb->data(), tlb->data() + tlb->size());
  // Each 32-bit field in turn set to values that make offsets, counts and lengths hostile.
  for (std::uint32_t value : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x0000FFFFu}) {
    for (std::size_t at = 0; at + 4 <= intact.size(); at += 4) {
      Data d = intact;
      std::memcpy(d.data() + at, &value, 4);
      try {
        (void)ocx::read_typelib(ocx::Bytes(d));
      } catch (const ocx::FormatError&) {
      }
    }
  }
}

TEST_F(BrokenServer, RandomlyCorruptedFileFailsCleanly) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<std::size_t> pos(0, server_.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 300; ++round) {
    Data d = server_;
    for (int k = 0; k < 16; ++k) d[pos(rng)] = static_cast<std::uint8_t>(byte(rng));
    // Headers and resources are where the reader follows offsets: hit them harder.
    for (int k = 0; k < 8; ++k) d[pos(rng) % 1024] = static_cast<std::uint8_t>(byte(rng));
    (void)reads(d);
  }
}

TEST(OcxReader, HostileHeadersNameTheProblem) {
  Data d(0x200, 0);
  d[0] = 'M';
  d[1] = 'Z';
  const std::uint32_t far = 0xFFFFFFF0u;
  std::memcpy(d.data() + 0x3C, &far, 4);
  try {
    read_all(d);
    FAIL() << "read a PE header from beyond the file";
  } catch (const ocx::FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("PE signature"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ocx::read_typelib(ocx::Bytes(Data{'M', 'S', 'F', 'T'})), ocx::FormatError);
  EXPECT_THROW(ocx::read_version_info(ocx::Bytes(Data{4, 0, 0, 0})), ocx::FormatError);
}

}  // namespace
