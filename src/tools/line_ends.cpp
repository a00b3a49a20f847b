#include "tools/line_ends.h"

#include <cstring>

// Both routines walk the text in blocks of a fixed length: a selection of megabytes has few line
// ends, so most blocks hold none and are counted or copied whole, and a loop of a known length is
// one the compiler turns into vector instructions.
namespace {

constexpr std::size_t kBlock = 16;

unsigned CrsInBlock(const char16_t* p) {
  unsigned crs = 0;
  for (std::size_t i = 0; i < kBlock; ++i) crs += p[i] == u'\r';
  return crs;
}

}  // namespace

std::size_t CrLfLength(std::u16string_view text) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  std::size_t crs = 0;
  for (; static_cast<std::size_t>(end - p) >= kBlock; p += kBlock) crs += CrsInBlock(p);
  for (; p != end; ++p) crs += *p == u'\r';
  return text.size() + crs;
}

char16_t* WriteWithCrLf(std::u16string_view text, char16_t* out) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  const auto copyOne = [&out](char16_t c) {
    *out++ = c;
    if (c == u'\r') *out++ = u'\n';
  };
  while (static_cast<std::size_t>(end - p) >= kBlock) {
    // The whole block goes out at once, even when only part of it is kept: the output still needs
    // at least as many characters as the input has left, so this never writes past its end.
    std::memcpy(out, p, kBlock * sizeof(char16_t));
    if (CrsInBlock(p) == 0) {
      out += kBlock;
      p += kBlock;
      continue;
    }
    // Keep up to the first CR of the block; the next block starts right after it.
    std::size_t run = 0;
    while (p[run] != u'\r') ++run;
    out += run;
    *out++ = u'\r';
    *out++ = u'\n';
    p += run + 1;
  }
  for (; p != end; ++p) copyOne(*p);
  return out;
}

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string result(CrLfLength(text), u'\0');
  WriteWithCrLf(text, result.data());
  return result;
}
