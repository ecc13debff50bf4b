// DllRegisterServer / DllUnregisterServer: the class Boton with its control data, and the type
// library. Unregistration removes exactly the keys registration made, so that the registry
// afterwards is as it was before.
#include <olectl.h>

#include "host/activex/module.h"
#include "host/activex/registry.h"
#include "typelib/brelund_h.h"
#include "typelib/registration.h"

namespace brelund::ax {

RegKey RegKey::create(HKEY parent, const std::wstring& path) {
  RegKey k;
  if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE | kRegistryView, nullptr,
                      &k.key_, nullptr) != ERROR_SUCCESS)
    throw Error(errors::kInvalidProcedureCall, "Registry key cannot be created");
  return k;
}

void RegKey::set(const wchar_t* name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  if (RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
      ERROR_SUCCESS)
    throw Error(errors::kInvalidProcedureCall, "Registry value cannot be written");
}

void RegKey::set(const wchar_t* name, DWORD value) {
  if (RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof(value)) != ERROR_SUCCESS)
    throw Error(errors::kInvalidProcedureCall, "Registry value cannot be written");
}

void delete_tree(HKEY parent, const std::wstring& path) {
  // RegDeleteTreeW takes no view: open the key in ours, empty it, then remove it in ours.
  HKEY key = nullptr;
  if (RegOpenKeyExW(
          parent, path.c_str(), 0,
          DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | kRegistryView,
          &key) != ERROR_SUCCESS)
    return;
  const LSTATUS s = RegDeleteTreeW(key, nullptr);
  RegCloseKey(key);
  if (s == ERROR_SUCCESS) RegDeleteKeyExW(parent, path.c_str(), kRegistryView, 0);
}

std::wstring guid_string(REFGUID g) {
  wchar_t buf[40];
  StringFromGUID2(g, buf, 40);
  return buf;
}

namespace {

void register_class() {
  using namespace registration;
  const std::wstring clsid = guid_string(CLSID_Boton);
  const std::wstring path = module_path();
  RegKey cls = RegKey::create(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid);
  cls.set(nullptr, std::wstring(kClassName));
  {
    RegKey server = cls.sub(L"InprocServer32");
    server.set(nullptr, path);
    server.set(L"ThreadingModel", std::wstring(L"Apartment"));
  }
  cls.sub(L"ProgID").set(nullptr, std::wstring(kProgId));
  cls.sub(L"VersionIndependentProgID").set(nullptr, std::wstring(kVersionIndependentProgId));
  cls.sub(L"Control");
  cls.sub(L"Programmable");
  cls.sub(L"ToolboxBitmap32").set(nullptr, path + L", " + std::to_wstring(kToolboxBitmapId));
  cls.sub(L"MiscStatus").set(nullptr, std::wstring(L"0"));
  cls.sub(L"MiscStatus\\1").set(nullptr, std::to_wstring(kMiscStatus));
  cls.sub(L"TypeLib").set(nullptr, guid_string(LIBID_Brelund));
  cls.sub(L"Version").set(nullptr, std::wstring(kTypeLibVersion));
  // Safe for scripting and for initialisation: every stream and bag the object loads is
  // checked before it is trusted, and no member reaches outside the control.
  cls.sub(L"Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}");
  cls.sub(L"Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}");
  cls.sub(L"Interface\\" + guid_string(IID__Boton));
  cls.sub(L"EventInterface").set(nullptr, guid_string(DIID___Boton));

  for (const wchar_t* progid : {kProgId, kVersionIndependentProgId}) {
    RegKey p = RegKey::create(HKEY_CLASSES_ROOT, progid);
    p.set(nullptr, std::wstring(kClassName));
    p.sub(L"CLSID").set(nullptr, clsid);
    if (progid == kVersionIndependentProgId) p.sub(L"CurVer").set(nullptr, std::wstring(kProgId));
  }
}

void unregister_class() {
  using namespace registration;
  delete_tree(HKEY_CLASSES_ROOT, L"CLSID\\" + guid_string(CLSID_Boton));
  delete_tree(HKEY_CLASSES_ROOT, kProgId);
  delete_tree(HKEY_CLASSES_ROOT, kVersionIndependentProgId);
}

}  // namespace

}  // namespace brelund::ax

using namespace brelund::ax;

extern "C" HRESULT WINAPI DllRegisterServer() {
  HRESULT tlb = S_OK;
  const HRESULT hr = com_call([&] {
    register_class();
    ComPtr<ITypeLib> lib = module_typelib();
    std::wstring path = module_path();
    tlb = RegisterTypeLib(lib.get(), path.data(), nullptr);
  });
  if (FAILED(hr)) return SELFREG_E_CLASS;
  return FAILED(tlb) ? SELFREG_E_TYPELIB : S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
#ifdef _WIN64
  constexpr SYSKIND kSysKind = SYS_WIN64;
#else
  constexpr SYSKIND kSysKind = SYS_WIN32;
#endif
  // A type library that is not registered (a second unregistration) is no failure: there is
  // nothing to remove.
  HRESULT tlb = S_OK;
  Bstr registered;
  if (SUCCEEDED(QueryPathOfRegTypeLib(LIBID_Brelund, 1, 0, LOCALE_NEUTRAL, registered.put())))
    tlb = UnRegisterTypeLib(LIBID_Brelund, 1, 0, LOCALE_NEUTRAL, kSysKind);
  const HRESULT hr = com_call([] { unregister_class(); });
  if (FAILED(hr)) return SELFREG_E_CLASS;
  return FAILED(tlb) && tlb != TYPE_E_REGISTRYACCESS && tlb != TYPE_E_LIBNOTREGISTERED
             ? SELFREG_E_TYPELIB
             : S_OK;
}
