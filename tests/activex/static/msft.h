// A reader of the MSFT type-library format (what widl writes and the TYPELIB resource holds),
// enough to read back what the library publishes: its name, version and target system, and each
// type's name, kind, flags and functions with their ids, kinds and parameters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

namespace ocx {

// A parameter or result type as text: "short", "*float", "BSTR", "user" (a type of another
// library or of this one), ...
struct TlbParam {
  std::string name;  // empty when the parameter carries none
  std::string type;
  std::uint32_t flags = 0;  // PARAMFLAG_*
};

struct TlbFunc {
  std::string name;
  std::int32_t memid = 0;
  int invkind = 0;  // INVOKE_FUNC 1, PROPERTYGET 2, PROPERTYPUT 4, PROPERTYPUTREF 8
  int funckind = 0;
  int callconv = 0;
  std::string result;
  std::vector<TlbParam> params;
};

struct TlbType {
  std::string name;
  int kind = 0;  // TKIND_*
  std::uint32_t flags = 0;
  std::uint16_t major = 0, minor = 0;
  std::vector<TlbFunc> funcs;
  int vars = 0;
};

struct TypeLib {
  std::string name;
  int syskind = 0;  // SYS_WIN16 0, SYS_WIN32 1, SYS_MAC 2, SYS_WIN64 3
  std::uint32_t lcid = 0;
  std::uint32_t flags = 0;  // LIBFLAG_*
  std::uint16_t major = 0, minor = 0;
  std::vector<TlbType> types;
};

// Throws FormatError naming what is wrong.
TypeLib read_typelib(Bytes data);

inline constexpr int kSysWin32 = 1;
inline constexpr int kSysWin64 = 3;

}  // namespace ocx
