// The pointer shown over the control: its MousePointer, and its MouseIcon when the pointer is
// the custom one (99). Set on WM_SETCURSOR, so that the control's own window decides what the
// pointer looks like over it in any container.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "brelund/values.h"
#include "host/activex/ole_values.h"

namespace brelund::ax {

class PointerShape {
 public:
  PointerShape() = default;
  PointerShape(const PointerShape&) = delete;
  PointerShape& operator=(const PointerShape&) = delete;
  ~PointerShape();

  // Shows the shape for `pointer` and answers true; answers false for the default shape (0,
  // or 99 without an icon), which the window's parent and class choose as usual.
  bool apply(std::int16_t pointer, const PictureRef& icon, ObjectCache& objects);

  // The system cursor a standard pointer code stands for; null for 0, 99 and unknown codes.
  static HCURSOR standard(std::int16_t pointer);

 private:
  HCURSOR custom(const PictureRef& icon, ObjectCache& objects);

  // The cursor made from a picture that is no icon, kept for as long as that picture is the
  // control's MouseIcon.
  std::weak_ptr<const Picture> made_for_;
  HCURSOR made_ = nullptr;
};

}  // namespace brelund::ax
