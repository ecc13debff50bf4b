// An owned registry key and the few operations registration needs.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace brelund::ax {

// Each build names its own view of the registry. On 64-bit Windows a 32-bit server is loaded by
// 32-bit processes only, which look their classes up in the 32-bit view (WOW6432Node); the 64-bit
// server belongs in the 64-bit view. Naming the view keeps the keys where the loading process
// will look, whichever process runs the registration.
#ifdef _WIN64
inline constexpr REGSAM kRegistryView = KEY_WOW64_64KEY;
#else
inline constexpr REGSAM kRegistryView = KEY_WOW64_32KEY;
#endif

class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& o) noexcept : key_(std::exchange(o.key_, nullptr)) {}
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  // Creates (or opens) parent\path for writing; throws on failure.
  static RegKey create(HKEY parent, const std::wstring& path);
  HKEY get() const noexcept { return key_; }
  // Sets a string value; an empty name is the key's default value.
  void set(const wchar_t* name, const std::wstring& value);
  void set(const wchar_t* name, DWORD value);
  RegKey sub(const std::wstring& path) { return create(key_, path); }

 private:
  HKEY key_ = nullptr;
};

// Removes parent\path with everything below it, in our view; a key that is not there is not an
// error.
void delete_tree(HKEY parent, const std::wstring& path);

std::wstring guid_string(REFGUID g);

}  // namespace brelund::ax
