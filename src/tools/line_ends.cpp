#include "tools/line_ends.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "app/simd.h"

// A selection can be megabytes; the copy should cost about what copying it costs. With SSE2 the
// text is compared eight code units at a time; elsewhere a plain loop does the same work.
namespace {

char16_t* WriteTail(const char16_t* p, const char16_t* end, char16_t* out) {
  for (; p != end; ++p) {
    *out++ = *p;
    if (*p == u'\r') *out++ = u'\n';
  }
  return out;
}

std::size_t CountCrsTail(const char16_t* p, const char16_t* end) {
  return static_cast<std::size_t>(std::count(p, end, u'\r'));
}

#if VAM_SSE2

__m128i Load(const char16_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
void Store(char16_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

std::size_t CountCrs(const char16_t* p, const char16_t* end) {
  const __m128i cr = _mm_set1_epi16(u'\r');
  std::size_t crs = 0;
  while (end - p >= 8) {
    // Eight 16-bit counters, folded into crs before they can pass the signed 16-bit range.
    __m128i counters = _mm_setzero_si128();
    const std::size_t steps = std::min<std::size_t>(static_cast<std::size_t>(end - p) / 8, 0x7FFF);
    for (std::size_t i = 0; i < steps; ++i, p += 8) {
      counters = _mm_sub_epi16(counters, _mm_cmpeq_epi16(Load(p), cr));
    }
    alignas(16) std::int32_t sums[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_madd_epi16(counters, _mm_set1_epi16(1)));
    crs += static_cast<std::size_t>(sums[0]) + static_cast<std::size_t>(sums[1]) +
           static_cast<std::size_t>(sums[2]) + static_cast<std::size_t>(sums[3]);
  }
  return crs + CountCrsTail(p, end);
}

char16_t* Write(const char16_t* p, const char16_t* end, char16_t* out) {
  const __m128i cr = _mm_set1_epi16(u'\r');
  constexpr std::ptrdiff_t kBlock = 16;
  // Each step stores a whole block and keeps it up to its first CR, followed by CR LF; what lies
  // past the kept part is overwritten by the next step or the tail. While at least two code units
  // follow the block, the output has room for all of that, since it needs at least as many
  // characters as the input has left.
  while (end - p >= kBlock + 2) {
    const __m128i low = Load(p), high = Load(p + 8);
    Store(out, low);
    Store(out + 8, high);
    const auto crBits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(low, cr))) |
                        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(high, cr))) << 16;
    if (crBits == 0) {  // most blocks: lines are longer than a block
      out += kBlock;
      p += kBlock;
      continue;
    }
    const auto run = static_cast<std::size_t>(std::countr_zero(crBits)) / 2;  // two bits per code unit
    out[run] = u'\r';
    out[run + 1] = u'\n';
    out += run + 2;
    p += run + 1;
  }
  return WriteTail(p, end, out);
}

#else

std::size_t CountCrs(const char16_t* p, const char16_t* end) {
  return CountCrsTail(p, end);
}
char16_t* Write(const char16_t* p, const char16_t* end, char16_t* out) {
  return WriteTail(p, end, out);
}

#endif

}  // namespace

std::size_t CrLfLength(std::u16string_view text) {
  return text.size() + CountCrs(text.data(), text.data() + text.size());
}

char16_t* WriteWithCrLf(std::u16string_view text, char16_t* out) {
  return Write(text.data(), text.data() + text.size(), out);
}

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string result(CrLfLength(text), u'\0');
  WriteWithCrLf(text, result.data());
  return result;
}
