// An in-memory property bag that keeps keys in the order they were written and stores a value
// only when it differs from its default. Shared by every host that saves to our form files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "brelund/host.h"

namespace brelund::host {

class MemoryPropertyBag final : public PropertyBag {
 public:
  using Entry = std::pair<std::string, Variant>;

  MemoryPropertyBag() = default;
  explicit MemoryPropertyBag(std::vector<Entry> entries) : entries_(std::move(entries)) {}

  Variant read_property(std::string_view key, const Variant& def) override;
  void write_property(std::string_view key, const Variant& value, const Variant& def) override;

  const std::vector<Entry>& entries() const noexcept { return entries_; }
  // The entries, moved out of the bag, which is left empty.
  std::vector<Entry> take() noexcept {
    std::vector<Entry> out;
    out.swap(entries_);
    return out;
  }

  // What read_property answers for `entries`: the value of the key (compared without regard to
  // ASCII case), or def.
  static Variant find(const std::vector<Entry>& entries, std::string_view key, const Variant& def);

 private:
  std::vector<Entry> entries_;
};

}  // namespace brelund::host
