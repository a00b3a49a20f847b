#include "view/text_pieces.h"

#include <algorithm>

namespace {

constexpr char16_t kCr = 0x0D;
constexpr char16_t kLf = 0x0A;

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c < 0xDC00;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c < 0xE000;
}

// Whether a cut before text[at] parts units the control reads together.
bool PartsUnits(std::u16string_view text, std::size_t at) {
  if (at == 0 || at >= text.size()) return false;
  const char16_t before = text[at - 1];
  const char16_t after = text[at];
  if (before == kCr && after == kLf) return true;
  if (before == kCr && after == kCr && at + 1 < text.size() && text[at + 1] == kLf) return true;
  return IsHighSurrogate(before) && IsLowSurrogate(after);
}

}  // namespace

std::size_t PieceEnd(std::u16string_view text, std::size_t begin, std::size_t maxUnits) {
  if (begin >= text.size()) return text.size();
  std::size_t end = begin + std::min(std::max<std::size_t>(maxUnits, 1), text.size() - begin);
  while (end > begin + 1 && PartsUnits(text, end)) --end;
  return end;
}
