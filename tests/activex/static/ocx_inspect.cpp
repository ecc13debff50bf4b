// ocx_inspect FILE i686|x86_64 pe|exports|resources|typelib: reads a built Brelund32.ocx on the
// build machine, without running it, and checks its headers, exports, resources or type library.
// This is how the 32-bit server is tested at all (32-bit code cannot run here), and the same
// checks on the x86_64 server, which the Wine tests load for real, prove the reader itself.
// Prints one line per check; exits 1 when a check fails, 2 when the file cannot be read.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "control/event_table.h"
#include "control/property_table.h"
#include "msft.h"
#include "pe_image.h"
#include "version_info.h"

namespace {

int g_failures = 0;

void check(bool ok, const std::string& what, const std::string& got = {}) {
  std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), got.empty() ? "" : ": ",
              got.c_str());
  if (!ok) ++g_failures;
}

std::string hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

void check_pe(const ocx::PeImage& pe, bool x86) {
  check(pe.machine() == (x86 ? ocx::kMachineI386 : ocx::kMachineAmd64),
        x86 ? "machine i386 (0x14C)" : "machine AMD64 (0x8664)", hex(pe.machine()));
  check(pe.pe32_plus() != x86, x86 ? "PE32 optional header" : "PE32+ optional header");
  check((pe.characteristics() & 0x2000) != 0, "a DLL", hex(pe.characteristics()));
  // IMAGE_FILE_32BIT_MACHINE: set on every i386 image the linker writes.
  if (x86) check((pe.characteristics() & 0x0100) != 0, "32-bit machine flag");
}

void check_exports(const ocx::PeImage& pe) {
  const auto e = pe.exports();
  const std::set<std::string> names(e.names.begin(), e.names.end());
  std::string got;
  for (const std::string& n : e.names) got += n + " ";
  // Undecorated: a stdcall name left as _DllRegisterServer@0 would not be found by regsvr32.
  check(names == std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                       "DllUnregisterServer"} &&
            e.names.size() == 4,
        "DllCanUnloadNow, DllGetClassObject, DllRegisterServer, DllUnregisterServer and no other",
        got);
  check(e.function_count == 4, "four exported functions", std::to_string(e.function_count));
}

void check_resources(const ocx::PeImage& pe) {
  const auto tlb = pe.resource(std::string("TYPELIB"), std::uint16_t{1});
  check(tlb && tlb->size() > 0, "TYPELIB 1");
  for (const char* type : {"_IID_BOTON", "_SRCIID_BOTON"}) {
    const auto r = pe.resource(std::string(type), std::uint16_t{1});
    check(r && r->size() == 20 && r->u32(0, "length") == 16,
          std::string(type) + " 1: 20 bytes, length 16",
          r ? std::to_string(r->size()) + " bytes" : "missing");
  }
  const auto bmp = pe.resource(std::uint16_t{2}, std::uint16_t{30000});
  check(bmp.has_value(), "bitmap 30000");
  if (bmp)
    check(bmp->i32(4, "width") == 16 && bmp->i32(8, "height") == 15 &&
              bmp->u16(14, "bit count") == 24,
          "bitmap 30000 is 16 x 15 at 24 bpp",
          std::to_string(bmp->i32(4, "width")) + " x " + std::to_string(bmp->i32(8, "height")));
  const auto ver = pe.resource(std::uint16_t{16}, std::uint16_t{1});
  check(ver.has_value(), "version block");
  if (!ver) return;
  const ocx::VersionInfo v = ocx::read_version_info(*ver);
  check(v.file_ms == 0x10000 && v.file_ls == 0 && v.product_ms == 0x10000 && v.product_ls == 0,
        "FILEVERSION and PRODUCTVERSION 1,0,0,0");
  check(v.language == 0x0409 && v.code_page == 1200, "string table 040904B0");
  auto str = [&](const char* key) {
    const auto it = v.strings.find(std::string("040904B0/") + key);
    return it == v.strings.end() ? std::string("<missing>") : it->second;
  };
  check(str("FileVersion") == "1.00" && str("ProductVersion") == "1.00",
        "FileVersion and ProductVersion strings 1.00");
  check(str("InternalName") == "Brelund32", "InternalName", str("InternalName"));
  check(str("OriginalFilename") == "Brelund32.ocx", "OriginalFilename", str("OriginalFilename"));
  check(str("OLESelfRegister").empty(), "OLESelfRegister present and empty",
        str("OLESelfRegister"));
}

const ocx::TlbType* type_named(const ocx::TypeLib& lib, const std::string& name) {
  for (const auto& t : lib.types)
    if (t.name == name) return &t;
  return nullptr;
}

std::string expected_type(brelund::ValueType t) {
  using brelund::ValueType;
  switch (t) {
    case ValueType::string:
      return "BSTR";
    case ValueType::boolean:
      return "VARIANT_BOOL";
    case ValueType::int16:
      return "short";
    case ValueType::int32:
      return "long";
    case ValueType::font:
    case ValueType::picture:
      return "*user";
    case ValueType::ole_color:
      return "user";
    case ValueType::none:
      return "";
  }
  return "";
}

void check_members(const ocx::TlbType& t) {
  constexpr int kFunc = 1, kGet = 2, kPut = 4, kPutRef = 8;
  constexpr std::uint32_t kIn = 1, kOut = 2, kRetval = 8;
  std::size_t i = 0;
  for (const brelund::Member& m : brelund::members()) {
    const std::string name(m.name);
    std::vector<int> kinds;
    if (m.kind == brelund::MemberKind::method)
      kinds = {kFunc};
    else
      kinds = {kGet, m.by_reference ? kPutRef : kPut};
    for (int kind : kinds) {
      if (i >= t.funcs.size()) return check(false, "_Boton." + name + " present");
      const ocx::TlbFunc& f = t.funcs[i++];
      check(f.name == name && f.memid == m.dispid && f.invkind == kind,
            "_Boton." + name + " " + hex(static_cast<std::uint32_t>(m.dispid)) + " kind " +
                std::to_string(kind),
            f.name + " " + hex(static_cast<std::uint32_t>(f.memid)) + " kind " +
                std::to_string(f.invkind));
      check(f.result == "HRESULT" && f.callconv == 4 /* CC_STDCALL */,
            "_Boton." + name + " stdcall returning HRESULT", f.result);
      const bool out = kind == kGet || (kind == kFunc && m.get);
      const bool has_param = kind != kFunc || m.get;
      const std::string base =
          expected_type(m.type == brelund::ValueType::none ? brelund::ValueType::int32 : m.type);
      const bool param_ok = !has_param ? f.params.empty()
                                       : f.params.size() == 1 && f.params[0].name.empty() &&
                                             f.params[0].type == (out ? "*" + base : base) &&
                                             f.params[0].flags == (out ? kOut | kRetval : kIn);
      check(param_ok, "_Boton." + name + " parameter",
            f.params.empty() ? "none" : f.params[0].type + " '" + f.params[0].name + "'");
    }
  }
  check(i == t.funcs.size(), "_Boton has exactly the members of brelund::members()",
        std::to_string(t.funcs.size()) + " functions");
}

void check_events(const ocx::TlbType& t) {
  check(t.funcs.size() == brelund::events().size(), "__Boton has the events of brelund::events()",
        std::to_string(t.funcs.size()));
  for (std::size_t i = 0; i < t.funcs.size() && i < brelund::events().size(); ++i) {
    const brelund::EventInfo& e = brelund::events()[i];
    const ocx::TlbFunc& f = t.funcs[i];
    const std::string what = "__Boton." + std::string(e.name);
    check(f.name == e.name && f.memid == e.dispid() && f.result == "void",
          what + " id " + std::to_string(e.dispid()), f.name + " " + std::to_string(f.memid));
    bool args_ok = f.params.size() == e.args.size();
    for (std::size_t a = 0; args_ok && a < e.args.size(); ++a)
      args_ok = f.params[a].name == e.args[a].name && f.params[a].flags == 3 /* in, out */ &&
                f.params[a].type ==
                    (e.args[a].type == brelund::EventArgType::int16 ? "*short" : "*float");
    check(args_ok, what + " arguments by reference, named as in brelund::events()");
  }
}

void check_typelib(const ocx::PeImage& pe, bool x86) {
  const auto res = pe.resource(std::string("TYPELIB"), std::uint16_t{1});
  if (!res) return check(false, "TYPELIB 1");
  const ocx::TypeLib lib = ocx::read_typelib(*res);
  check(lib.syskind == (x86 ? ocx::kSysWin32 : ocx::kSysWin64),
        x86 ? "type library for 32-bit Windows (SYS_WIN32)" : "type library for SYS_WIN64",
        std::to_string(lib.syskind));
  check(lib.name == "Brelund" && lib.major == 1 && lib.minor == 0, "library Brelund 1.0", lib.name);
  check(lib.lcid == 0x0409 && (lib.flags & 0x2 /* LIBFLAG_FCONTROL */),
        "locale 0x0409, describes controls");
  std::string order;
  for (const auto& t : lib.types) order += t.name + " ";
  check(order == "_Boton Boton __Boton Colores ", "the four types in order", order);
  const ocx::TlbType* disp = type_named(lib, "_Boton");
  const ocx::TlbType* ev = type_named(lib, "__Boton");
  const ocx::TlbType* co = type_named(lib, "Boton");
  const ocx::TlbType* rec = type_named(lib, "Colores");
  if (co)
    check(co->kind == 5 && co->flags == 0x20 /* TYPEFLAG_FCONTROL */, "Boton a control coclass");
  if (rec) check(rec->kind == 1 && rec->vars == 3, "Colores a record of three fields");
  if (disp) {
    check(disp->kind == 4 && (disp->flags & 0x40) /* dual */,
          "_Boton: TKIND_DISPATCH, TYPEFLAG_FDUAL");
    check_members(*disp);
  }
  if (ev) {
    check(ev->kind == 4 && (ev->flags & 0x80) && ev->major == 1 && ev->minor == 0,
          "__Boton a dispinterface, not extensible, version 1.0");
    check_events(*ev);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::set<std::string> aspects{"pe", "exports", "resources", "typelib"};
  if (argc != 4 || (std::string(argv[2]) != "i686" && std::string(argv[2]) != "x86_64") ||
      !aspects.count(argv[3])) {
    std::fprintf(stderr, "usage: ocx_inspect FILE i686|x86_64 pe|exports|resources|typelib\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ocx_inspect: cannot open %s\n", argv[1]);
    return 2;
  }
  const std::vector<std::uint8_t> data(std::istreambuf_iterator<char>(in), {});
  const bool x86 = std::string(argv[2]) == "i686";
  const std::string aspect = argv[3];
  try {
    const ocx::PeImage pe{ocx::Bytes(data)};
    if (aspect == "pe") check_pe(pe, x86);
    if (aspect == "exports") check_exports(pe);
    if (aspect == "resources") check_resources(pe);
    if (aspect == "typelib") check_typelib(pe, x86);
  } catch (const ocx::FormatError& e) {
    std::fprintf(stderr, "ocx_inspect: %s: %s\n", argv[1], e.what());
    return 2;
  }
  return g_failures ? 1 : 0;
}
