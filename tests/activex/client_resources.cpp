// The library's resources, exports and registry entries.
#include <windows.h>
#include <winver.h>

#include <cstring>
#include <set>
#include <vector>

#include "client.h"
#include "host/activex/com_ptr.h"
#include "typelib/brelund_h.h"

using namespace client;

namespace {

std::set<std::string> export_names(HMODULE m) {
  auto* base = reinterpret_cast<const BYTE*>(m);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::set<std::string> names;
  if (!dir.VirtualAddress) return names;
  auto* exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* rva = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
  for (DWORD i = 0; i < exp->NumberOfNames; ++i)
    names.insert(reinterpret_cast<const char*>(base + rva[i]));
  check_eq(exp->NumberOfFunctions, 4ul, "exactly four exported functions");
  return names;
}

std::wstring version_string(const std::vector<BYTE>& block, const wchar_t* name, bool* found) {
  std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  void* p = nullptr;
  UINT len = 0;
  *found = VerQueryValueW(block.data(), path.c_str(), &p, &len) != 0;
  return *found && p ? std::wstring(static_cast<const wchar_t*>(p)) : std::wstring();
}

std::wstring reg_string(const std::wstring& key, const wchar_t* value) {
  wchar_t buf[512];
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size) !=
      ERROR_SUCCESS)
    return L"<missing>";
  return buf;
}

bool key_exists(const std::wstring& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool key_exists_in_view(const std::wstring& key, REGSAM view) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS)
    return false;
  RegCloseKey(k);
  return true;
}

std::wstring guid(REFGUID g) {
  wchar_t buf[40];
  StringFromGUID2(g, buf, 40);
  return buf;
}

}  // namespace

namespace client {

int resource_checks(const wchar_t* ocx) {
  HMODULE m = LoadLibraryExW(ocx, nullptr, DONT_RESOLVE_DLL_REFERENCES);
  check(m != nullptr, "the library loads");
  if (!m) return 1;
  check(export_names(m) == std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                                 "DllRegisterServer", "DllUnregisterServer"},
        "the four exports by name");
  HRSRC tlb = FindResourceW(m, MAKEINTRESOURCEW(1), L"TYPELIB");
  check(tlb && SizeofResource(m, tlb) > 0, "TYPELIB 1");
  const std::pair<const wchar_t*, const GUID*> iids[] = {{L"_IID_BOTON", &IID__Boton},
                                                         {L"_SRCIID_BOTON", &DIID___Boton}};
  for (const auto& [type, g] : iids) {
    HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), type);
    check(r && SizeofResource(m, r) == 20, "interface id resource of 20 bytes");
    if (!r) continue;
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(m, r)));
    DWORD len = 0;
    std::memcpy(&len, data, 4);
    check(len == 16 && std::memcmp(data + 4, g, 16) == 0, "interface id resource content");
  }
  HRSRC bmp = FindResourceW(m, MAKEINTRESOURCEW(30000), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  check(bmp != nullptr, "toolbox bitmap 30000");
  if (bmp) {
    auto* bi = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(m, bmp)));
    check(bi->biWidth == 16 && bi->biHeight == 15 && bi->biBitCount == 24,
          "toolbox bitmap 16 x 15, 24 bits");
  }
  FreeLibrary(m);

  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(ocx, &ignored));
  check(
      !block.empty() && GetFileVersionInfoW(ocx, 0, static_cast<DWORD>(block.size()), block.data()),
      "version block");
  if (block.empty()) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len);
  check(fixed && fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0 &&
            fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0,
        "file and product version 1.0.0.0");
  WORD* tr = nullptr;
  VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &len);
  check(tr && len >= 4 && tr[0] == 0x0409 && tr[1] == 1200, "language 0x0409, code page 1200");
  bool found = false;
  check(version_string(block, L"FileVersion", &found) == L"1.00", "FileVersion shown as 1.00");
  check(version_string(block, L"ProductVersion", &found) == L"1.00",
        "ProductVersion shown as 1.00");
  check(version_string(block, L"InternalName", &found) == L"Brelund32", "InternalName");
  check(version_string(block, L"OriginalFilename", &found) == L"Brelund32.ocx", "OriginalFilename");
  const std::wstring self = version_string(block, L"OLESelfRegister", &found);
  check(found && self.empty(), "an empty OLESelfRegister entry");
  return 0;
}

int registry_checks(bool registered) {
  const std::wstring cls = L"CLSID\\" + guid(CLSID_Boton);
  const std::wstring lib = L"TypeLib\\" + guid(LIBID_Brelund) + L"\\1.0";
  if (!registered) {
    check(!key_exists(cls), "class removed");
    check(!key_exists(L"Brelund.Boton"), "ProgID removed");
    check(!key_exists(lib), "type library removed");
    check(!key_exists(L"Interface\\" + guid(IID__Boton)), "interface removed");
    return 0;
  }
  // Each bitness registers in its own view: 64-bit programs find this server, 32-bit ones (which
  // read the 32-bit view) must not be sent to a DLL they cannot load.
#ifdef _WIN64
  const REGSAM own = KEY_WOW64_64KEY, other = KEY_WOW64_32KEY;
#else
  const REGSAM own = KEY_WOW64_32KEY, other = KEY_WOW64_64KEY;
#endif
  check(key_exists_in_view(cls, own), "class in the registry view of its bitness");
  check(!key_exists_in_view(cls, other), "class not in the other registry view");
  check(reg_string(cls + L"\\InprocServer32", L"ThreadingModel") == L"Apartment",
        "apartment threading");
  check(key_exists(cls + L"\\Control"), "marked as a control");
  const std::wstring bmp = reg_string(cls + L"\\ToolboxBitmap32", nullptr);
  check(bmp.size() > 7 && bmp.ends_with(L"Brelund32.ocx, 30000"), "toolbox bitmap 30000");
  check(reg_string(cls + L"\\MiscStatus\\1", nullptr) == std::to_wstring(0x00029191),
        "miscellaneous status");
  check(reg_string(cls + L"\\TypeLib", nullptr) == guid(LIBID_Brelund),
        "class names its type library");
  check(reg_string(cls + L"\\Version", nullptr) == L"1.0", "type library version");
  check(key_exists(cls + L"\\Interface\\" + guid(IID__Boton)), "default interface id");
  check(reg_string(cls + L"\\EventInterface", nullptr) == guid(DIID___Boton), "event interface id");
  check(reg_string(L"Brelund.Boton\\CLSID", nullptr) == guid(CLSID_Boton), "ProgID Brelund.Boton");
  // The type library is registered for the platform of the process that registered it.
#ifdef _WIN64
  const wchar_t* const platform = L"\\0\\win64";
#else
  const wchar_t* const platform = L"\\0\\win32";
#endif
  check(key_exists(lib + platform), "type library under the neutral locale");
  check(key_exists(lib + L"\\FLAGS"), "type library flags");
  check(key_exists(L"Interface\\" + guid(IID__Boton)), "interface _Boton registered");
  return 0;
}

}  // namespace client
