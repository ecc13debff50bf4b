// tlb_fixup TLB: finishes the type library that widl writes, in place, where widl's IDL cannot
// say what the library publishes:
//  - the event interface __Boton is marked not extensible and versioned 1.0 (widl refuses
//    both attributes on a dispinterface);
//  - the parameters of _Boton carry no names (widl names every parameter).
// It edits the MSFT format's typeinfo and function records and checks every offset it follows.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> g_data;

bool in_range(std::size_t off, std::size_t len) {
  return off <= g_data.size() && len <= g_data.size() - off;
}

std::int32_t rd32(std::size_t off) {
  std::int32_t v = 0;
  if (!in_range(off, 4)) throw std::string("offset out of range");
  std::memcpy(&v, g_data.data() + off, 4);
  return v;
}

std::uint16_t rd16(std::size_t off) {
  std::uint16_t v = 0;
  if (!in_range(off, 2)) throw std::string("offset out of range");
  std::memcpy(&v, g_data.data() + off, 2);
  return v;
}

void wr32(std::size_t off, std::int32_t v) {
  if (!in_range(off, 4)) throw std::string("offset out of range");
  std::memcpy(g_data.data() + off, &v, 4);
}

constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::int32_t kHelpDllFlag = 0x100;
constexpr std::int32_t kNonExtensible = 0x80;

struct Layout {
  std::size_t typeinfos;  // segment of the typeinfo records
  std::size_t names;      // segment of the name table
  int count;
};

Layout layout() {
  if (!in_range(0, kHeaderSize) || std::memcmp(g_data.data(), "MSFT", 4) != 0)
    throw std::string("not an MSFT type library");
  const int count = rd32(0x20);
  const std::size_t dir =
      kHeaderSize + ((rd32(0x14) & kHelpDllFlag) ? 4 : 0) + 4 * static_cast<std::size_t>(count);
  return {static_cast<std::size_t>(rd32(dir)), static_cast<std::size_t>(rd32(dir + 7 * 16)), count};
}

std::string name_at(const Layout& l, std::int32_t offset) {
  const std::size_t at = l.names + static_cast<std::size_t>(offset);
  const std::size_t len = g_data.at(at + 8);
  if (!in_range(at + 12, len)) throw std::string("name out of range");
  return std::string(reinterpret_cast<const char*>(g_data.data() + at + 12), len);
}

std::size_t typeinfo_named(const Layout& l, const std::string& name) {
  for (int i = 0; i < l.count; ++i) {
    const std::size_t base = l.typeinfos + kTypeInfoSize * static_cast<std::size_t>(i);
    if (name_at(l, rd32(base + 0x34)) == name) return base;
  }
  throw "no type " + name;
}

void drop_parameter_names(std::size_t typeinfo) {
  std::size_t pos = static_cast<std::size_t>(rd32(typeinfo + 0x04)) + 4;  // past the data size
  const int funcs = rd32(typeinfo + 0x18) & 0xFFFF;
  for (int f = 0; f < funcs; ++f) {
    const std::size_t size = rd16(pos);
    const std::size_t args = rd16(pos + 0x14);
    if (size < 0x18 + 12 * args) throw std::string("bad function record");
    for (std::size_t a = 0; a < args; ++a) wr32(pos + size - 12 * (args - a) + 4, -1);
    pos += size;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tlb_fixup TLB\n");
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    g_data.assign(std::istreambuf_iterator<char>(in), {});
    const Layout l = layout();
    const std::size_t events = typeinfo_named(l, "__Boton");
    wr32(events + 0x30, rd32(events + 0x30) | kNonExtensible);
    wr32(events + 0x38, 1);  // major 1 in the low word, minor 0 in the high word
    drop_parameter_names(typeinfo_named(l, "_Boton"));
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(g_data.data()),
              static_cast<std::streamsize>(g_data.size()));
    if (!out) throw std::string("cannot write");
  } catch (const std::string& e) {
    std::fprintf(stderr, "tlb_fixup: %s: %s\n", argv[1], e.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tlb_fixup: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
