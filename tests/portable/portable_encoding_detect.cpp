// document/encoding_detect.cpp with its portable paths, in a namespace of its own.
#ifndef VAM_NO_SIMD
#define VAM_NO_SIMD 1
#endif

#include "portable.h"

// Every standard header the source includes, first, so that its includes inside the namespace
// below find them done.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace portable::impl {
#include "document/encoding_detect.cpp"
}  // namespace portable::impl

namespace portable {

int DetectTextEncoding(const unsigned char* bytes, std::size_t length) {
  return static_cast<int>(impl::DetectTextEncoding(bytes, length));
}
std::int64_t Utf8Score(const unsigned char* bytes, std::size_t length) {
  return impl::Utf8Score(bytes, length);
}
std::int64_t ShiftJisScore(const unsigned char* bytes, std::size_t length) {
  return impl::ShiftJisScore(bytes, length);
}
std::size_t AsciiPrefixLength(const unsigned char* bytes, std::size_t length) {
  return impl::AsciiPrefixLength(bytes, length);
}

}  // namespace portable
