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

// How many of a file's first bytes detection looks at: the whole file when it has at most `window`
// bytes. A longer file is judged on `window` bytes, or up to 16 more so that the end does not fall
// inside a UTF-8 character or a Shift_JIS pair (nor three bytes after a stray byte): the rules for
// the last bytes are meant for the file's own end, and there a cut character rules UTF-8 out.
// Where no end suits both walks, the first that suits UTF-8 is taken, else `window`.
std::size_t DetectionWindowLength(const unsigned char* bytes, std::size_t window, std::size_t total);

// The two scores the decision compares (Shift_JIS wins only when its score is greater).
// -1 means the walk ruled the encoding out.
std::int64_t Utf8Score(const unsigned char* bytes, std::size_t length);
std::int64_t ShiftJisScore(const unsigned char* bytes, std::size_t length);

// How many bytes at the start are below 0x80. Shared with the decoder's fast ASCII runs.
std::size_t AsciiPrefixLength(const unsigned char* bytes, std::size_t length);
