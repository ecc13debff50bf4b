// The one table of the control's public members: published name, dispatch id, kind, type and
// the code that reads or assigns it from a Variant. The trace language, the ActiveX dispatch
// and the tests all work from this table, and a test checks it against the type library.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "brelund/boton.h"

namespace brelund {

enum class MemberKind { property, method };
enum class ValueType { string, boolean, font, picture, int16, ole_color, int32, none };

// The members in the order of their slots, for code that names one.
enum class MemberId {
  Caption,
  Enabled,
  Font,
  MouseIcon,
  MousePointer,
  Picture,
  Refresh,
  BackColor,
  ForeColor,
  RoundSize,
  Light,
  ToolTipText,
  BackColorOriginal,
  CreaNuevaRegion,
  CreateRegion,
  Roundness3D
};

struct Member {
  MemberId id;
  std::string_view name;
  std::int32_t dispid;
  MemberKind kind;
  ValueType type;
  bool by_reference;                    // assigned by reference (set) rather than by value (let)
  Variant (*get)(Boton&);               // property read or method call; null for void methods
  void (*put)(Boton&, const Variant&);  // property write; converts by the control's rules
  void (*call)(Boton&);                 // void methods only
  // Saved properties: the value a saved set leaves out (the font's depends on the container).
  // Null for members that are not saved. The saved key is the member's name, and a set is
  // written and read in the order of this table.
  Variant (*saved_default)(host::Surface&);
};

// The sixteen members in the order of their slots.
std::span<const Member> members();
const Member& member(MemberId id);
// Looks a member up by name, without regard to case; nullptr when there is none.
const Member* find_member(std::string_view name);

}  // namespace brelund
