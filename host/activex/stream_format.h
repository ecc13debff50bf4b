// The stream form of a Boton's saved properties (IPersistStreamInit). Portable on purpose: it
// is plain bytes, tested natively, and a container's stream may come from anywhere, so reading
// checks every length against what is there before it trusts it.
//
// Layout (little-endian): "BRLB", u16 version, u16 entry count, u32 payload length, then per
// entry: u16 key length, key (UTF-8), u8 tag, value.
//
// Version 2 stores a picture as the bytes of the system picture object's own persistent form
// (what its IPersistStream writes: the "lt" header, then a bitmap, icon or metafile file), which
// any program can read back with OleLoadPicture. Version 1 stored raw 32-bit pixels; such
// streams are still read.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "host/common/property_bag.h"

namespace brelund::ax::stream_format {

inline constexpr std::uint16_t kVersion = 2;
inline constexpr std::size_t kHeaderSize = 12;
// No saved property set comes near this (two pictures of the largest size and the texts): a
// longer announced payload is refused at once, whatever the stream holds.
inline constexpr std::uint32_t kMaxPayload = 160u * 1024 * 1024;

// How pictures become bytes and back, given by the platform that has picture objects. Without
// one (or when save answers nullopt) a picture is written as its pixels; a picture in the
// object form cannot be read without one. load answers null for bytes it cannot read.
struct PictureCodec {
  std::function<std::optional<std::vector<std::uint8_t>>(const PictureRef&)> save;
  std::function<PictureRef(const std::uint8_t*, std::size_t)> load;
};

std::vector<std::uint8_t> encode(const std::vector<host::MemoryPropertyBag::Entry>& entries,
                                 const PictureCodec* pictures = nullptr);

// The payload length announced by a header, or nullopt when the header is not ours or comes
// from a newer version than this one reads.
std::optional<std::uint32_t> payload_size(const std::uint8_t (&header)[kHeaderSize]);

// Decodes a header and its payload; nullopt for anything malformed or truncated.
std::optional<std::vector<host::MemoryPropertyBag::Entry>> decode(
    const std::uint8_t* data, std::size_t size, const PictureCodec* pictures = nullptr);

}  // namespace brelund::ax::stream_format
