// The settings record and the pure rules for its INI words and numbers.
#pragma once

#include <string>
#include <string_view>

struct AppSettings {
  int fontSize = 0;
  char16_t fontName[32] = {};  // at most 31 characters and the terminator
  std::u16string editor;
  int tab4 = 0;
  int blackBack = 0;
  int encoding = 0;  // DecodeMode numbering: 0 auto, 1 Shift_JIS, 2 UTF-8, 4 UTF-16LE
  int wordWrap = 0;
  int numberLine = 0;
};
