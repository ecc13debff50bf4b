// A text that most controls never set, such as a tool tip: nothing but a null pointer until it is
// set, where a std::string would cost every control 32 bytes for it.
#pragma once

#include <memory>
#include <string>

namespace brelund::host {

class RareText {
 public:
  std::string get() const { return text_ ? *text_ : std::string(); }
  // An empty text lets the storage go. A failed allocation leaves the old text.
  void set(const std::string& text) {
    text_ = text.empty() ? nullptr : std::make_unique<std::string>(text);
  }

 private:
  std::unique_ptr<std::string> text_;
};

}  // namespace brelund::host
