// How the trace writes values: numbers as the shortest text that reads back as the same value,
// fonts and pictures as small objects.
#pragma once

#include <nlohmann/json.hpp>

#include "brelund/mask.h"
#include "brelund/values.h"

namespace brelund::trace {

using json = nlohmann::ordered_json;

json number(double d);
json number(float f);
json font_json(const Font& f);
json value_json(const Variant& v);
// One opaque-span list per pixel row of the mask, and the count of opaque pixels.
json mask_json(const MaskRef& mask);

}  // namespace brelund::trace
