// An owned registry key and the few operations registration needs.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace brelund::ax {

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

// Removes parent\path with everything below it; a key that is not there is not an error.
void delete_tree(HKEY parent, const std::wstring& path);

std::wstring guid_string(REFGUID g);

}  // namespace brelund::ax
