// Encoding detection: byte-order marks, a zero byte, plain ASCII, then two scoring walks.
//
// The walks are defined one position at a time, but on long buffers both are computed in bulk:
// - UTF-8: every byte that is not a continuation byte (80..BF) is visited, and what it scores
//   depends only on the three bytes after it, so the score is a plain sum up to the last such byte
//   before the final three positions, where the end rules begin; the exact walk finishes from there.
// - Shift_JIS: whether a byte is a lead or the trail of the lead before it only depends on the
//   run of lead-capable bytes before it, which 64-bit masks resolve a block at a time.
#include "document/encoding_detect.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "app/simd.h"

namespace {

constexpr bool IsContinuation(unsigned c) {
  return (c & 0xC0u) == 0x80u;
}
constexpr bool IsSjisLead(unsigned c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsSjisTrail(unsigned t) {
  return (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
}
constexpr bool IsSjisSingle(unsigned c) {
  return c <= 0x7F || (c >= 0xA1 && c <= 0xDF);
}

// One step of a walk: how far it advances and what it adds; a length of 0 rules the encoding out.
struct WalkStep {
  std::size_t length = 1;
  int score = 0;
  friend bool operator==(const WalkStep&, const WalkStep&) = default;
};

// The UTF-8 rules at a visited position k < n that does not hold an ASCII byte.
WalkStep Utf8StepAt(const unsigned char* b, std::size_t n, std::size_t k) {
  const unsigned c = b[k];
  if (c == 0xA0 || c == 0xFF) return {1, 0};
  if (c <= 0x7F) return {1, 1};
  if (k + 1 >= n) return {1, 0};
  if (c >= 0xC0 && c <= 0xDF && IsContinuation(b[k + 1])) return {2, 2};
  if (k + 2 >= n) return {1, 0};
  if (c >= 0xE0 && c <= 0xEF && IsContinuation(b[k + 1]) && IsContinuation(b[k + 2])) return {3, 3};
  if (k + 3 >= n) return {0, -1};
  if (c >= 0xF0 && c <= 0xF7 && IsContinuation(b[k + 1]) && IsContinuation(b[k + 2]) &&
      IsContinuation(b[k + 3]))
    return {4, 4};
  return {1, 0};
}

// The UTF-8 walk rule by rule, from a position the walk visits, with the score so far.
std::int64_t Utf8WalkFrom(const unsigned char* b, std::size_t n, std::size_t k, std::int64_t u) {
  while (k < n) {
    if (b[k] <= 0x7F) {
      const std::size_t run = AsciiPrefixLength(b + k, n - k);
      u += static_cast<std::int64_t>(run);
      k += run;
      continue;
    }
    const WalkStep step = Utf8StepAt(b, n, k);
    if (step.length == 0) return -1;
    u += step.score;
    k += step.length;
  }
  return u;
}

// What the byte at p scores in the UTF-8 walk away from the end (p + 3 inside the buffer).
// Continuation bytes score nothing whether a sequence took them or the walk stepped over them.
unsigned Utf8Contribution(const unsigned char* p) {
  const unsigned c = p[0];
  if (c < 0x80) return 1;
  if (c < 0xC0) return 0;
  if (c < 0xE0) return IsContinuation(p[1]) ? 2 : 0;
  if (c < 0xF0) return IsContinuation(p[1]) && IsContinuation(p[2]) ? 3 : 0;
  if (c < 0xF8) return IsContinuation(p[1]) && IsContinuation(p[2]) && IsContinuation(p[3]) ? 4 : 0;
  return 0;
}

// Bytes that, visited by the Shift_JIS walk, take the next byte as their trail or rule it out.
constexpr bool IsSjisLeadCapable(unsigned c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFE);
}

// The Shift_JIS rules at a visited position l < n.
WalkStep SjisStepAt(const unsigned char* b, std::size_t n, std::size_t l) {
  const unsigned c = b[l];
  if (c == 0xA0 || c == 0xFF) return {1, 0};
  if (IsSjisSingle(c)) return {1, 1};
  if (l + 1 >= n) return {1, 0};
  if (IsSjisLead(c) && IsSjisTrail(b[l + 1])) return {2, 2};
  return {0, -1};
}

// The Shift_JIS walk rule by rule, from a position the walk visits, with the score so far.
std::int64_t SjisWalkFrom(const unsigned char* b, std::size_t n, std::size_t l, std::int64_t s) {
  while (l < n) {
    if (b[l] <= 0x7F) {
      const std::size_t run = AsciiPrefixLength(b + l, n - l);
      s += static_cast<std::int64_t>(run);
      l += run;
      continue;
    }
    const WalkStep step = SjisStepAt(b, n, l);
    if (step.length == 0) return -1;
    s += step.score;
    l += step.length;
  }
  return s;
}

// Whether the walk over the first p bytes of the file takes the same steps as the walk over the
// whole file, from a position both visit up to p, without a step that runs past p.
template <class Step>
bool EndsCleanly(Step step, const unsigned char* b, std::size_t total, std::size_t from, std::size_t p) {
  std::size_t k = from;
  while (k < p) {
    const WalkStep inFile = step(b, total, k);
    if (!(step(b, p, k) == inFile)) return false;
    if (inFile.length == 0) return true;  // ruled out either way
    k += inFile.length;
  }
  return k == p;
}

// A position at or before q that the UTF-8 walk visits: every byte but a continuation byte is
// visited, and so is a continuation byte after three others, since no lead reaches it.
std::size_t Utf8VisitedAtOrBefore(const unsigned char* b, std::size_t q) {
  for (std::size_t j = q; j + 3 >= q; --j) {
    if (j == 0 || !IsContinuation(b[j])) return j;
  }
  return q;
}

#if VAM_SSE2

__m128i Load16(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
__m128i Splat(int byte) {
  return _mm_set1_epi8(static_cast<char>(byte));
}

// Sums Utf8Contribution over the positions [0, p) for the returned p <= end; reads up to end + 2.
std::size_t Utf8BulkSum(const unsigned char* b, std::size_t end, std::int64_t& u) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c0 = Splat(0xC0), e0 = Splat(0xE0), f0 = Splat(0xF0), f8 = Splat(0xF8), x80 = Splat(0x80);
  const __m128i one = Splat(1), two = Splat(2), three = Splat(3), four = Splat(4), minusOne = Splat(0xFF);
  std::size_t p = 0;
  while (p + 16 <= end) {
    __m128i acc = zero;
    // At most 4 per byte lane and round: 63 rounds stay below 256.
    for (int round = 0; round < 63 && p + 16 <= end; ++round, p += 16) {
      const __m128i v0 = Load16(b + p);
      const __m128i cont1 = _mm_cmpeq_epi8(_mm_and_si128(Load16(b + p + 1), c0), x80);
      const __m128i cont12 = _mm_and_si128(cont1, _mm_cmpeq_epi8(_mm_and_si128(Load16(b + p + 2), c0), x80));
      const __m128i cont123 =
          _mm_and_si128(cont12, _mm_cmpeq_epi8(_mm_and_si128(Load16(b + p + 3), c0), x80));
      const __m128i ascii = _mm_cmpgt_epi8(v0, minusOne);
      const __m128i lead2 = _mm_cmpeq_epi8(_mm_and_si128(v0, e0), c0);
      const __m128i lead3 = _mm_cmpeq_epi8(_mm_and_si128(v0, f0), e0);
      const __m128i lead4 = _mm_cmpeq_epi8(_mm_and_si128(v0, f8), f0);
      __m128i score = _mm_and_si128(ascii, one);
      score = _mm_or_si128(score, _mm_and_si128(_mm_and_si128(lead2, cont1), two));
      score = _mm_or_si128(score, _mm_and_si128(_mm_and_si128(lead3, cont12), three));
      score = _mm_or_si128(score, _mm_and_si128(_mm_and_si128(lead4, cont123), four));
      acc = _mm_add_epi8(acc, score);
    }
    const __m128i sums = _mm_sad_epu8(acc, zero);
    u += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  }
  return p;
}

// Per-byte classes of 64 bytes as bit masks, bit i for byte i.
struct SjisMasks {
  std::uint64_t leadCapable = 0;  // 80..9F, E0..FE: a visited one takes the next byte as its trail
  std::uint64_t skipped = 0;      // A0, FF: scores nothing when visited
  std::uint64_t badLead = 0;      // 80, FD, FE: rules the encoding out when visited
  std::uint64_t badTrail = 0;     // 00..3F, 7F, FD..FF: rules it out as a trail
};

SjisMasks SjisBlockMasks(const unsigned char* p) {
  // Compared as signed bytes: 00..7F are 0..127, 80..FF are -128..-1.
  const __m128i zero = _mm_setzero_si128();
  SjisMasks m;
  for (int i = 0; i < 4; ++i) {
    const __m128i v = Load16(p + 16 * i);
    const __m128i negative = _mm_cmpgt_epi8(zero, v);
    const __m128i from80to9F = _mm_cmpgt_epi8(Splat(0xA0), v);
    const __m128i fromE0toFE = _mm_and_si128(_mm_cmpgt_epi8(v, Splat(0xDF)), _mm_cmpgt_epi8(Splat(0xFF), v));
    const __m128i fromFDtoFF = _mm_and_si128(_mm_cmpgt_epi8(v, Splat(0xFC)), negative);
    const __m128i fromFDtoFE = _mm_and_si128(_mm_cmpgt_epi8(v, Splat(0xFC)), _mm_cmpgt_epi8(Splat(0xFF), v));
    const __m128i below40 = _mm_and_si128(_mm_cmpgt_epi8(v, Splat(0xFF)), _mm_cmpgt_epi8(Splat(0x40), v));
    const __m128i skip = _mm_or_si128(_mm_cmpeq_epi8(v, Splat(0xA0)), _mm_cmpeq_epi8(v, Splat(0xFF)));
    const __m128i badLead = _mm_or_si128(_mm_cmpeq_epi8(v, Splat(0x80)), fromFDtoFE);
    const __m128i badTrail = _mm_or_si128(_mm_or_si128(below40, _mm_cmpeq_epi8(v, Splat(0x7F))), fromFDtoFF);
    const int shift = 16 * i;
    auto bits = [shift](__m128i mask) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(mask))) << shift;
    };
    m.leadCapable |= bits(_mm_or_si128(from80to9F, fromE0toFE));
    m.skipped |= bits(skip);
    m.badLead |= bits(badLead);
    m.badTrail |= bits(badTrail);
  }
  return m;
}

// Scores the blocks of 64 that end before the last position (its rule differs) and returns the
// visited position where the exact walk goes on, or -1 as `s` when the walk rules Shift_JIS out.
std::size_t SjisBulkScore(const unsigned char* b, std::size_t n, std::int64_t& s) {
  constexpr std::uint64_t kEvenBits = 0x5555555555555555u;
  constexpr std::uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAu;
  std::uint64_t carry = 0;  // 1 when the first byte of the block is the trail of the previous one
  std::size_t l = 0;
  for (; l + 64 < n; l += 64) {
    const SjisMasks m = SjisBlockMasks(b + l);
    // Byte i is a trail when byte i-1 is a visited lead-capable byte: along each run of such
    // bytes trails alternate, starting right after the run's first byte.
    const std::uint64_t after = (m.leadCapable << 1) | carry;
    const std::uint64_t starts = after & ~(after << 1);
    const std::uint64_t evenStartRuns = (after + (starts & kOddBits)) & after;
    const std::uint64_t trail = (evenStartRuns & kEvenBits) | (after & ~evenStartRuns & kOddBits);
    const std::uint64_t visited = ~trail;
    if ((visited & m.badLead) != 0 || (trail & m.badTrail) != 0) {
      s = -1;
      return n;
    }
    // Every byte counts one (a pair counts two), except a visited skipped byte.
    s += 64;
    if (const std::uint64_t skipped = visited & m.skipped) s -= std::popcount(skipped);
    carry = (m.leadCapable >> 63) & (visited >> 63);
  }
  if (carry != 0) {
    // The pair across the bulk's end is left to the exact walk, from its lead.
    s -= 1;
    l -= 1;
  }
  return l;
}

// First byte that is 0x00 or above 0x7E, or n.
std::size_t FirstNonPlainByte(const unsigned char* b, std::size_t n) {
  std::size_t i = 0;
  const __m128i one = Splat(1), two = Splat(2);
  // After subtracting 1 the plain bytes 01..7E are 00..7D and every other byte is above; the
  // largest of 128 such bytes plus 2 (saturating) has its high bit set when any is not plain.
  auto lanesAbove = [one](const unsigned char* p) {
    const __m128i a = _mm_max_epu8(_mm_sub_epi8(Load16(p), one), _mm_sub_epi8(Load16(p + 16), one));
    const __m128i c = _mm_max_epu8(_mm_sub_epi8(Load16(p + 32), one), _mm_sub_epi8(Load16(p + 48), one));
    return _mm_max_epu8(a, c);
  };
  for (; i + 128 <= n; i += 128) {
    const __m128i top = _mm_max_epu8(lanesAbove(b + i), lanesAbove(b + i + 64));
    if (_mm_movemask_epi8(_mm_adds_epu8(top, two)) != 0) break;
  }
  for (; i < n; ++i) {
    if (b[i] == 0 || b[i] > 0x7E) return i;
  }
  return n;
}

#else  // no SSE2: the exact walks do all the work, still linear

std::size_t Utf8BulkSum(const unsigned char*, std::size_t, std::int64_t&) {
  return 0;
}
std::size_t SjisBulkScore(const unsigned char*, std::size_t, std::int64_t&) {
  return 0;
}

std::size_t FirstNonPlainByte(const unsigned char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (b[i] == 0 || b[i] > 0x7E) return i;
  }
  return n;
}

#endif

}  // namespace

std::size_t AsciiPrefixLength(const unsigned char* b, std::size_t n) {
  std::size_t i = 0;
#if VAM_SSE2
  for (; i + 64 <= n; i += 64) {
    const __m128i any = _mm_or_si128(_mm_or_si128(Load16(b + i), Load16(b + i + 16)),
                                     _mm_or_si128(Load16(b + i + 32), Load16(b + i + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
  }
  for (; i + 16 <= n; i += 16) {
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(Load16(b + i)));
    if (high != 0) return i + static_cast<std::size_t>(std::countr_zero(high));
  }
#else
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, b + i, 8);
    if ((word & 0x8080808080808080u) != 0) break;
  }
#endif
  while (i < n && b[i] < 0x80) ++i;
  return i;
}

std::int64_t Utf8Score(const unsigned char* b, std::size_t n) {
  // The sum runs up to the last non-continuation byte before the final three positions.
  std::size_t sync = 0;
  if (n >= 4) {
    sync = n - 4;
    while (sync > 0 && IsContinuation(b[sync])) --sync;
  }
  std::int64_t u = 0;
  std::size_t p = Utf8BulkSum(b, sync, u);
  for (; p < sync; ++p) u += Utf8Contribution(b + p);
  return Utf8WalkFrom(b, n, sync, u);
}

std::int64_t ShiftJisScore(const unsigned char* b, std::size_t n) {
  std::int64_t s = 0;
  const std::size_t l = SjisBulkScore(b, n, s);
  return s < 0 ? -1 : SjisWalkFrom(b, n, l, s);
}

TextEncoding DetectTextEncoding(const unsigned char* b, std::size_t n) {
  if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) return TextEncoding::Utf16Le;
  if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) return TextEncoding::Utf16Be;
  if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return TextEncoding::Utf8Bom;
  if (n == 0) return TextEncoding::ShiftJis;
  // One pass finds both a zero byte and the end of plain ASCII.
  const std::size_t first = FirstNonPlainByte(b, n);
  if (first == n) return TextEncoding::ShiftJis;
  if (b[first] == 0 || std::memchr(b + first, 0, n - first) != nullptr) return TextEncoding::Binary;
  // Both walks score the plain prefix one per byte and visit `first`, so scoring the rest alone
  // keeps the comparison as it is.
  const std::int64_t u = Utf8Score(b + first, n - first);
  const std::int64_t s = ShiftJisScore(b + first, n - first);
  return s > u ? TextEncoding::ShiftJis : TextEncoding::Utf8;
}

std::size_t DetectionWindowLength(const unsigned char* b, std::size_t window, std::size_t total) {
  if (total <= window) return total;
  constexpr std::size_t kReach = 16;
  const std::size_t farthest = std::min(total, window + kReach);
  // The Shift_JIS walk visits the byte after any byte that cannot lead, so it is followed from the
  // start of the run of such bytes before the window's end, to the last position it visits there.
  std::size_t runStart = window;
  while (runStart > 0 && IsSjisLeadCapable(b[runStart - 1])) --runStart;
  std::size_t sjisFrom = runStart;
  for (;;) {
    const WalkStep step = SjisStepAt(b, total, sjisFrom);
    if (step.length == 0 || sjisFrom + step.length > window) break;
    sjisFrom += step.length;
  }
  // Ruled out before that run, Shift_JIS is ruled out whatever the end: asked only when it matters.
  int sjisRuledOut = -1;
  // Where no end suits both walks, one that suits UTF-8: a cut there can rule UTF-8 out.
  std::size_t utf8Only = window;
  bool utf8Found = false;
  for (std::size_t p = window; p <= farthest; ++p) {
    const std::size_t utf8From = p >= 4 ? Utf8VisitedAtOrBefore(b, p - 4) : 0;
    if (!EndsCleanly(Utf8StepAt, b, total, utf8From, p)) continue;
    if (EndsCleanly(SjisStepAt, b, total, sjisFrom, p)) return p;
    if (sjisRuledOut < 0) sjisRuledOut = ShiftJisScore(b, runStart) < 0 ? 1 : 0;
    if (sjisRuledOut == 1) return p;
    if (!utf8Found) {
      utf8Only = p;
      utf8Found = true;
    }
  }
  return utf8Only;
}
