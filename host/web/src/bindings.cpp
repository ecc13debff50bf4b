// What the page's module sees of the core: the Page class (one button) and the members' names.
#include <emscripten/bind.h>

#include <vector>

#include "control/event_table.h"
#include "control/property_table.h"
#include "host/common/caption_rule.h"
#include "host/common/form_keys.h"
#include "host/web/src/page.h"

namespace brelund::web {

using emscripten::val;

// Which button of a form Enter (or Escape) presses, by the rule every host shares: `buttons` are
// the form's shown buttons as {default, cancel, enabled}, `focused` the index of the focused one
// or -1. Answers {presses: index or -1, goesOn}.
val form_key_target(bool enter, const val& buttons, int focused) {
  std::vector<host::FormButton> form;
  const auto count = buttons["length"].as<unsigned>();
  form.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    const val b = buttons[i];
    form.push_back({.is_default = b["default"].as<bool>(),
                    .is_cancel = b["cancel"].as<bool>(),
                    .enabled = b["enabled"].as<bool>()});
  }
  const auto target = host::form_key_target(
      enter ? host::FormKey::enter : host::FormKey::escape, form,
      focused >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(focused)) : std::nullopt);
  val r = val::object();
  r.set("presses", target.presses ? static_cast<int>(*target.presses) : -1);
  r.set("goesOn", target.goes_on);
  return r;
}

// A caption as every host reads it: its lines, each as the text before the underlined
// character, that character (empty when none) and the text after it.
val caption_lines(const std::string& caption) {
  val lines = val::array();
  for (const host::CaptionLine& line : host::caption_lines(caption)) {
    const std::size_t at = line.underline.value_or(line.text.size());
    const std::size_t n = line.underline ? line.underline_bytes : 0;
    val row = val::object();
    row.set("before", line.text.substr(0, at));
    row.set("key", line.text.substr(at, n));
    row.set("after", line.text.substr(at + n));
    lines.call<void>("push", row);
  }
  return lines;
}

EMSCRIPTEN_BINDINGS(brelund_web) {
  emscripten::class_<Page>("Page")
      .constructor<val, val>()
      .function("init", &Page::init)
      .function("show", &Page::show)
      .function("resize", &Page::resize)
      .function("pointer", &Page::pointer)
      .function("keyDown", &Page::key_down)
      .function("keyUp", &Page::key_up)
      .function("keyPress", &Page::key_press)
      .function("accessKey", &Page::access_key)
      .function("focusIn", &Page::focus_in)
      .function("focusOut", &Page::focus_out)
      .function("tick", &Page::tick)
      .function("get", &Page::get)
      .function("let", &Page::let)
      .function("saveEntry", &Page::save_entry)
      .function("loadEntry", &Page::load_entry)
      .function("setPointer", &Page::set_pointer)
      .function("setSysColor", &Page::set_sys_color)
      .function("setExtender", &Page::set_extender)
      .function("setAmbientFont", &Page::set_ambient_font)
      .function("width", &Page::width)
      .function("height", &Page::height)
      .function("face", &Page::face)
      .function("shape", &Page::shape)
      .function("setRatio", &Page::set_ratio)
      .function("deviceFace", &Page::device_face)
      .function("state", &Page::state)
      .function("captionText", &Page::caption_text)
      .function("captionFont", &Page::caption_font)
      .function("tip", &Page::tip)
      .function("picture", &Page::picture)
      .function("enabled", &Page::enabled)
      .function("mousePointer", &Page::mouse_pointer)
      .function("focused", &Page::focused);
  emscripten::function("formKeyTarget", &form_key_target);
  emscripten::function("captionLines", &caption_lines);
  emscripten::function("memberNames", emscripten::optional_override([] {
                         val names = val::array();
                         for (const Member& m : members())
                           names.call<void>("push", std::string(m.name));
                         return names;
                       }));
  // The member and event tables, for the module's lists and the test that holds its types to
  // them: {name, method, value, writable} and {name, args}.
  emscripten::function("memberTable", emscripten::optional_override([] {
                         val table = val::array();
                         for (const Member& m : members()) {
                           val row = val::object();
                           row.set("name", std::string(m.name));
                           row.set("method", m.kind == MemberKind::method);
                           row.set("value", m.get != nullptr);
                           row.set("writable", m.put != nullptr);
                           table.call<void>("push", row);
                         }
                         return table;
                       }));
  emscripten::function("eventTable", emscripten::optional_override([] {
                         val table = val::array();
                         for (const EventInfo& e : events()) {
                           val args = val::array();
                           for (const EventArg& a : e.args)
                             args.call<void>("push", std::string(a.name));
                           val row = val::object();
                           row.set("name", std::string(e.name));
                           row.set("args", args);
                           table.call<void>("push", row);
                         }
                         return table;
                       }));
}

}  // namespace brelund::web
