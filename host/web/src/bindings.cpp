// What the page's module sees of the core: the Page class (one button) and the members' names.
#include <emscripten/bind.h>

#include "control/property_table.h"
#include "host/web/src/page.h"

namespace brelund::web {

using emscripten::val;

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
      .function("save", &Page::save)
      .function("load", &Page::load)
      .function("setPointer", &Page::set_pointer)
      .function("setSysColor", &Page::set_sys_color)
      .function("setExtender", &Page::set_extender)
      .function("setAmbientFont", &Page::set_ambient_font)
      .function("changes", &Page::changes)
      .function("width", &Page::width)
      .function("height", &Page::height)
      .function("face", &Page::face)
      .function("shape", &Page::shape)
      .function("caption", &Page::caption)
      .function("picture", &Page::picture)
      .function("timer", &Page::timer)
      .function("enabled", &Page::enabled)
      .function("mousePointer", &Page::mouse_pointer)
      .function("focused", &Page::focused);
  emscripten::function("memberNames", emscripten::optional_override([] {
                         val names = val::array();
                         for (const Member& m : members())
                           names.call<void>("push", std::string(m.name));
                         return names;
                       }));
}

}  // namespace brelund::web
