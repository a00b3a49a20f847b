// document/decode.cpp with its portable paths, in a namespace of its own. Its detection is the
// portable one of portable_encoding_detect.cpp.
#include "portable.h"

// The standard headers the source includes, first (see portable.h).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace portable::impl {
#include "document/decode.cpp"
}  // namespace portable::impl

namespace portable {

std::u16string DecodeUtf8(const unsigned char* bytes, std::size_t length, bool& strict) {
  impl::Utf8Decoded decoded = impl::DecodeUtf8(bytes, length);
  strict = decoded.strict;
  return std::move(decoded.text);
}
std::u16string SanitizeBinary(const unsigned char* bytes, std::size_t length) {
  return impl::SanitizeBinary(bytes, length);
}
std::u16string DecodeText(int mode, const unsigned char* bytes, std::size_t length,
                          std::u16string (*cp932)(const unsigned char* bytes, std::size_t length)) {
  return impl::DecodeText(static_cast<impl::DecodeMode>(mode), bytes, length, cp932);
}

}  // namespace portable
