// Decoding paths. Each decoder sizes its result once and writes into it directly, so a load holds
// the bytes read and the decoded text and nothing more.
#include "document/decode.h"

#include <cstring>

#include "app/simd.h"

namespace {

constexpr bool IsContinuation(unsigned c) {
  return (c & 0xC0u) == 0x80u;
}

bool StartsWithUtf8Bom(const unsigned char* b, std::size_t n) {
  return n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
}

#if VAM_SSE2
__m128i Load16(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

// Where the text ends (the first zero byte, or n) and how many UTF-16 units it takes if it is
// valid UTF-8: one per byte that is not a continuation byte, one more per four-byte lead.
struct Utf8Extent {
  std::size_t end = 0;
  std::size_t units = 0;
};

Utf8Extent MeasureUtf8(const unsigned char* b, std::size_t n) {
  std::size_t i = 0;
  std::size_t continuation = 0;
  std::size_t fourByteLeads = 0;
#if VAM_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i c0 = _mm_set1_epi8(static_cast<char>(0xC0)), x80 = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i f0 = _mm_set1_epi8(static_cast<char>(0xF0));
  bool zeroSeen = false;
  while (!zeroSeen && i + 16 <= n) {
    __m128i conts = zero, fours = zero;
    // Byte counters: flushed before 256 rounds.
    for (int round = 0; round < 255 && i + 16 <= n; ++round, i += 16) {
      const __m128i v = Load16(b + i);
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) != 0) {
        zeroSeen = true;
        break;
      }
      conts = _mm_sub_epi8(conts, _mm_cmpeq_epi8(_mm_and_si128(v, c0), x80));
      fours = _mm_sub_epi8(fours, _mm_cmpeq_epi8(_mm_and_si128(v, f0), f0));
    }
    const __m128i c = _mm_sad_epu8(conts, zero), f = _mm_sad_epu8(fours, zero);
    continuation += static_cast<std::size_t>(_mm_cvtsi128_si32(c) + _mm_cvtsi128_si32(_mm_srli_si128(c, 8)));
    fourByteLeads += static_cast<std::size_t>(_mm_cvtsi128_si32(f) + _mm_cvtsi128_si32(_mm_srli_si128(f, 8)));
  }
#endif
  for (; i < n && b[i] != 0; ++i) {
    continuation += IsContinuation(b[i]) ? 1 : 0;
    fourByteLeads += b[i] >= 0xF0 ? 1 : 0;
  }
  return {i, i - continuation + fourByteLeads};
}

// One sequence at b[i] (i < end): its code point, or, when invalid, the length of its maximal
// invalid part (a valid lead and the continuation bytes that still fit it), at least 1.
struct Sequence {
  char32_t codePoint = 0;
  unsigned length = 1;
  bool valid = false;
};

Sequence ReadSequence(const unsigned char* b, std::size_t i, std::size_t end) {
  const unsigned c = b[i];
  if (c < 0x80) return {c, 1, true};
  if (c < 0xC2) return {};  // stray continuation, or an overlong two-byte lead
  if (c < 0xE0) {
    if (i + 1 < end && IsContinuation(b[i + 1])) return {((c & 0x1Fu) << 6) | (b[i + 1] & 0x3Fu), 2, true};
    return {};
  }
  if (c < 0xF5) {
    // The second byte's range rules out overlong forms, surrogates and values above U+10FFFF.
    unsigned low = 0x80, high = 0xBF;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
    const unsigned length = c < 0xF0 ? 3 : 4;
    if (i + 1 >= end || b[i + 1] < low || b[i + 1] > high) return {};
    char32_t cp = (c & (length == 3 ? 0x0Fu : 0x07u));
    for (unsigned k = 1; k < length; ++k) {
      if (i + k >= end || !IsContinuation(b[i + k])) return {0, k, false};
      cp = (cp << 6) | (b[i + k] & 0x3Fu);
    }
    return {cp, length, true};
  }
  return {};
}

void Put(char16_t*& out, char32_t cp) {
  if (cp < 0x10000) {
    *out++ = static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

// Decodes from b[i] to end, advancing out. Strict: stops at the first invalid sequence and
// returns its position. Lenient: replaces each maximal invalid part by U+FFFD and goes on.
template <bool Lenient>
std::size_t DecodeRun(const unsigned char* b, std::size_t i, std::size_t end, char16_t*& out) {
  while (i < end) {
    const unsigned c = b[i];
    if (c < 0x80) {
#if VAM_SSE2
      const __m128i zero = _mm_setzero_si128();
      while (i + 16 <= end) {
        const __m128i v = Load16(b + i);
        if (_mm_movemask_epi8(v) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
        i += 16;
        out += 16;
      }
#endif
      while (i < end && b[i] < 0x80) *out++ = b[i++];
      continue;
    }
    // Most text outside ASCII is three bytes a character: a run of them is decoded without the
    // general path, five characters checked at once, then each one checked as one word.
#if VAM_SSE2
    const __m128i shapeMask =
        _mm_setr_epi8(-16, -64, -64, -16, -64, -64, -16, -64, -64, -16, -64, -64, -16, -64, -64, 0);
    const __m128i shape =
        _mm_setr_epi8(-32, -128, -128, -32, -128, -128, -32, -128, -128, -32, -128, -128, -32, -128, -128, 0);
    const __m128i leads = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i e0 = _mm_set1_epi8(static_cast<char>(0xE0)), ed = _mm_set1_epi8(static_cast<char>(0xED));
    while (i + 16 <= end) {
      const __m128i v = Load16(b + i);
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, shapeMask), shape)) != 0xFFFF) break;
      // Only the leads E0 and ED can start an overlong form or a surrogate: checked one by one.
      if (_mm_movemask_epi8(
              _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(v, e0), _mm_cmpeq_epi8(v, ed)), leads)) != 0)
        break;
      // With the marker bits known, the code point is a plain sum: 16-bit wrap drops the lead's
      // marker, 0x2080 is the continuation bytes' markers.
      for (int k = 0; k < 5; ++k, i += 3) {
        *out++ = static_cast<char16_t>((b[i] << 12) + (b[i + 1] << 6) + b[i + 2] - 0x2080);
      }
    }
#endif
    while (i + 2 < end) {
      const std::uint32_t w = b[i] | (std::uint32_t{b[i + 1]} << 8) | (std::uint32_t{b[i + 2]} << 16);
      if ((w & 0xC0C0F0u) != 0x8080E0u) break;
      const std::uint32_t cp = ((w & 0x0Fu) << 12) | ((w & 0x3F00u) >> 2) | ((w >> 16) & 0x3Fu);
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) break;  // overlong or a surrogate
      *out++ = static_cast<char16_t>(cp);
      i += 3;
    }
    if (i >= end) break;
    if (b[i] < 0x80) continue;
    const Sequence seq = ReadSequence(b, i, end);
    if (seq.valid) {
      Put(out, seq.codePoint);
    } else if constexpr (Lenient) {
      *out++ = u'\uFFFD';
    } else {
      return i;
    }
    i += seq.length;
  }
  return i;
}

}  // namespace

DecodeMode ModeForEncoding(TextEncoding detected) {
  switch (detected) {
    case TextEncoding::Utf8:
      return DecodeMode::Utf8;
    case TextEncoding::Utf8Bom:
      return DecodeMode::Utf8Bom;
    case TextEncoding::ShiftJis:
      return DecodeMode::ShiftJis;
    case TextEncoding::Utf16Le:
      return DecodeMode::Utf16Le;
    case TextEncoding::Utf16Be:
      return DecodeMode::Utf16Be;
    case TextEncoding::Binary:
      return DecodeMode::Binary;
  }
  return DecodeMode::Binary;
}

DecodeMode ChooseDecodeMode(int encodingSetting, TextEncoding detected, const unsigned char* bytes,
                            std::size_t length) {
  switch (encodingSetting) {
    case 1:
      return DecodeMode::ShiftJis;
    case 2:
      return StartsWithUtf8Bom(bytes, length) ? DecodeMode::Utf8Bom : DecodeMode::Utf8;
    case 4:
      return DecodeMode::Utf16Le;
    default:
      return ModeForEncoding(detected);
  }
}

std::u16string_view EncodingLabel(DecodeMode mode) {
  switch (mode) {
    case DecodeMode::ShiftJis:
      return u"ShiftJIS(&C)";
    case DecodeMode::Utf8:
    case DecodeMode::Utf8Bom:
      return u"UTF-8(&C)";
    case DecodeMode::Utf16Le:
      return u"UTF-16LE(&C)";
    case DecodeMode::Utf16Be:
      return u"UTF-16BE(&C)";
    case DecodeMode::Binary:
      return u"BINARY(&C)";
    case DecodeMode::Auto:
      break;
  }
  return u"";
}

Utf8Decoded DecodeUtf8(const unsigned char* bytes, std::size_t length) {
  const Utf8Extent extent = MeasureUtf8(bytes, length);
  Utf8Decoded result;
  // Exact for valid text; a valid prefix never writes more than its share of the count.
  result.text.resize(extent.units);
  char16_t* out = result.text.data();
  const std::size_t stop = DecodeRun<false>(bytes, 0, extent.end, out);
  if (stop < extent.end) {
    result.strict = false;
    // Each byte left yields at most one unit (a four-byte character two).
    const auto written = static_cast<std::size_t>(out - result.text.data());
    result.text.resize(written + (extent.end - stop));
    out = result.text.data() + written;
    DecodeRun<true>(bytes, stop, extent.end, out);
  }
  result.text.resize(static_cast<std::size_t>(out - result.text.data()));
  return result;
}

std::u16string DecodeUtf16(const unsigned char* bytes, std::size_t length, bool bigEndian) {
  const unsigned char first = bigEndian ? 0xFE : 0xFF, second = bigEndian ? 0xFF : 0xFE;
  const std::size_t skip = length >= 2 && bytes[0] == first && bytes[1] == second ? 2 : 0;
  const std::size_t units = (length - skip) / 2;
  const unsigned char* p = bytes + skip;
  const std::size_t highByte = bigEndian ? 0 : 1;
  std::u16string text(units, u'\0');
  std::size_t k = 0;
  for (; k < units; ++k, p += 2) {
    const auto unit = static_cast<char16_t>((p[highByte] << 8) | p[1 - highByte]);
    if (unit == 0) break;
    text[k] = unit;
  }
  text.resize(k);
  return text;
}

std::u16string SanitizeBinary(const unsigned char* bytes, std::size_t length) {
  std::u16string text(length, u'\0');  // a zero fill is a memset; every unit is written below
  char16_t* out = text.data();
  std::size_t i = 0;
#if VAM_SSE2
  // Signed compares: 20..7E lie between 1F and 7F, bytes from 80 up are negative.
  const __m128i zero = _mm_setzero_si128(), space = _mm_set1_epi8(' ');
  const __m128i below = _mm_set1_epi8(0x1F), del = _mm_set1_epi8(0x7F);
  const __m128i cr = _mm_set1_epi8(0x0D), lf = _mm_set1_epi8(0x0A);
  for (; i + 16 <= length; i += 16) {
    const __m128i v = Load16(bytes + i);
    const __m128i keep = _mm_or_si128(_mm_and_si128(_mm_cmpgt_epi8(v, below), _mm_cmpgt_epi8(del, v)),
                                      _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    const __m128i r = _mm_or_si128(_mm_and_si128(keep, v), _mm_andnot_si128(keep, space));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(r, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(r, zero));
  }
#endif
  for (; i < length; ++i) {
    const unsigned char c = bytes[i];
    const bool keep = c == 0x0D || c == 0x0A || (c >= 0x20 && c <= 0x7E);
    out[i] = keep ? c : u' ';
  }
  return text;
}

std::u16string DecodeShiftJis(const unsigned char* bytes, std::size_t length, Cp932Decoder cp932) {
  const void* zero = length > 0 ? std::memchr(bytes, 0, length) : nullptr;
  const std::size_t end =
      zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - bytes) : length;
  if (end == 0) return {};
  return cp932(bytes, end);
}

std::u16string DecodeText(DecodeMode mode, const unsigned char* bytes, std::size_t length,
                          Cp932Decoder cp932) {
  switch (mode) {
    case DecodeMode::ShiftJis:
      return DecodeShiftJis(bytes, length, cp932);
    case DecodeMode::Utf8:
      return DecodeUtf8(bytes, length).text;
    case DecodeMode::Utf8Bom: {
      const std::size_t skip = StartsWithUtf8Bom(bytes, length) ? 3 : 0;
      return DecodeUtf8(bytes + skip, length - skip).text;
    }
    case DecodeMode::Utf16Le:
      return DecodeUtf16(bytes, length, false);
    case DecodeMode::Utf16Be:
      return DecodeUtf16(bytes, length, true);
    case DecodeMode::Binary:
      return SanitizeBinary(bytes, length);
    case DecodeMode::Auto:
      break;
  }
  return {};
}
