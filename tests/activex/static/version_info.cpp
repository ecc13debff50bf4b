#include "version_info.h"

#include <functional>

namespace ocx {

namespace {

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kFixedSize = 52;
constexpr int kMaxDepth = 4;

std::size_t align4(std::size_t v) { return advance(v, 3, "version block") & ~std::size_t{3}; }

// One node: wLength, wValueLength, wType, a NUL-terminated UTF-16 key, its value, its children.
struct Node {
  std::string key;
  Bytes value;
  Bytes children;
  bool text = false;
};

Node node_at(Bytes b, std::size_t at) {
  const std::size_t length = b.u16(at, "version node length");
  if (length < 6) throw FormatError("version node shorter than its header");
  const Bytes n = b.sub(at, length, "version node");
  Node out;
  std::size_t value_len = n.u16(2, "version value length");
  out.text = n.u16(4, "version node type") == 1;
  std::size_t pos = 6;
  for (;; pos += 2) {
    const std::uint16_t c = n.u16(pos, "version key");
    if (!c) break;
    out.key.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  pos = align4(pos + 2);
  if (out.text) value_len *= 2;  // text values count characters
  if (pos > length) pos = length;
  if (value_len > length - pos) value_len = length - pos;  // trailing NUL left out by some tools
  out.value = n.sub(pos, value_len, "version value");
  const std::size_t kids = std::min<std::size_t>(align4(pos + value_len), length);
  out.children = n.sub(kids, length - kids, "version children");
  return out;
}

template <class F>
void each_child(Bytes children, F&& f) {
  for (std::size_t at = 0; at + 6 <= children.size();) {
    const Node c = node_at(children, at);
    f(c);
    at = align4(at + children.u16(at, "version node length"));
  }
}

std::string text_of(Bytes v) {
  std::string s;
  for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
    const std::uint16_t c = v.u16(i, "version text");
    if (!c) break;
    s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return s;
}

}  // namespace

VersionInfo read_version_info(Bytes data) {
  const Node root = node_at(data, 0);
  if (root.key != "VS_VERSION_INFO") throw FormatError("no VS_VERSION_INFO block");
  if (root.value.size() < kFixedSize || root.value.u32(0, "fixed file info") != kFixedSignature)
    throw FormatError("no fixed file information");
  VersionInfo v;
  v.file_ms = root.value.u32(8, "file version");
  v.file_ls = root.value.u32(12, "file version");
  v.product_ms = root.value.u32(16, "product version");
  v.product_ls = root.value.u32(20, "product version");
  // StringFileInfo > tables > strings; VarFileInfo > Translation. Two levels below the root,
  // so the nesting the file can ask for is bounded by this code, not by the file.
  each_child(root.children, [&](const Node& block) {
    if (block.key == "StringFileInfo") {
      each_child(block.children, [&](const Node& table) {
        each_child(table.children,
                   [&](const Node& s) { v.strings[table.key + "/" + s.key] = text_of(s.value); });
      });
    } else if (block.key == "VarFileInfo") {
      each_child(block.children, [&](const Node& var) {
        if (var.key == "Translation" && var.value.size() >= 4) {
          v.language = var.value.u16(0, "translation");
          v.code_page = var.value.u16(2, "translation");
        }
      });
    }
  });
  return v;
}

}  // namespace ocx
