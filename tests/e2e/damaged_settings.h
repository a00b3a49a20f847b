// Settings files spoiled by hand or by another program, and what the program must take from each:
// the values still usable, the defaults for the rest. Read in-process (tests/win) and at the real
// program's start (tests/e2e).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace e2e {

struct DamagedSettings {
  const char* name;
  std::string bytes;
  bool folder = false;        // a folder of the settings file's name instead
  bool japaneseAnsi = false;  // its face name reads right only where the ANSI code page is 932
  // What is read, in the file's words.
  int fontSize = 10;
  std::wstring fontName = L"ＭＳ ゴシック";
  bool tab4 = false;
  bool blackBack = false;
  bool wordWrap = false;
  std::wstring encoding = L"AUTO";
  bool numberLine = true;
  friend void PrintTo(const DamagedSettings& s, std::ostream* out) { *out << s.name; }
};

// Bytes that mean nothing, always the same.
inline std::string Garbage(size_t size, unsigned seed) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes += static_cast<char>((seed >> 16) & 0xFF);
  }
  return bytes;
}

inline std::vector<DamagedSettings> DamagedSettingsFiles() {
  const std::string header = "[SystemSetting]\r\n";
  std::string mebibyte = header;
  for (int i = 0; mebibyte.size() < (1u << 20); ++i) {
    mebibyte += "pad" + std::to_string(i) + "=" + std::string(100, 'p') + "\r\n";
  }
  mebibyte += "fontSize=16\r\ntab4=ON\r\n";
  // A half character at the end: the last byte of "F" missing.
  std::string oddUtf16 =
      Utf16LeBytes(L"[SystemSetting]\r\nfontSize=12\r\nwordWrap=ON\r\nnumberLine=OF", true);
  oddUtf16 += 'F';
  return {
      {.name = "AnsiWithJapaneseBytes",
       .bytes = CodePageBytes(L"[SystemSetting]\r\nfontName=ＭＳ 明朝\r\nfontSize=14\r\nblackBack=ON\r\n"
                              L"encoding=シフトJIS\r\ntab4=オン\r\n",
                              932),
       .japaneseAnsi = true,
       .fontSize = 14,
       .fontName = L"ＭＳ 明朝",
       .blackBack = true},
      {.name = "Utf16WithAnOddByteCount",
       .bytes = oddUtf16,
       .fontSize = 12,
       .wordWrap = true,
       .numberLine = false},
      {.name = "OneMebibyte", .bytes = mebibyte, .fontSize = 16, .tab4 = true},
      {.name = "LineOf100000Characters",
       .bytes = header + std::string(100000, 'x') + "\r\nfontSize=11\r\nnumberLine=OFF\r\n",
       .fontSize = 11,
       .numberLine = false},
      // The face is cut to what a face name holds.
      {.name = "FontNameOf300Characters",
       .bytes = header + "fontName=" + std::string(300, 'F') + "\r\nwordWrap=ON\r\n",
       .fontName = std::wstring(31, L'F'),
       .wordWrap = true},
      {.name = "EditorOf5000Characters",
       .bytes = header + "editor=" + std::string(5000, 'e') + " %t\r\nfontSize=13\r\nencoding=UTF-8\r\n",
       .fontSize = 13,
       .encoding = L"UTF-8"},
      {.name = "BinaryGarbage", .bytes = Garbage(4096, 1)},
      {.name = "Utf16Garbage", .bytes = "\xFF\xFE" + Garbage(4096, 2)},
      {.name = "Folder", .bytes = {}, .folder = true},
  };
}

}  // namespace e2e
