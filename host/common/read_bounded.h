// Reading a stream to its end, but not without bound: a device or a pipe that never closes would
// otherwise be read until memory runs out.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace brelund {

// The stream's text, up to one chunk past max_bytes: a result longer than max_bytes means the
// input was too large, however long it would have gone on.
inline std::string read_bounded(std::istream& in, std::size_t max_bytes) {
  std::string text;
  std::vector<char> chunk(std::size_t{1} << 16);
  while (text.size() <= max_bytes &&
         in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())).gcount() > 0)
    text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace brelund
