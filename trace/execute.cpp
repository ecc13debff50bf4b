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

template <class F>
void Runner::deliver(const Delivery& d, int line, F&& step) {
  if (d.status) return report(*d.status, line);
  if (!d.simulated.empty()) simulated(d.simulated);
  report(step(), line);
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

  host::Instance& in = host_.instance();
  Boton& ctl = in.control();
  std::visit(
      Overloaded{
          [](const cmd::New&) {},
          [](const cmd::SetArg&) {},
          [](const cmd::On&) {},
          [&](const cmd::Init&) { report(in.init(), ln); },
          [&](const cmd::ReadJson& r) {
            run(ln, [&] {
              host::MemoryPropertyBag bag(
                  forms::parse_properties(r.json, folder_, "line " + std::to_string(ln)));
              report(in.load(bag), ln);
            });
          },
          [&](const cmd::ReadFile& r) {
            run(ln, [&] {
              host::MemoryPropertyBag bag(saved_set_from_file(path_of(r.path), r.path));
              report(in.load(bag), ln);
            });
          },
          [&](const cmd::Write&) {
            host::MemoryPropertyBag bag;
            report(in.save(bag), ln);
            json entries = json::array();
            for (const auto& [k, val] : bag.entries()) entries.push_back({k, value_json(val)});
            emit(json{{"bag", entries}});
          },
          [&](const cmd::Size& s) { report(in.resize(s.width, s.height), ln); },
          [&](const cmd::Show&) { deliver(host_.show(), ln, [&] { return in.show(); }); },
          [&](const cmd::Let& l) {
            run(ln, [&] {
              const Member* m = find_member(l.member);
              if (!m || !m->put) errors::not_supported();
              m->put(ctl, make_value(l.value));
            });
          },
          [&](const cmd::Get& g) {
            run(ln, [&] {
              const Member* m = find_member(g.member);
              if (!m || !m->get || m->kind != MemberKind::property) errors::not_supported();
              emit(json{{"value", value_json(m->get(ctl))}});
            });
          },
          [&](const cmd::Call& k) {
            run(ln, [&] {
              const Member* m = find_member(k.member);
              if (m && m->call) return m->call(ctl);
              if (!m || !m->get || m->kind != MemberKind::method) errors::not_supported();
              emit(json{{"value", value_json(m->get(ctl))}});
            });
          },
          [&](const cmd::Mouse& m) {
            run(ln, [&] {
              const std::int16_t button = num::to_i16(m.button), shift = num::to_i16(m.shift);
              deliver(host_.pointer(m.action, m.target, button, shift, m.x, m.y), ln,
                      [&] { return in.pointer(m.action, m.target, button, shift, m.x, m.y); });
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
                  return deliver(host_.key(KeyVerb::press, code, 0), ln,
                                 [&] { return in.key_press(code); });
                case cmd::Key::Kind::access:
                  return deliver(host_.key(KeyVerb::access, code, 0), ln,
                                 [&] { return in.access_key(code); });
                case cmd::Key::Kind::down: {
                  const std::int16_t shift = num::to_i16(k.shift);
                  return deliver(host_.key(KeyVerb::down, code, shift), ln,
                                 [&] { return in.key_down(code, shift); });
                }
                case cmd::Key::Kind::up: {
                  const std::int16_t shift = num::to_i16(k.shift);
                  return deliver(host_.key(KeyVerb::up, code, shift), ln,
                                 [&] { return in.key_up(code, shift); });
                }
              }
            });
          },
          [&](const cmd::Focus& f) {
            // One notification each, as a container delivers them; pairs are the hosts' business.
            run(ln, [&] {
              switch (f.kind) {
                case cmd::Focus::Kind::enter:
                  return ctl.EnterFocus();
                case cmd::Focus::Kind::got:
                  return ctl.GotFocus();
                case cmd::Focus::Kind::exit:
                  return ctl.ExitFocus();
                case cmd::Focus::Kind::lost:
                  return ctl.LostFocus();
              }
            });
          },
          [&](const cmd::Tick& t) {
            for (long n = t.periods; n > 0 && host_.exists(); --n) report(host_.tick(), ln);
          },
          [&](const cmd::Extender& e) { host_.set_extender(e.is_default, e.is_cancel); },
          [&](const cmd::SysColor& s) {
            run(ln, [&] { host_.set_sys_color(s.index, num::to_i32(s.color)); });
          },
          [&](const cmd::Ambient& a) {
            host_.surface().set_ambient_font(std::make_shared<const Font>(a.font));
          },
          [&](const cmd::LabelSize& l) { host_.pin_label_size(l.width, l.height); },
          [&](const cmd::State&) { state(); },
          [&](const cmd::Snapshot& s) { run(ln, [&] { host_.snapshot(path_of(s.path)); }); },
      },
      c.action);
}

}  // namespace brelund::trace
