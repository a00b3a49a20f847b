// tools/line_ends.cpp with its portable paths, in a namespace of its own.
#include "portable.h"

// The standard headers the source includes, first (see portable.h).
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace portable::impl {
#include "tools/line_ends.cpp"
}  // namespace portable::impl

namespace portable {

std::size_t CrLfLength(std::u16string_view text) {
  return impl::CrLfLength(text);
}
char16_t* WriteWithCrLf(std::u16string_view text, char16_t* out) {
  return impl::WriteWithCrLf(text, out);
}

}  // namespace portable
