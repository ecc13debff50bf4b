// A form entry as plain JavaScript values, for the hand-over between the page's module and the
// forms module (which alone reads and writes the form file's JSON and PNG): the extent and the
// extender's keys, and the saved set as [key, type, value] rows, each value in its own type so
// that it crosses unchanged (pictures as their pixels).
#pragma once

#include <emscripten/val.h>

#include "brelund/forms.h"

namespace brelund::web::js {

emscripten::val entry_of(const forms::Control& c);
// Throws Error 380 naming what was wrong. A missing width, height, default or cancel stays as
// `c` has it.
void entry_from(const emscripten::val& v, forms::Control& c);

}  // namespace brelund::web::js
