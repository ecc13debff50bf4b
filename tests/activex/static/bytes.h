// A read-only view of a file's bytes whose every read is bounds-checked. The inspector reads
// files it does not trust (a broken build, a truncated copy): an offset from the file is only
// ever used through this view, and one that points outside raises FormatError naming the field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace ocx {

class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t size() const noexcept { return data_.size(); }
  // True when [offset, offset + length) lies inside; written so that no sum can wrap.
  bool has(std::size_t offset, std::size_t length) const noexcept {
    return offset <= data_.size() && length <= data_.size() - offset;
  }
  Bytes sub(std::size_t offset, std::size_t length, const char* what) const {
    need(offset, length, what);
    return Bytes(data_.subspan(offset, length));
  }
  std::uint8_t u8(std::size_t offset, const char* what) const {
    need(offset, 1, what);
    return data_[offset];
  }
  std::uint16_t u16(std::size_t offset, const char* what) const {
    return read<std::uint16_t>(offset, what);
  }
  std::uint32_t u32(std::size_t offset, const char* what) const {
    return read<std::uint32_t>(offset, what);
  }
  std::int32_t i32(std::size_t offset, const char* what) const {
    return read<std::int32_t>(offset, what);
  }
  const std::uint8_t* data() const noexcept { return data_.data(); }

 private:
  void need(std::size_t offset, std::size_t length, const char* what) const {
    if (!has(offset, length))
      throw FormatError(std::string(what) + " lies outside the data (offset " +
                        std::to_string(offset) + ", " + std::to_string(length) + " bytes, " +
                        std::to_string(data_.size()) + " available)");
  }
  // Little-endian, as both formats are; the build machine is little-endian too.
  template <class T>
  T read(std::size_t offset, const char* what) const {
    need(offset, sizeof(T), what);
    T v;
    std::memcpy(&v, data_.data() + offset, sizeof(T));
    return v;
  }

  std::span<const std::uint8_t> data_;
};

// offset + delta for offsets read from a file, refusing what would wrap.
inline std::size_t advance(std::size_t offset, std::size_t delta, const char* what) {
  if (delta > SIZE_MAX - offset) throw FormatError(std::string(what) + ": offset overflows");
  return offset + delta;
}

}  // namespace ocx
