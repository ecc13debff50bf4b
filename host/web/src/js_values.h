// Values between JavaScript and the control: a step's Status, fonts, pictures (straight RGBA
// pixels, as ImageData holds them), a member's value by the member's type, and the eight events
// with their by-reference arguments.
#pragma once

#include <emscripten/val.h>

#include "brelund/error.h"
#include "brelund/values.h"
#include "control/event_relay.h"
#include "control/property_table.h"

namespace brelund::web::js {

using emscripten::val;

val status_of(const Status& s);
val font_of(const Font& f);
// null for a picture object without an image.
val picture_of(const PictureRef& p);
val value_of(const Variant& v);
// The same, with pictures given as `picture` gives them.
val value_of(const Variant& v, val (*picture)(const PictureRef&));
// Throws Error 380 naming what was wrong.
Font font_from(const val& v);
PictureRef picture_from(const val& v);
// A page's value for `m`: null and undefined are Nothing (an empty picture for a picture), a
// number is an integer where it is one, colours may be written unsigned (0x8000000F).
Variant variant_from(const Member& m, const val& v);
// Throws Error 438 for a name the control does not publish.
const Member& member_named(const std::string& name);
// Calls fn(name, args) with the event's by-reference arguments in an array; what the page leaves
// there (a number, within the argument's range) goes back to the control.
void raise(const val& fn, EventId id, const EventArgs& a);

}  // namespace brelund::web::js
