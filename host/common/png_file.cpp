// PNG files, whichever encoder made the bytes: libpng here, the system's imaging component in the
// Windows programs.
#include <filesystem>
#include <fstream>

#include "brelund/error.h"
#include "host/common/png.h"

namespace brelund::png {

std::vector<std::uint8_t> read_file(const std::string& path, std::size_t max_bytes) {
  // A folder opens like a file and then reports an endless size; name it for what it is.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw Error(errors::kPathFileAccess, "Path/File access error: " + path + " is a folder");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(errors::kFileNotFound, "File not found: " + path);
  in.seekg(0, std::ios::end);
  const auto size = static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0));
  if (size > max_bytes)
    throw Error(errors::kInvalidPropertyValue, "File too large: " + path + " (" +
                                                   std::to_string(size) + " bytes, limit " +
                                                   std::to_string(max_bytes) + ")");
  in.seekg(0);
  std::vector<std::uint8_t> bytes(size);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  if (!in) throw Error(errors::kDeviceIo, "Device I/O error reading " + path);
  return bytes;
}

namespace {
bool write_whole(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}
}  // namespace

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  namespace fs = std::filesystem;
  const auto fail = [&](const char* why) {
    throw Error(errors::kPathFileAccess, "Path/File access error: " + path + why);
  };
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (fs::is_directory(st)) fail(" is a folder");
  // A new file, or a regular one, is replaced only once the picture is complete: a failed write
  // (a full disk) leaves the old file as it was and no partial one. A device, a pipe or a link
  // is written as it is: renaming over it would replace the node, not write to it.
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    if (!write_whole(path, bytes)) fail("");
    return;
  }
  const fs::path temp = path + ".writing";
  if (!write_whole(temp, bytes)) {
    fs::remove(temp, ec);
    fail("");
  }
  // The replaced file keeps who may read and write it.
  if (fs::exists(st)) fs::permissions(temp, st.permissions(), ec);
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    fail("");
  }
}

}  // namespace brelund::png
