// Filling a whole buffer of pixels that was just made: large, and in memory rather than in the
// caches (a thousand buttons' pixels are far more than the caches hold). x86 processors write
// such a buffer fastest with a string store, which writes whole cache lines without first
// reading them in; vector stores read every line before writing it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brelund {

// Fills n pixels with one value, as fill_pixels does; meant for whole, freshly made buffers.
void fill_whole(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept;

}  // namespace brelund
