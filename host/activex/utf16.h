// UTF-8 (the control's strings) to UTF-16 (the automation world's BSTRs) and back.
#pragma once

#include <windows.h>
// BSTR and SysStringLen, which windows.h leaves out under WIN32_LEAN_AND_MEAN.
#include <oleauto.h>

#include <climits>
#include <string>
#include <string_view>

#include "brelund/error.h"

namespace brelund::ax {

// The conversion functions take int lengths: a longer string cast to int would turn negative,
// which they read as "up to the terminating NUL", past the end of a view.
inline int text_length(std::size_t n) {
  if (n > static_cast<std::size_t>(INT_MAX)) errors::overflow();
  return static_cast<int>(n);
}

inline std::wstring widen(std::string_view s) {
  if (s.empty()) return {};
  const int len = text_length(s.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), len, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), len, out.data(), n);
  return out;
}

inline std::string narrow(const wchar_t* s, std::size_t len) {
  if (!s || len == 0) return {};
  const int chars = text_length(len);
  const int n = WideCharToMultiByte(CP_UTF8, 0, s, chars, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s, chars, out.data(), n, nullptr, nullptr);
  return out;
}

inline std::string narrow(BSTR b) { return narrow(b, b ? SysStringLen(b) : 0); }

}  // namespace brelund::ax
