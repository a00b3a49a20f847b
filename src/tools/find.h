// The ring search behind find and find-again, over a view's raw text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// True when the count characters at a and b are equal ignoring case. The platform decides what
// "ignoring case" means (the run-time library's locale); the search relies only on the comparison
// going character by character, so a one-character call tells whether a first character can match.
using CaseInsensitiveEqual = bool (*)(const char16_t* a, const char16_t* b, std::size_t count);

// What the run-time library's comparison does under the classic locale: only A-Z fold.
bool AsciiCaseInsensitiveEqual(const char16_t* a, const char16_t* b, std::size_t count);

struct RingSearch {
  std::u16string_view text;
  std::u16string_view what;
  std::int32_t start = 0;  // the selection start: every other position is tried first
  bool forward = true;
  bool matchCase = false;
  CaseInsensitiveEqual caseInsensitiveEqual = AsciiCaseInsensitiveEqual;  // used unless matchCase
};

// Positions 0 .. text.size() form a ring. Stepping from start in the given direction, each
// position is tried once and start itself last; the first position whose next what.size()
// characters equal what is the hit. Overlapping occurrences count; an empty what never matches.
std::optional<std::int32_t> FindInRing(const RingSearch& search);
