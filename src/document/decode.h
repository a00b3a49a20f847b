// Choosing how to decode a file's bytes, and decoding them to the UTF-16 text the views show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/encoding_detect.h"

// Numeric values are fixed: the `encoding` setting stores 0, 1, 2 or 4 of this numbering.
enum class DecodeMode : int {
  Auto = 0,  // setting only: use detection
  ShiftJis = 1,
  Utf8 = 2,
  Utf8Bom = 3,
  Utf16Le = 4,
  Utf16Be = 5,
  Binary = 6,
};

// A file above this size needs the user's consent to be read whole; No reads this many bytes.
inline constexpr std::uint64_t kLargeFileThreshold = 10485760;
// Detection sees at most this many bytes from the start of the file.
inline constexpr std::size_t kDetectionWindow = 1048576;

inline bool NeedsLargeFileQuestion(std::uint64_t fileSize) {
  return fileSize > kLargeFileThreshold;
}

DecodeMode ModeForEncoding(TextEncoding detected);
// The `encoding` setting forces 1, 2 or 4; anything else means the detected encoding.
// Forced UTF-8 skips a byte-order mark that is there.
DecodeMode ChooseDecodeMode(int encodingSetting, TextEncoding detected, const unsigned char* bytes,
                            std::size_t length);

// "UTF-8(&C)" and so on for the menu; empty for Auto.
std::u16string_view EncodingLabel(DecodeMode mode);

// Code page 932 to UTF-16, supplied by the platform. Given bytes without a zero byte.
using Cp932Decoder = std::u16string (*)(const unsigned char* bytes, std::size_t length);

struct Utf8Decoded {
  std::u16string text;
  bool strict = true;  // false: some sequence was invalid or cut off and became U+FFFD
};
// UTF-8 up to the first zero byte. Invalid input (overlong forms, surrogates, values above
// U+10FFFF, stray or missing continuation bytes, a sequence cut at the end) is not strict; it is
// still decoded, each maximal invalid part becoming one U+FFFD and everything valid kept.
Utf8Decoded DecodeUtf8(const unsigned char* bytes, std::size_t length);

// 16-bit units, skipping the byte-order mark only when it is there (FF FE, or FE FF for big
// endian); a trailing odd byte is dropped and the text ends at the first zero unit.
std::u16string DecodeUtf16(const unsigned char* bytes, std::size_t length, bool bigEndian);

// Keeps CR, LF and 20..7E; every other byte, zero included, becomes a space.
std::u16string SanitizeBinary(const unsigned char* bytes, std::size_t length);

// Shift_JIS text ends at its first zero byte.
std::u16string DecodeShiftJis(const unsigned char* bytes, std::size_t length, Cp932Decoder cp932);

// The text a mode shows for the bytes read.
std::u16string DecodeText(DecodeMode mode, const unsigned char* bytes, std::size_t length,
                          Cp932Decoder cp932);
