// Classifies the raw bytes at the start of a file as one of the encodings the viewer shows.
#pragma once

#include <cstddef>
#include <cstdint>

// Numeric values are fixed: the loader's mapping to decoding modes is written against them.
enum class TextEncoding : int {
  Utf8 = 0,
  Utf8Bom = 1,
  ShiftJis = 2,  // also an empty buffer and plain ASCII
  Utf16Le = 3,
  Utf16Be = 4,
  Binary = 5,
};

// Reads exactly `length` bytes; the buffer needs no terminator. Pure: no state, no allocation.
TextEncoding DetectTextEncoding(const unsigned char* bytes, std::size_t length);

// The two scores the decision compares (Shift_JIS wins only when its score is greater).
// -1 means the walk ruled the encoding out.
std::int64_t Utf8Score(const unsigned char* bytes, std::size_t length);
std::int64_t ShiftJisScore(const unsigned char* bytes, std::size_t length);

// How many bytes at the start are below 0x80. Shared with the decoder's fast ASCII runs.
std::size_t AsciiPrefixLength(const unsigned char* bytes, std::size_t length);
