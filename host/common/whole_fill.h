// Two fills beside fill_pixels, for the two cases it serves badly.
//
// A whole buffer of pixels that was just made is large, and in memory rather than in the caches
// (a thousand buttons' pixels are far more than the caches hold). x86 processors write such a
// buffer fastest with a string store, which writes whole cache lines without first reading them
// in; vector stores read every line before writing it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brelund {

// Fills n pixels with one value, as fill_pixels does; meant for whole, freshly made buffers.
void fill_whole(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept;

// Fills n pixels of each of rows rows, the first at first and each stride pixels after the one
// before, row i with colours[i]; a zero colour leaves its row as it is. A face row is a few
// hundred pixels, so one call for all of them saves a call and a dispatch per row.
void fill_rows(std::uint32_t* first, std::ptrdiff_t stride, std::size_t n,
               const std::uint32_t* colours, int rows) noexcept;

}  // namespace brelund
