#include "host/qt/qt_input.h"

namespace brelund::qt {

std::int16_t button_code(Qt::MouseButtons buttons) {
  std::int16_t code = 0;
  if (buttons & Qt::LeftButton) code += 1;
  if (buttons & Qt::RightButton) code += 2;
  if (buttons & Qt::MiddleButton) code += 4;
  return code;
}

std::int16_t shift_code(Qt::KeyboardModifiers modifiers) {
  std::int16_t code = 0;
  if (modifiers & Qt::ShiftModifier) code += 1;
  if (modifiers & Qt::ControlModifier) code += 2;
  if (modifiers & Qt::AltModifier) code += 4;
  return code;
}

namespace {
struct KeyPair {
  int qt;
  std::int16_t code;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},           {Qt::Key_Backtab, 9},
    {Qt::Key_Clear, 12},       {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},       {Qt::Key_Control, 17},      {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},       {Qt::Key_CapsLock, 20},     {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},       {Qt::Key_PageUp, 33},       {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},         {Qt::Key_Home, 36},         {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},          {Qt::Key_Right, 39},        {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},       {Qt::Key_Insert, 45},       {Qt::Key_Delete, 46},
    {Qt::Key_Help, 47},        {Qt::Key_Meta, 91},         {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144},    {Qt::Key_ScrollLock, 145},  {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},      {Qt::Key_Equal, 187},       {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},      {Qt::Key_Less, 188},        {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},      {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},      {Qt::Key_Question, 191},    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},  {Qt::Key_Bar, 220},         {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},  {Qt::Key_QuoteDbl, 222},
};
}  // namespace

std::int16_t key_code(int qt_key, Qt::KeyboardModifiers modifiers) {
  // The numeric keypad has keys of its own: 96..105 for the digits, 106..111 for the operators.
  if (modifiers & Qt::KeypadModifier) {
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
      return static_cast<std::int16_t>(96 + qt_key - Qt::Key_0);
    switch (qt_key) {
      case Qt::Key_Asterisk:
        return 106;
      case Qt::Key_Plus:
        return 107;
      case Qt::Key_Minus:
        return 109;
      case Qt::Key_Period:
        return 110;
      case Qt::Key_Slash:
        return 111;
      default:
        break;
    }
  }
  if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) || (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9))
    return static_cast<std::int16_t>(qt_key);
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
    return static_cast<std::int16_t>(112 + qt_key - Qt::Key_F1);
  for (const auto& k : kKeys)
    if (k.qt == qt_key) return k.code;
  return 0;
}

}  // namespace brelund::qt
