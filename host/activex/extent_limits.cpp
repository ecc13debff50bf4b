#include "host/activex/extent_limits.h"

#include <string>

#include "host/activex/module.h"

namespace brelund::ax {

HRESULT refuse_extent(long long width, long long height, long long max, const char* unit) noexcept {
  const Status s = guarded([&] {
    throw Error(errors::kInvalidPropertyValue,
                "The extent " + std::to_string(width) + " x " + std::to_string(height) + " " +
                    unit + " is outside 0 to " + std::to_string(max) + " " + unit + " per side");
  });
  set_error_info(s);
  return E_INVALIDARG;
}

}  // namespace brelund::ax
