// The settings record and the pure rules for its INI words and numbers.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
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

inline constexpr int kDefaultFontSize = 10;
// "ＭＳ ゴシック": two full-width Latin letters, a space and five katakana.
inline constexpr char16_t kDefaultFontName[] = u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";

// A point size read from the file, kept within the bounds the views can draw.
int FontSizeInBounds(int points);

// "ON" in any ASCII case gives 1; every other word (1, yes, TRUE, "") gives 0.
int FlagFromWord(std::u16string_view word);
// Only 1 counts as on.
std::u16string_view WordFromFlag(int flag);

// "ShiftJIS" 1, "UTF-8" 2, "UTF-16LE" 4 in any ASCII case; anything else 0 (automatic).
int EncodingFromWord(std::u16string_view word);
// 1, 2 and 4 by name; any other value "AUTO".
std::u16string_view WordFromEncoding(int encoding);

// A number as the file holds it: a space, then the decimal digits (" %d").
std::u16string SettingNumberText(int value);

// The first maxUnits code units of text, one fewer when the cut would split a surrogate pair.
std::u16string_view CutText(std::u16string_view text, size_t maxUnits);

// The value of key, quotes kept, in a section as GetPrivateProfileSectionW returns it: "key=value"
// strings, each ending in NUL, an empty one last. Keys match in any ASCII case; spaces and tabs
// around key and value are dropped. The profile string reader would strip a pair of quotes around
// the whole value and break a command such as "C:\Program Files\ed.exe" -n%l "%t".
std::optional<std::u16string_view> FindRawValue(std::u16string_view section, std::u16string_view key);

// Stores name into settings.fontName, cut to 31 units; a cut never leaves half a surrogate pair.
void SetFontName(AppSettings& settings, std::u16string_view name);
// The face name up to its terminator (or the whole field if a terminator is missing).
std::u16string_view FaceName(const AppSettings& settings);

// Screen rectangle, right and bottom exclusive.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// A window rectangle that overlaps a monitor is returned unchanged. One that lies wholly outside
// every monitor is moved, keeping its size, into the monitor nearest to it (as far inside as its
// size allows, top-left corner first). No monitors: unchanged.
ScreenRect PlaceOnMonitors(const ScreenRect& window, std::span<const ScreenRect> monitors);
