// zlib streams without zlib: the browser build links no C libraries besides its own runtime.
// Decoding is a complete inflate; encoding writes stored (uncompressed) blocks, which every
// reader accepts and which the pictures of a saved set (a few kilobytes) can afford.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brelund::web::zlib {

// The data of a zlib stream. Throws std::runtime_error with the reason for damaged input, or
// when the output would pass `max_out` bytes.
std::vector<std::uint8_t> inflate(const std::uint8_t* data, std::size_t size, std::size_t max_out);
std::vector<std::uint8_t> deflate_stored(const std::uint8_t* data, std::size_t size);
std::uint32_t crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace brelund::web::zlib
