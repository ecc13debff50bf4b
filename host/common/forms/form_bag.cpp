#include "host/common/forms/form_bag.h"

#include "host/common/forms/escape.h"

#include <optional>

#include "host/common/property_bag.h"

namespace brelund::forms {

std::string where(const std::string& file, const std::string& control, const std::string& key) {
  std::string w = file;
  // Names come from the file: escaped, they cannot act on the terminal a message is shown on.
  if (!control.empty()) w += ": control \"" + escaped(control) + "\"";
  if (!key.empty()) w += ": key \"" + escaped(key) + "\"";
  return w;
}

namespace {
// Remembers the key being read, so that a failure can say which key it was. It reads the entry's
// set where it is; only a write (which a load does not make) takes a copy to write to.
class TrackingBag final : public host::PropertyBag {
 public:
  explicit TrackingBag(const Properties& p) : source_(p) {}
  Variant read_property(std::string_view key, const Variant& def) override {
    last_key = key;
    if (copy_) return copy_->read_property(key, def);
    return host::MemoryPropertyBag::find(source_, key, def);
  }
  void write_property(std::string_view key, const Variant& value, const Variant& def) override {
    if (!copy_) copy_.emplace(source_);
    copy_->write_property(key, value, def);
  }
  std::string last_key;

 private:
  const Properties& source_;
  std::optional<host::MemoryPropertyBag> copy_;
};
}  // namespace

void read_properties(Boton& control, const Control& entry, const std::string& file,
                     LoadRebuild rebuild) {
  TrackingBag bag(entry.properties);
  try {
    control.ReadProperties(bag, rebuild);
  } catch (const Error& e) {
    throw Error(e.number(), where(file, entry.name, bag.last_key) + ": " + e.description());
  }
}

Properties write_properties(Boton& control) {
  host::MemoryPropertyBag bag;
  control.WriteProperties(bag);
  return bag.entries();
}

}  // namespace brelund::forms
