// Qt's input vocabulary in the control's terms: mouse buttons, modifier keys and key codes.
#pragma once

#include <cstdint>

#include <Qt>

namespace brelund::qt {

// 1 left, 2 right, 4 middle; a set of held buttons adds up.
std::int16_t button_code(Qt::MouseButtons buttons);
// 1 shift, 2 ctrl, 4 alt.
std::int16_t shift_code(Qt::KeyboardModifiers modifiers);
// The key code an application of this control expects (the Windows virtual-key numbering:
// letters as upper-case ASCII, Enter 13, Escape 27, F1 112, ...); 0 for keys it has no code for.
std::int16_t key_code(int qt_key, Qt::KeyboardModifiers modifiers);

}  // namespace brelund::qt
