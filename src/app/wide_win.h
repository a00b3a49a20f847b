// UTF-16 in the pure code is char16_t; on Windows wchar_t is the same 16-bit unit.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is UTF-16 on Windows");

inline const wchar_t* W(const char16_t* s) {
  return reinterpret_cast<const wchar_t*>(s);
}
inline wchar_t* W(char16_t* s) {
  return reinterpret_cast<wchar_t*>(s);
}
inline const char16_t* U(const wchar_t* s) {
  return reinterpret_cast<const char16_t*>(s);
}
inline char16_t* U(wchar_t* s) {
  return reinterpret_cast<char16_t*>(s);
}
inline std::wstring_view W(std::u16string_view s) {
  return {W(s.data()), s.size()};
}
inline std::u16string_view U(std::wstring_view s) {
  return {U(s.data()), s.size()};
}
