// Hands a form file's saved property set to a control and takes it back, the same way for every
// host that uses our form files.
#pragma once

#include <string>

#include "brelund/boton.h"
#include "brelund/forms.h"

namespace brelund::forms {

// Raises ReadProperties with the control's saved set. A failure is rethrown with the file, the
// control and the key it stopped at; the keys before that key keep their new values.
void read_properties(Boton& control, const Control& entry, const std::string& file,
                     LoadRebuild rebuild = LoadRebuild::now);

// Raises WriteProperties and returns the saved set in the order the control wrote it.
Properties write_properties(Boton& control);

}  // namespace brelund::forms
