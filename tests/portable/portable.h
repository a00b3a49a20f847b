// The portable paths, as built with VAM_NO_SIMD and as the 32-bit program runs them, beside the
// fast ones in one program, so that tests and fuzz targets can hold the two to each other.
//
// The sources with both kinds of path are compiled a second time with VAM_NO_SIMD, each included
// inside namespace portable::impl by a portable_*.cpp file here. Every standard header a source
// includes is included before the namespace opens, so that its own includes find them done (one
// missed is a loud compile error, never a silent mix). This header gives the entry points with
// plain types only, so that it can be included together with the real headers; enumerations pass
// as their values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace portable {

// document/encoding_detect.h
int DetectTextEncoding(const unsigned char* bytes, std::size_t length);
std::int64_t Utf8Score(const unsigned char* bytes, std::size_t length);
std::int64_t ShiftJisScore(const unsigned char* bytes, std::size_t length);
std::size_t AsciiPrefixLength(const unsigned char* bytes, std::size_t length);

// document/decode.h
std::u16string DecodeUtf8(const unsigned char* bytes, std::size_t length, bool& strict);
std::u16string SanitizeBinary(const unsigned char* bytes, std::size_t length);
std::u16string DecodeText(int mode, const unsigned char* bytes, std::size_t length,
                          std::u16string (*cp932)(const unsigned char* bytes, std::size_t length));

// tools/line_ends.h
std::size_t CrLfLength(std::u16string_view text);
char16_t* WriteWithCrLf(std::u16string_view text, char16_t* out);

}  // namespace portable
