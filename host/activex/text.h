// UTF-8 (the control's strings) to UTF-16 (the automation world's BSTRs) and back.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace brelund::ax {

inline std::wstring widen(std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

inline std::string narrow(const wchar_t* s, std::size_t len) {
  if (!s || len == 0) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(len), out.data(), n, nullptr, nullptr);
  return out;
}

inline std::string narrow(BSTR b) { return narrow(b, b ? SysStringLen(b) : 0); }

}  // namespace brelund::ax
