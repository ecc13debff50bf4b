// The ActiveX server's stream form of a saved property set, on arbitrary bytes: a container's
// stream may come from anywhere. Decoding must refuse what it cannot read without allocating
// more than the bytes can back, and whatever it accepts must encode to bytes that decode to the
// same set again (the second encoding equals the first).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/activex/stream_format.h"

namespace sf = brelund::ax::stream_format;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= sf::kHeaderSize) {
    std::uint8_t header[sf::kHeaderSize];
    std::memcpy(header, data, sf::kHeaderSize);
    (void)sf::payload_size(header);
  }
  const auto entries = sf::decode(data, size);
  if (!entries) return 0;
  const auto once = sf::encode(*entries);
  const auto again = sf::decode(once.data(), once.size());
  if (!again) {
    std::fprintf(stderr, "an accepted set does not decode after encoding\n");
    std::abort();
  }
  if (sf::encode(*again) != once) {
    std::fprintf(stderr, "encoding a decoded set changes it\n");
    std::abort();
  }
  return 0;
}
