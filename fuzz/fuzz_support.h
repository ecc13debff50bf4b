// What the fuzz targets share: a scratch folder of their own for anything that resolves files,
// holding one small picture so that {"file": ...} and `picture file` can succeed.
#pragma once

#include <string>

namespace brelund::fuzz {

// The folder, created on first use under the system's temporary directory; the picture in it
// is called "icon.png" (4 x 3 pixels).
const std::string& scratch_folder();

}  // namespace brelund::fuzz
