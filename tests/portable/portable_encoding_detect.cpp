// document/encoding_detect.cpp with its portable paths, in a namespace of its own.
#include "portable.h"

// The standard headers the source includes, first (see portable.h).
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
