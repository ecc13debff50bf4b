// Process-wide state of the in-process server: its module handle, the count of live objects
// and factory locks that DllCanUnloadNow answers from, and the type library in its resources.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "host/activex/com_ptr.h"
#include "brelund/error.h"

namespace brelund::ax {

HINSTANCE module_instance() noexcept;
std::wstring module_path();
void object_created() noexcept;
void object_destroyed() noexcept;
bool module_in_use() noexcept;

// The type library stored as resource TYPELIB 1 of this module.
ComPtr<ITypeLib> module_typelib();
ComPtr<ITypeInfo> module_typeinfo(REFGUID guid);

// The HRESULT that carries a control error number (the standard control facility).
constexpr HRESULT hresult_of(int number) noexcept {
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

void set_error_info(const Status& s) noexcept;

// Runs one COM method body: our errors become their control HRESULT with an error object for
// the caller, nothing escapes.
template <class F>
HRESULT com_call(F&& f) noexcept {
  const Status s = guarded(std::forward<F>(f));
  if (s.ok()) return S_OK;
  set_error_info(s);
  return hresult_of(s.number);
}

// A COM object counted for DllCanUnloadNow for as long as it lives.
struct ModuleRef {
  ModuleRef() noexcept { object_created(); }
  ModuleRef(const ModuleRef&) = delete;
  ModuleRef& operator=(const ModuleRef&) = delete;
  ~ModuleRef() { object_destroyed(); }
};

}  // namespace brelund::ax
