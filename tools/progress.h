// A progress bar on standard error for work that takes long (large forms): shown only when
// standard error is a terminal, so that scripts and logs see nothing of it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace brelund::cli {

class Progress {
 public:
  // A bar labelled `label`, or nullptr when standard error is not a terminal.
  static std::unique_ptr<Progress> on_terminal(std::string label);
  explicit Progress(std::string label) : label_(std::move(label)) {}
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // A new stage of `total` steps ("opening the buttons" 0/12).
  void stage(std::string what, std::size_t total = 0);
  void step();
  // Clears the bar's line.
  void finish();

 private:
  void draw();
  std::string label_, what_;
  std::size_t done_ = 0, total_ = 0;
  bool shown_ = false;
};

}  // namespace brelund::cli
