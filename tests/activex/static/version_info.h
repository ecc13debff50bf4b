// The version resource (VS_VERSIONINFO): the fixed file information, the translation and the
// strings of every string table, keyed "040904B0/InternalName".
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "bytes.h"

namespace ocx {

struct VersionInfo {
  std::uint32_t file_ms = 0, file_ls = 0, product_ms = 0, product_ls = 0;
  std::uint16_t language = 0, code_page = 0;
  std::map<std::string, std::string> strings;  // ASCII; other characters become '?'
};

// Throws FormatError naming what is wrong.
VersionInfo read_version_info(Bytes data);

}  // namespace ocx
