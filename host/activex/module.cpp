// The module's entry points and shared state.
#include "host/activex/module.h"

#include <atomic>

#include "host/activex/utf16.h"
#include "typelib/brelund_h.h"

namespace brelund::ax {

namespace {
HINSTANCE g_instance = nullptr;
std::atomic<long> g_live{0};
}  // namespace

HINSTANCE module_instance() noexcept { return g_instance; }

std::wstring module_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw Error(errors::kInvalidProcedureCall, "GetModuleFileName failed");
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void object_created() noexcept { ++g_live; }
void object_destroyed() noexcept { --g_live; }
bool module_in_use() noexcept { return g_live.load() != 0; }

ComPtr<ITypeLib> module_typelib() {
  ComPtr<ITypeLib> lib;
  const HRESULT hr = LoadTypeLibEx(module_path().c_str(), REGKIND_NONE, lib.put());
  if (FAILED(hr)) throw Error(errors::kInvalidProcedureCall, "The type library cannot be loaded");
  return lib;
}

ComPtr<ITypeInfo> module_typeinfo(REFGUID guid) {
  ComPtr<ITypeInfo> info;
  if (FAILED(module_typelib()->GetTypeInfoOfGuid(guid, info.put())))
    throw Error(errors::kInvalidProcedureCall, "The type library lacks a type");
  return info;
}

void set_error_info(const Status& s) noexcept {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.put()))) return;
  const std::wstring text = widen(s.description);
  create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
  create->SetSource(const_cast<LPOLESTR>(L"Brelund.Boton"));
  create->SetGUID(IID__Boton);
  ComPtr<IErrorInfo> info = create.query<IErrorInfo>(IID_IErrorInfo);
  if (info) SetErrorInfo(0, info.get());
}

void unregister_window_class() noexcept;

}  // namespace brelund::ax

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    brelund::ax::g_instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    brelund::ax::unregister_window_class();
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
  return brelund::ax::module_in_use() ? S_FALSE : S_OK;
}
