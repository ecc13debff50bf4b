#include "tools/progress.h"

#include <unistd.h>

#include <cstdio>

namespace brelund::cli {

std::unique_ptr<Progress> Progress::on_terminal(std::string label) {
  if (!isatty(STDERR_FILENO)) return nullptr;
  return std::make_unique<Progress>(std::move(label));
}

Progress::~Progress() { finish(); }

void Progress::stage(std::string what, std::size_t total) {
  what_ = std::move(what);
  done_ = 0;
  total_ = total;
  draw();
}

void Progress::step() {
  if (done_ < total_) ++done_;
  draw();
}

void Progress::finish() {
  if (!shown_) return;
  // Erases the line the bar took.
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

void Progress::draw() {
  constexpr std::size_t kWidth = 30;
  // Built by appending: GCC 12 at -O3 misreads a chain of `+` on strings as an overlapping copy.
  std::string bar;
  if (total_ > 0) {
    const std::size_t filled = done_ * kWidth / total_;
    bar.push_back('[');
    bar.append(filled, '#');
    bar.append(kWidth - filled, '.');
    bar.append("] ");
    bar.append(std::to_string(done_));
    bar.push_back('/');
    bar.append(std::to_string(total_));
    bar.push_back(' ');
  }
  std::fprintf(stderr, "\r\033[K%s: %s%s", label_.c_str(), bar.c_str(), what_.c_str());
  std::fflush(stderr);
  shown_ = true;
}

}  // namespace brelund::cli
