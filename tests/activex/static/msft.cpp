#include "msft.h"

namespace ocx {

namespace {

constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kSegmentCount = 15;
constexpr std::uint32_t kHelpDllFlag = 0x100;
constexpr std::size_t kTypeInfoSegment = 0;
constexpr std::size_t kNameSegment = 7;
constexpr std::size_t kTypeDescSegment = 9;
constexpr std::size_t kFuncRecordMin = 0x18;
constexpr std::size_t kParamSize = 12;
// Sane ceilings for counts read from the file; far above what any real library holds.
constexpr std::uint32_t kMaxTypes = 4096;
constexpr std::uint32_t kMaxMembers = 4096;
constexpr int kMaxTypeDepth = 8;

class Reader {
 public:
  explicit Reader(Bytes data) : data_(data) {}

  TypeLib read() {
    if (data_.size() < kHeaderSize || data_.u32(0, "type library header") != 0x5446534D)
      throw FormatError("not an MSFT type library");
    TypeLib lib;
    lib.lcid = data_.u32(0x0C, "locale");
    const std::uint32_t varflags = data_.u32(0x14, "library flags");
    lib.syskind = static_cast<int>(varflags & 0xF);
    const std::uint32_t version = data_.u32(0x18, "library version");
    lib.major = static_cast<std::uint16_t>(version & 0xFFFF);
    lib.minor = static_cast<std::uint16_t>(version >> 16);
    lib.flags = data_.u32(0x1C, "library flags");
    const std::uint32_t count = data_.u32(0x20, "type count");
    if (count > kMaxTypes) throw FormatError("type count " + std::to_string(count));
    const std::size_t segments =
        kHeaderSize + ((varflags & kHelpDllFlag) ? 4 : 0) + 4 * static_cast<std::size_t>(count);
    for (std::size_t i = 0; i < kSegmentCount; ++i) {
      const std::size_t at = segments + 16 * i;
      const std::int32_t off = data_.i32(at, "segment directory");
      const std::int32_t len = data_.i32(at + 4, "segment directory");
      // An unused segment has offset -1 and no length.
      if (off < 0 || len <= 0) continue;
      segment_[i] =
          data_.sub(static_cast<std::size_t>(off), static_cast<std::size_t>(len), "segment");
    }
    lib.name = name_at(data_.i32(0x38, "library name"));
    const Bytes infos = segment_[kTypeInfoSegment];
    for (std::uint32_t i = 0; i < count; ++i)
      lib.types.push_back(read_type(infos.sub(i * kTypeInfoSize, kTypeInfoSize, "type record")));
    return lib;
  }

 private:
  std::string name_at(std::int32_t offset) const {
    if (offset < 0) return {};
    const Bytes names = segment_[kNameSegment];
    const auto at = static_cast<std::size_t>(offset);
    const std::size_t len = names.u8(advance(at, 8, "name"), "name length");
    const Bytes text = names.sub(advance(at, 12, "name"), len, "name");
    return std::string(reinterpret_cast<const char*>(text.data()), len);
  }

  std::string type_text(std::int32_t encoded, int depth) const {
    if (depth > kMaxTypeDepth) throw FormatError("type description nests too deep");
    // A negative value is a base type in its low bits, else an offset into the type table.
    if (encoded < 0) return base_type(static_cast<std::uint32_t>(encoded) & 0x0FFF);
    const Bytes td =
        segment_[kTypeDescSegment].sub(static_cast<std::size_t>(encoded), 8, "type description");
    const std::uint16_t vt = td.u16(0, "type description") & 0x0FFF;
    const std::int32_t ref = td.i32(4, "type description");
    if (vt == 26 /* VT_PTR */) {
      if (ref < 0) return "*" + base_type(static_cast<std::uint32_t>(ref) & 0x0FFF);
      return "*" + type_text(ref & 0xFFFF, depth + 1);
    }
    return base_type(vt);
  }

  static std::string base_type(std::uint32_t vt) {
    switch (vt) {
      case 2:
        return "short";
      case 3:
        return "long";
      case 4:
        return "float";
      case 5:
        return "double";
      case 8:
        return "BSTR";
      case 9:
        return "IDispatch";
      case 11:
        return "VARIANT_BOOL";
      case 12:
        return "VARIANT";
      case 19:
        return "unsigned long";
      case 24:
        return "void";
      case 25:
        return "HRESULT";
      case 29:
        return "user";
      default:
        return "vt" + std::to_string(vt);
    }
  }

  TlbType read_type(Bytes rec) {
    TlbType t;
    t.kind = static_cast<int>(rec.u32(0, "type kind") & 0xF);
    const std::uint32_t elements = rec.u32(0x18, "member counts");
    const std::uint32_t funcs = elements & 0xFFFF, vars = elements >> 16;
    t.vars = static_cast<int>(vars);
    t.flags = rec.u32(0x30, "type flags");
    t.name = name_at(rec.i32(0x34, "type name"));
    const std::uint32_t version = rec.u32(0x38, "type version");
    t.major = static_cast<std::uint16_t>(version & 0xFFFF);
    t.minor = static_cast<std::uint16_t>(version >> 16);
    if (funcs + vars > kMaxMembers) throw FormatError(t.name + ": member count");
    if (funcs == 0) return t;
    const std::size_t base = static_cast<std::uint32_t>(rec.i32(0x04, "member records"));
    const std::size_t records_len = data_.u32(base, "member records length");
    // After the records: the member ids, then the name offsets, one per function and variable.
    const std::size_t tables =
        advance(advance(base, 4, "member records"), records_len, "member tables");
    std::size_t pos = advance(base, 4, "member records");
    for (std::uint32_t f = 0; f < funcs; ++f) {
      const std::size_t size = data_.u16(pos, "function record");
      const Bytes fr = data_.sub(pos, size, "function record");
      if (size < kFuncRecordMin) throw FormatError(t.name + ": function record too small");
      const std::size_t args = fr.u16(0x14, "argument count");
      if (args > (size - kFuncRecordMin) / kParamSize)
        throw FormatError(t.name + ": function record shorter than its arguments");
      TlbFunc fn;
      const std::uint32_t fkccic = fr.u32(0x10, "function kind");
      fn.funckind = static_cast<int>(fkccic & 0x7);
      fn.invkind = static_cast<int>((fkccic >> 3) & 0xF);
      fn.callconv = static_cast<int>((fkccic >> 8) & 0xF);
      fn.result = type_text(fr.i32(0x04, "result type"), 0);
      for (std::size_t a = 0; a < args; ++a) {
        const std::size_t at = size - kParamSize * (args - a);
        TlbParam p;
        p.type = type_text(fr.i32(at, "parameter type"), 0);
        p.name = name_at(fr.i32(at + 4, "parameter name"));
        p.flags = fr.u32(at + 8, "parameter flags");
        fn.params.push_back(std::move(p));
      }
      fn.memid =
          data_.i32(advance(tables, 4 * static_cast<std::size_t>(f), "member id"), "member id");
      fn.name = name_at(
          data_.i32(advance(tables, 4 * static_cast<std::size_t>(funcs + vars + f), "member name"),
                    "member name"));
      t.funcs.push_back(std::move(fn));
      pos += size;
      if (pos > tables) throw FormatError(t.name + ": function records overrun their table");
    }
    return t;
  }

  Bytes data_;
  Bytes segment_[kSegmentCount];
};

}  // namespace

TypeLib read_typelib(Bytes data) { return Reader(data).read(); }

}  // namespace ocx
