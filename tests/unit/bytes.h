// Byte strings for the document tests, and their hexadecimal form for failure messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline std::string Hex(const Bytes& b) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
    s += ' ';
  }
  return s;
}
