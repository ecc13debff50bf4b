// PNG encoding and decoding through libpng, in memory. Used for snapshots and for pictures kept
// in form files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "brelund/values.h"

namespace brelund::png {

// The largest picture we accept from outside, in pixels (about 4096 x 4096).
inline constexpr std::size_t kMaxPixels = 16u * 1024u * 1024u;

// Encodes ARGB pixels as an 8-bit RGBA PNG.
std::vector<std::uint8_t> encode(int width, int height, const std::vector<std::uint32_t>& argb);

// Decodes a PNG into a picture. Throws brelund::Error (380 "Invalid property value") with the
// reason for anything that is not a PNG, is damaged, or holds more than max_pixels.
PictureRef decode(const std::vector<std::uint8_t>& bytes, std::size_t max_pixels = kMaxPixels);

std::vector<std::uint8_t> read_file(const std::string& path, std::size_t max_bytes);
// Replaces a regular file only once the new one is complete; a failure keeps the old file.
void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace brelund::png
