#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

#include "host/common/png.h"

namespace brelund::fuzz {

namespace {
namespace fs = std::filesystem;

// Removed again when the fuzzer exits normally; a crash leaves it for the post-mortem.
class Scratch {
 public:
  Scratch() : dir_(fs::temp_directory_path() / ("brelund-fuzz-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    const std::vector<std::uint32_t> pixels(12, 0xFF2050C0u);
    png::write_file((dir_ / "icon.png").string(), png::encode(4, 3, pixels));
    path_ = dir_.string();
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  fs::path dir_;
  std::string path_;
};
}  // namespace

const std::string& scratch_folder() {
  static const Scratch scratch;  // one per process: parallel jobs do not share it
  return scratch.path();
}

}  // namespace brelund::fuzz
