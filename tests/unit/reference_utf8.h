// UTF-8 decoding written out from the standard's table of well-formed sequences, for the fast
// decoder to be held to; and random text that exercises it.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <utility>

#include "bytes.h"

namespace reference {

// Well-formed UTF-8 by the table of the standard: each lead's allowed second byte, then 80..BF.
struct Row {
  unsigned leadLow, leadHigh, secondLow, secondHigh, length;
};
inline constexpr Row kRows[] = {
    {0x00, 0x7F, 0, 0, 1},       {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
    {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
    {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
};

// Returns the text and whether the bytes (up to a zero byte) were all well formed.
inline std::pair<std::u16string, bool> ReferenceUtf8Decode(const Bytes& b) {
  std::u16string out;
  bool wellFormed = true;
  std::size_t i = 0;
  while (i < b.size() && b[i] != 0) {
    const Row* row = nullptr;
    for (const Row& r : kRows)
      if (b[i] >= r.leadLow && b[i] <= r.leadHigh) row = &r;
    std::size_t matched = 1;
    if (row != nullptr) {
      while (matched < row->length && i + matched < b.size()) {
        const unsigned c = b[i + matched];
        const bool ok = matched == 1 ? c >= row->secondLow && c <= row->secondHigh : c >= 0x80 && c <= 0xBF;
        if (!ok) break;
        ++matched;
      }
    }
    if (row == nullptr || matched < row->length) {
      out += u'\uFFFD';
      wellFormed = false;
    } else {
      char32_t cp = row->length == 1 ? b[i] : b[i] & (0x7F >> row->length);
      for (std::size_t k = 1; k < matched; ++k) cp = (cp << 6) | (b[i + k] & 0x3F);
      if (cp >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        out += static_cast<char16_t>(cp);
      }
    }
    i += matched;
  }
  return {out, wellFormed};
}

// Random text made of valid characters of every length, with now and then a broken or odd byte.
inline Bytes RandomUtf8ish(std::mt19937& rng, std::size_t length, int noisePercent) {
  auto number = [&rng](unsigned lo, unsigned hi) {
    return std::uniform_int_distribution<unsigned>(lo, hi)(rng);
  };
  Bytes b;
  while (b.size() < length) {
    if (number(0, 99) < static_cast<unsigned>(noisePercent)) {
      b.push_back(static_cast<unsigned char>(number(0, 255)));
      continue;
    }
    const unsigned kind = number(0, 3);
    char32_t cp = kind == 0   ? number(1, 0x7F)
                  : kind == 1 ? number(0x80, 0x7FF)
                  : kind == 2 ? number(0x800, 0xFFFF)
                              : number(0x10000, 0x10FFFF);
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0x3042;
    if (cp < 0x80) {
      b.push_back(static_cast<unsigned char>(cp));
    } else if (cp < 0x800) {
      b.insert(b.end(), {static_cast<unsigned char>(0xC0 | (cp >> 6)),
                         static_cast<unsigned char>(0x80 | (cp & 0x3F))});
    } else if (cp < 0x10000) {
      b.insert(b.end(), {static_cast<unsigned char>(0xE0 | (cp >> 12)),
                         static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F)),
                         static_cast<unsigned char>(0x80 | (cp & 0x3F))});
    } else {
      b.insert(b.end(), {static_cast<unsigned char>(0xF0 | (cp >> 18)),
                         static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F)),
                         static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F)),
                         static_cast<unsigned char>(0x80 | (cp & 0x3F))});
    }
  }
  b.resize(length);  // may cut the last character
  return b;
}

}  // namespace reference
