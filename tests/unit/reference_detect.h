// Encoding detection written out one rule at a time, as plainly as possible, for the fast paths
// to be held to; and byte strings that exercise them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "bytes.h"
#include "document/encoding_detect.h"

namespace reference {

// The walks written out one rule at a time, as plainly as possible, to hold the bulk scoring to.
inline bool Cont(unsigned c) {
  return c >= 0x80 && c <= 0xBF;
}

inline std::int64_t ReferenceUtf8Score(const Bytes& b) {
  const std::size_t n = b.size();
  std::int64_t u = 0;
  for (std::size_t k = 0; k < n;) {
    const unsigned c = b[k];
    if (c == 0xA0 || c == 0xFF) {
      k += 1;
    } else if (c <= 0x7F) {
      u += 1, k += 1;
    } else if (k + 1 >= n) {
      k += 1;
    } else if (c >= 0xC0 && c <= 0xDF && Cont(b[k + 1])) {
      u += 2, k += 2;
    } else if (k + 2 >= n) {
      k += 1;
    } else if (c >= 0xE0 && c <= 0xEF && Cont(b[k + 1]) && Cont(b[k + 2])) {
      u += 3, k += 3;
    } else if (k + 3 >= n) {
      return -1;
    } else if (c >= 0xF0 && c <= 0xF7 && Cont(b[k + 1]) && Cont(b[k + 2]) && Cont(b[k + 3])) {
      u += 4, k += 4;
    } else {
      k += 1;
    }
  }
  return u;
}

inline std::int64_t ReferenceSjisScore(const Bytes& b) {
  const std::size_t n = b.size();
  std::int64_t s = 0;
  for (std::size_t l = 0; l < n;) {
    const unsigned c = b[l];
    if (c == 0xA0 || c == 0xFF) {
      l += 1;
    } else if (c <= 0x7F || (c >= 0xA1 && c <= 0xDF)) {
      s += 1, l += 1;
    } else if (l + 1 >= n) {
      l += 1;
    } else {
      const unsigned t = b[l + 1];
      const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      const bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
      if (!lead || !trail) return -1;
      s += 2, l += 2;
    }
  }
  return s;
}

inline TextEncoding ReferenceDetect(const Bytes& b) {
  const std::size_t n = b.size();
  if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) return TextEncoding::Utf16Le;
  if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) return TextEncoding::Utf16Be;
  if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return TextEncoding::Utf8Bom;
  if (n == 0) return TextEncoding::ShiftJis;
  for (unsigned char c : b)
    if (c == 0) return TextEncoding::Binary;
  bool ascii = true;
  for (unsigned char c : b) ascii = ascii && c <= 0x7E;
  if (ascii) return TextEncoding::ShiftJis;
  return ReferenceSjisScore(b) > ReferenceUtf8Score(b) ? TextEncoding::ShiftJis : TextEncoding::Utf8;
}

// Byte strings that keep both walks alive (flavour 1 Shift_JIS-like, 2 UTF-8-like, 3 either with
// more noise, 0 anything) for long stretches, with noise that ends them.
inline Bytes TextLikeBytes(std::mt19937& rng, std::size_t length, int flavour) {
  auto pick = [&rng](int lo, int hi) {
    return static_cast<unsigned char>(std::uniform_int_distribution<int>(lo, hi)(rng));
  };
  auto chance = [&rng](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
  Bytes b;
  while (b.size() < length) {
    if (flavour == 0 || chance(flavour == 3 ? 20 : 1)) {
      b.push_back(pick(0, 255));  // anything, zero included
    } else if (chance(25)) {
      b.push_back(chance(10) ? 0x0A : pick(0x20, 0x7E));
    } else if (flavour == 1) {  // Shift_JIS-like: half-width kana and lead/trail pairs
      if (chance(15)) {
        b.push_back(pick(0xA1, 0xDF));
      } else {
        b.push_back(chance(50) ? pick(0x81, 0x9F) : pick(0xE0, 0xFC));
        b.push_back(chance(30) ? pick(0x40, 0x7E) : pick(0x80, 0xFC));
      }
    } else {  // UTF-8-like bit patterns, valid or not
      const int len = std::uniform_int_distribution<int>(2, 4)(rng);
      b.push_back(len == 2 ? pick(0xC0, 0xDF) : len == 3 ? pick(0xE0, 0xEF) : pick(0xF0, 0xF7));
      for (int k = 1; k < len; ++k) b.push_back(pick(0x80, 0xBF));
    }
  }
  b.resize(length);
  return b;
}

}  // namespace reference
