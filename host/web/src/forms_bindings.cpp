// The forms module: a page's button entries to and from the form file's JSON, pictures as PNG.
// The page's module leaves this code out (the JSON reader and writer, the PNG codec and their
// number formatting are most of the core's size) and loads it on the first save or load; the
// two hand each other an entry as plain values (entry_values.h).
#include <emscripten/bind.h>

#include <string>

#include "brelund/error.h"
#include "brelund/forms.h"
#include "host/web/src/entry_values.h"
#include "host/web/src/js_values.h"

namespace brelund::web {

using emscripten::val;

namespace {

// {status, form}: the form file's text with the button as its one control, named as a form
// window names its first button.
val form_of(const val& entry) {
  val out = val::object();
  const Status s = guarded([&] {
    forms::Control c;
    c.name = "Boton1";
    js::entry_from(entry, c);
    forms::Form form;
    form.controls.push_back(std::move(c));
    out.set("form", forms::to_json(form));
  });
  out.set("status", js::status_of(s));
  return out;
}

// {status, entry}: the one control of a form file's text. Everything in it is read and checked
// here, before the page's button sees any of it.
val entry_of(const std::string& text) {
  val out = val::object();
  const Status s = guarded([&] {
    const forms::Form form = forms::parse(text, ".", "<page>");
    if (form.controls.size() != 1)
      throw Error(errors::kInvalidPropertyValue, "<page>: a saved button is one control, not " +
                                                     std::to_string(form.controls.size()));
    out.set("entry", js::entry_of(form.controls.front()));
  });
  out.set("status", js::status_of(s));
  return out;
}

}  // namespace

EMSCRIPTEN_BINDINGS(brelund_web_forms) {
  emscripten::function("formOf", &form_of);
  emscripten::function("entryOf", &entry_of);
}

}  // namespace brelund::web
