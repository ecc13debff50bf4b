#include "pe_image.h"

#include <cstdint>

namespace ocx {

namespace {

constexpr std::uint16_t kOptionalMagicPe32 = 0x10b;
constexpr std::uint16_t kOptionalMagicPe32Plus = 0x20b;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kMaxName = 512;

std::string ascii(Bytes b, std::size_t offset, std::size_t chars) {
  std::string s;
  for (std::size_t i = 0; i < chars; ++i) {
    const std::uint16_t c = b.u16(advance(offset, 2 * i, "resource name"), "resource name");
    s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return s;
}

}  // namespace

PeImage::PeImage(Bytes file) : file_(file) {
  if (file.size() < 0x40 || file.u16(0, "DOS header") != 0x5A4D)
    throw FormatError("not a PE file: no MZ header");
  const std::size_t pe = file.u32(0x3C, "e_lfanew");
  if (file.u32(pe, "PE signature") != 0x00004550) throw FormatError("no PE signature");
  const std::size_t coff = advance(pe, 4, "COFF header");
  machine_ = file.u16(coff, "machine");
  const std::uint16_t section_count = file.u16(coff + 2, "section count");
  const std::size_t optional_size = file.u16(coff + 16, "optional header size");
  characteristics_ = file.u16(coff + 18, "characteristics");
  const std::size_t opt = coff + 20;
  const Bytes optional = file.sub(opt, optional_size, "optional header");
  const std::uint16_t magic = optional.u16(0, "optional header magic");
  if (magic != kOptionalMagicPe32 && magic != kOptionalMagicPe32Plus)
    throw FormatError("unknown optional header magic " + std::to_string(magic));
  pe32_plus_ = magic == kOptionalMagicPe32Plus;
  const std::size_t count_at = pe32_plus_ ? 108 : 92;
  const std::uint32_t dir_count = optional.u32(count_at, "data directory count");
  auto directory = [&](std::uint32_t index) {
    if (index >= dir_count) return Directory{};
    const std::size_t at = count_at + 4 + 8 * static_cast<std::size_t>(index);
    return Directory{optional.u32(at, "data directory"), optional.u32(at + 4, "data directory")};
  };
  export_dir_ = directory(0);
  resource_dir_ = directory(2);

  const std::size_t first = opt + optional_size;
  for (std::size_t i = 0; i < section_count; ++i) {
    const Bytes h = file.sub(first + i * kSectionHeaderSize, kSectionHeaderSize, "section header");
    Section s;
    for (std::size_t c = 0; c < 8 && h.u8(c, "section name"); ++c)
      s.name.push_back(static_cast<char>(h.u8(c, "section name")));
    s.virtual_size = h.u32(8, "section size");
    s.virtual_address = h.u32(12, "section address");
    s.raw_size = h.u32(16, "section raw size");
    s.raw_offset = h.u32(20, "section raw offset");
    sections_.push_back(s);
  }
}

Bytes PeImage::at_rva(std::uint32_t rva, std::uint32_t length, const char* what) const {
  for (const Section& s : sections_) {
    if (rva < s.virtual_address) continue;
    const std::uint32_t into = rva - s.virtual_address;
    if (into >= s.raw_size) continue;
    // What the file holds of this section; a shorter file (truncated copy) holds less.
    if (length > s.raw_size - into) break;
    return file_.sub(advance(s.raw_offset, into, what), length, what);
  }
  throw FormatError(std::string(what) + ": address " + std::to_string(rva) +
                    " is not in the file's sections");
}

std::string PeImage::c_string_at(std::uint32_t rva) const {
  std::string s;
  for (std::uint32_t i = 0; i < kMaxName; ++i) {
    if (rva > UINT32_MAX - i) throw FormatError("export name address wraps");
    const std::uint8_t c = at_rva(rva + i, 1, "export name").u8(0, "export name");
    if (!c) return s;
    s.push_back(static_cast<char>(c));
  }
  throw FormatError("export name too long");
}

PeImage::Exports PeImage::exports() const {
  Exports e;
  if (!export_dir_.rva) return e;
  const Bytes d = at_rva(export_dir_.rva, 40, "export directory");
  e.function_count = d.u32(20, "export function count");
  const std::uint32_t names = d.u32(24, "export name count");
  if (names > 65536) throw FormatError("export name count " + std::to_string(names));
  const Bytes table = at_rva(d.u32(32, "export name table"), names * 4u, "export name table");
  for (std::uint32_t i = 0; i < names; ++i)
    e.names.push_back(c_string_at(table.u32(4 * i, "export name")));
  return e;
}

std::optional<std::uint32_t> PeImage::resource_entry(Bytes rsrc, std::uint32_t dir,
                                                     const ResourceId* id) const {
  const std::size_t named = rsrc.u16(advance(dir, 12, "resource directory"), "resource directory");
  const std::size_t ids = rsrc.u16(advance(dir, 14, "resource directory"), "resource directory");
  for (std::size_t i = 0; i < named + ids; ++i) {
    const std::size_t entry = advance(dir, 16 + 8 * i, "resource entry");
    const std::uint32_t name = rsrc.u32(entry, "resource entry name");
    const std::uint32_t target = rsrc.u32(entry + 4, "resource entry target");
    if (!id) return target;  // any: the first language
    ResourceId here;
    if (name & kHighBit) {
      const std::size_t at = name & ~kHighBit;
      const std::size_t chars = rsrc.u16(at, "resource name length");
      if (chars > kMaxName) throw FormatError("resource name too long");
      here = ascii(rsrc, at + 2, chars);
    } else {
      here = static_cast<std::uint16_t>(name & 0xFFFF);
    }
    if (here == *id) return target;
  }
  return std::nullopt;
}

std::optional<Bytes> PeImage::resource(const ResourceId& type, const ResourceId& name) const {
  if (!resource_dir_.rva) return std::nullopt;
  const Bytes rsrc = at_rva(resource_dir_.rva, resource_dir_.size, "resource section");
  // Three levels: type and name lead to directories, the (first) language to the data entry.
  // The fixed depth also keeps a directory that points at itself from looping.
  const auto by_type = resource_entry(rsrc, 0, &type);
  if (!by_type) return std::nullopt;
  if (!(*by_type & kHighBit)) throw FormatError("resource type entry is not a directory");
  const auto by_name = resource_entry(rsrc, *by_type & ~kHighBit, &name);
  if (!by_name) return std::nullopt;
  if (!(*by_name & kHighBit)) throw FormatError("resource name entry is not a directory");
  const auto language = resource_entry(rsrc, *by_name & ~kHighBit, nullptr);
  if (!language) return std::nullopt;
  if (*language & kHighBit) throw FormatError("resource language entry is a directory");
  const std::uint32_t data_rva = rsrc.u32(*language, "resource data entry");
  const std::uint32_t size =
      rsrc.u32(advance(*language, 4, "resource data entry"), "resource data entry");
  return at_rva(data_rva, size, "resource data");
}

}  // namespace ocx
