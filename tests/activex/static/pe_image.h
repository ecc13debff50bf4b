// The parts of a PE file (PE32 or PE32+) that tell what a built server publishes: machine and
// header kind, exported names and resources.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "bytes.h"

namespace ocx {

// A resource type or name: a number, or a string (kept as ASCII; other characters become '?').
using ResourceId = std::variant<std::uint16_t, std::string>;

struct Section {
  std::string name;
  std::uint32_t virtual_address = 0;
  std::uint32_t virtual_size = 0;
  std::uint32_t raw_offset = 0;
  std::uint32_t raw_size = 0;
};

class PeImage {
 public:
  // Reads and checks the headers; throws FormatError naming what is wrong.
  explicit PeImage(Bytes file);

  std::uint16_t machine() const noexcept { return machine_; }
  bool pe32_plus() const noexcept { return pe32_plus_; }
  std::uint16_t characteristics() const noexcept { return characteristics_; }

  // The bytes at an address of the loaded image, where the file holds them.
  Bytes at_rva(std::uint32_t rva, std::uint32_t length, const char* what) const;

  struct Exports {
    std::uint32_t function_count = 0;
    std::vector<std::string> names;
  };
  Exports exports() const;

  // The data of the first language of resource type/name; nullopt when there is none.
  std::optional<Bytes> resource(const ResourceId& type, const ResourceId& name) const;

 private:
  struct Directory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
  };
  std::string c_string_at(std::uint32_t rva) const;
  // The entry of a resource directory (at an offset into the resource data) matching id.
  std::optional<std::uint32_t> resource_entry(Bytes rsrc, std::uint32_t dir,
                                              const ResourceId* id) const;

  Bytes file_;
  std::uint16_t machine_ = 0;
  std::uint16_t characteristics_ = 0;
  bool pe32_plus_ = false;
  std::vector<Section> sections_;
  Directory export_dir_, resource_dir_;
};

inline constexpr std::uint16_t kMachineI386 = 0x14c;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

}  // namespace ocx
