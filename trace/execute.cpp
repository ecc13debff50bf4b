// One trace command, carried out on the host as an application and a container would do it.
#include <filesystem>
#include <fstream>
#include <utility>

#include "control/numeric.h"
#include "control/property_table.h"
#include "host/common/property_bag.h"
#include "host/common/read_bounded.h"
#include "trace/runner.h"

namespace brelund::trace {

namespace {

forms::Properties saved_set_from_file(const std::string& path, const std::string& shown) {
  std::error_code ec;
  // A folder opens like a file and reads as nothing, which would be reported as bad JSON.
  if (std::filesystem::is_directory(path, ec))
    throw Error(errors::kPathFileAccess, "Path/File access error: " + shown + " is a folder");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(errors::kFileNotFound, "File not found: " + shown);
  const std::string text = read_bounded(in, forms::kMaxFileBytes);
  if (in.bad()) throw Error(errors::kDeviceIo, "Device I/O error reading " + shown);
  if (text.size() > forms::kMaxFileBytes)
    throw Error(errors::kInvalidPropertyValue, shown + ": file is larger than the limit");
  return forms::parse_properties(text, std::filesystem::path(path).parent_path().string(), shown);
}
}  // namespace

// Runs one step that may fail inside the control and reports its failure against the line.
template <class F>
void Runner::run(int line, F&& f) {
  report(guarded(std::forward<F>(f)), line);
}

void Runner::execute(const Command& c) {
  const int ln = c.line;
  // A handler's command runs inside another command's step; the outer line comes back after it.
  struct LineScope {
    int& line;
    int outer;
    ~LineScope() { line = outer; }
  } scope{line_, std::exchange(line_, ln)};
  // Commands that need no control, then the ones that do.
  if (std::holds_alternative<cmd::New>(c.action)) return host_.create(*this, *this);
  if (const auto* a = std::get_if<cmd::SetArg>(&c.action)) return set_argument(*a, ln);
  if (const auto* on = std::get_if<cmd::On>(&c.action)) {
    if (on->handler)
      handlers_[on->event] = on->handler;
    else
      handlers_.erase(on->event);
    return;
  }
  if (!host_.exists())
    return report({errors::kObjectNotSet, "Object variable not set: run \"new\" first"}, ln);

  std::visit(
      Overloaded{
          [](const cmd::New&) {},
          [](const cmd::SetArg&) {},
          [](const cmd::On&) {},
          [&](const cmd::Init&) { report(host_.init(), ln); },
          [&](const cmd::ReadJson& r) {
            run(ln, [&] {
              host::MemoryPropertyBag bag(
                  forms::parse_properties(r.json, folder_, "line " + std::to_string(ln)));
              report(host_.load(bag), ln);
            });
          },
          [&](const cmd::ReadFile& r) {
            run(ln, [&] {
              host::MemoryPropertyBag bag(saved_set_from_file(path_of(r.path), r.path));
              report(host_.load(bag), ln);
            });
          },
          [&](const cmd::Write&) {
            host::MemoryPropertyBag bag;
            report(host_.save(bag), ln);
            json entries = json::array();
            for (const auto& [k, val] : bag.entries()) entries.push_back({k, value_json(val)});
            emit(json{{"bag", entries}});
          },
          [&](const cmd::Size& s) { report(host_.resize(s.width, s.height), ln); },
          [&](const cmd::Show&) { report(host_.show(), ln); },
          [&](const cmd::Let& l) {
            run(ln, [&] {
              const Member* m = find_member(l.member);
              if (!m || !m->put) errors::not_supported();
              report(host_.let(*m, make_value(l.value)), ln);
            });
          },
          [&](const cmd::Get& g) {
            run(ln, [&] {
              const Member* m = find_member(g.member);
              if (!m || !m->get || m->kind != MemberKind::property) errors::not_supported();
              std::optional<Variant> v;
              report(host_.get(*m, v), ln);
              if (v) emit(json{{"value", value_json(*v)}});
            });
          },
          [&](const cmd::Call& k) {
            run(ln, [&] {
              const Member* m = find_member(k.member);
              if (!m || m->kind != MemberKind::method || !(m->get || m->call))
                errors::not_supported();
              std::optional<Variant> v;
              report(host_.get(*m, v), ln);
              if (v) emit(json{{"value", value_json(*v)}});
            });
          },
          [&](const cmd::Mouse& m) {
            run(ln, [&] {
              const std::int16_t button = num::to_i16(m.button), shift = num::to_i16(m.shift);
              report(host_.pointer(m.action, m.target, button, shift, m.x, m.y), ln);
            });
          },
          [&](const cmd::Pointer& p) {
            switch (p.where) {
              case cmd::Pointer::Where::over:
                return host_.pointer_over();
              case cmd::Pointer::Where::away:
                return host_.pointer_away();
              case cmd::Pointer::Where::at:
                return run(ln, [&] { host_.pointer_at(num::to_i32(p.x), num::to_i32(p.y)); });
            }
          },
          [&](const cmd::Key& k) {
            run(ln, [&] {
              const std::int16_t code = num::to_i16(k.code);
              switch (k.kind) {
                case cmd::Key::Kind::press:
                  return report(host_.key(KeyVerb::press, code, 0), ln);
                case cmd::Key::Kind::access:
                  return report(host_.key(KeyVerb::access, code, 0), ln);
                case cmd::Key::Kind::down:
                  return report(host_.key(KeyVerb::down, code, num::to_i16(k.shift)), ln);
                case cmd::Key::Kind::up:
                  return report(host_.key(KeyVerb::up, code, num::to_i16(k.shift)), ln);
              }
            });
          },
          [&](const cmd::Focus& f) {
            static constexpr FocusVerb verbs[] = {FocusVerb::enter, FocusVerb::got, FocusVerb::exit,
                                                  FocusVerb::lost};
            report(host_.focus(verbs[static_cast<int>(f.kind)]), ln);
          },
          [&](const cmd::Tick& t) {
            for (long n = t.periods; n > 0 && host_.exists(); --n) report(host_.tick(), ln);
          },
          [&](const cmd::Extender& e) { host_.set_extender(e.is_default, e.is_cancel); },
          [&](const cmd::SysColor& s) {
            run(ln, [&] { host_.set_sys_color(s.index, num::to_i32(s.color)); });
          },
          [&](const cmd::Ambient& a) {
            host_.set_ambient_font(std::make_shared<const Font>(a.font));
          },
          [&](const cmd::LabelSize& l) { host_.pin_label_size(l.width, l.height); },
          [&](const cmd::State&) { state(); },
          [&](const cmd::Snapshot& s) { run(ln, [&] { host_.snapshot(path_of(s.path)); }); },
      },
      c.action);
}

}  // namespace brelund::trace
