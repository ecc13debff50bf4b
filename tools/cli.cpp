#include "tools/cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "host/common/read_bounded.h"

namespace brelund::cli {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string reason(int error) { return error != 0 ? std::strerror(error) : "unknown error"; }

// A file that is not a regular file (a device, a pipe) is written as it is: it cannot be replaced.
bool is_special(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

// Closes a descriptor at the end of its scope.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
};

void write_all(int fd, const std::string& bytes, const std::string& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw Failure(path + ": cannot write: " + reason(n < 0 ? errno : ENOSPC));
    done += static_cast<std::size_t>(n);
  }
}

// A symbolic link's final target (links to links followed), relative ones from the link's folder.
fs::path final_target(fs::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) return path;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  throw Failure(path.string() + ": too many levels of symbolic links");
}

}  // namespace

void check_output(const std::string& path, const std::string& extension, bool binary) {
  if (path.empty()) throw Failure("-o needs a non-empty file name");
  if (path == "-") {
    if (binary && isatty(STDOUT_FILENO))
      throw Failure("will not write binary data (" + extension.substr(1) +
                    ") to a terminal; redirect standard output or give -o FILE");
    return;
  }
  if (is_special(path)) return;
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw Failure(escaped(path) + ": is a folder, not a file");
  if (lower(fs::path(path).extension().string()) != extension)
    throw Failure(escaped(path) + ": the output must be a " + extension +
                  " file (or - for stdout)");
}

std::string read_input(const std::string& path, std::size_t max_bytes) {
  std::string text;
  if (path == "-") {
    text = read_bounded(std::cin, max_bytes);
    if (std::cin.bad()) throw Failure("cannot read standard input");
  } else {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw Failure(escaped(path) + ": is a folder, not a file");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure(escaped(path) + ": cannot open: " + reason(errno));
    text = read_bounded(in, max_bytes);
    if (in.bad()) throw Failure(escaped(path) + ": cannot read: " + reason(errno));
  }
  if (text.size() > max_bytes)
    throw Failure((path == "-" ? std::string("standard input") : escaped(path)) +
                  ": larger than the limit of " + std::to_string(max_bytes) + " bytes");
  return text;
}

void write_output(const std::string& path, const std::string& bytes) {
  if (path == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    if (!std::cout) throw Failure("cannot write to standard output");
    return;
  }
  const std::string shown = escaped(path);
  if (is_special(path)) {
    Descriptor out{::open(path.c_str(), O_WRONLY | O_CLOEXEC)};
    if (out.fd < 0) throw Failure(shown + ": cannot write: " + reason(errno));
    write_all(out.fd, bytes, shown);
    return;
  }
  const fs::path target = final_target(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) throw Failure(shown + ": is a folder, not a file");
  // The replacement is made beside the file it replaces (a rename cannot cross file systems),
  // under a name no one else uses, with the old file's permissions.
  struct stat old {};
  const bool existed = stat(target.c_str(), &old) == 0;
  std::string temp = target.string() + ".XXXXXX";
  Descriptor out{mkstemp(temp.data())};
  if (out.fd < 0) throw Failure(shown + ": cannot write: " + reason(errno));
  bool done = false;
  struct Cleanup {
    const std::string& temp;
    bool& done;
    ~Cleanup() {
      if (!done) ::unlink(temp.c_str());
    }
  } cleanup{temp, done};
  if (existed) {
    (void)fchown(out.fd, old.st_uid, old.st_gid);  // possible only for its owner or root
    if (fchmod(out.fd, old.st_mode & 07777) != 0)
      throw Failure(shown + ": cannot keep its permissions: " + reason(errno));
  } else {
    // mkstemp makes the file private; a new output gets the usual mode under the umask.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(out.fd, 0666 & ~mask) != 0)
      throw Failure(shown + ": cannot write: " + reason(errno));
  }
  write_all(out.fd, bytes, shown);
  if (fsync(out.fd) != 0 && errno != EINVAL)
    throw Failure(shown + ": cannot write: " + reason(errno));
  const int fd = out.fd;
  out.fd = -1;
  if (close(fd) != 0) throw Failure(shown + ": cannot write: " + reason(errno));
  if (std::rename(temp.c_str(), target.c_str()) != 0)
    throw Failure(shown + ": cannot replace: " + reason(errno));
  done = true;
}

void write_output(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  write_output(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace brelund::cli
