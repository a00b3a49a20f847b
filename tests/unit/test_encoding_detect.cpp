#include "document/encoding_detect.h"

#include <gtest/gtest.h>

#include "bytes.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::optional<std::int64_t> kNotScored = std::nullopt;

const char* Name(TextEncoding e) {
  switch (e) {
    case TextEncoding::Utf8:
      return "Utf8";
    case TextEncoding::Utf8Bom:
      return "Utf8Bom";
    case TextEncoding::ShiftJis:
      return "ShiftJis";
    case TextEncoding::Utf16Le:
      return "Utf16Le";
    case TextEncoding::Utf16Be:
      return "Utf16Be";
    case TextEncoding::Binary:
      return "Binary";
  }
  return "?";
}

TEST(DetectTextEncoding, TableOfBytesScoresAndResults) {
  struct Case {
    Bytes bytes;
    std::optional<std::int64_t> u, s;  // only where the decision reaches the scores
    TextEncoding expected;
  };
  const std::vector<Case> cases = {
      {{}, kNotScored, kNotScored, TextEncoding::ShiftJis},
      {{0x61, 0x62, 0x63}, kNotScored, kNotScored, TextEncoding::ShiftJis},
      {{0x61, 0x62, 0x63, 0x7F}, 4, 4, TextEncoding::Utf8},
      {{0xFF, 0xFE}, kNotScored, kNotScored, TextEncoding::Utf16Le},
      {{0xFE, 0xFF, 0x00, 0x41}, kNotScored, kNotScored, TextEncoding::Utf16Be},
      {{0xEF, 0xBB, 0xBF}, kNotScored, kNotScored, TextEncoding::Utf8Bom},
      {{0xFF, 0xFE, 0x41, 0x00}, kNotScored, kNotScored, TextEncoding::Utf16Le},
      {{0x61, 0x00, 0x62}, kNotScored, kNotScored, TextEncoding::Binary},
      {{0xE3, 0x81, 0x82, 0xE3, 0x81, 0x84, 0xE3, 0x81, 0x86}, 9, 8, TextEncoding::Utf8},
      {{0xE3, 0x81, 0x82, 0xE3, 0x81, 0x84, 0xE3, 0x81, 0x86, 0x0D, 0x0A}, 11, -1, TextEncoding::Utf8},
      {{0x82, 0xA0, 0x82, 0xA2, 0x82, 0xA4}, -1, 6, TextEncoding::ShiftJis},
      {{0x82, 0xA0, 0x0D, 0x0A}, 2, 4, TextEncoding::ShiftJis},
      {{0x8A, 0xBF, 0x8E, 0x9A, 0x0D, 0x0A}, -1, 6, TextEncoding::ShiftJis},
      {{0xB1, 0xB2, 0xB3}, -1, 3, TextEncoding::ShiftJis},
      {{0xC3, 0xA9}, 2, 2, TextEncoding::Utf8},
      {{0x61, 0xF0, 0x9F, 0x98, 0x80, 0x62}, 6, 6, TextEncoding::Utf8},
      {{0x61, 0x62, 0xF0, 0x9F, 0x98}, -1, 4, TextEncoding::ShiftJis},
      {{0x61, 0x62, 0x63, 0xE3, 0x81}, 3, 5, TextEncoding::ShiftJis},
      {{0x61, 0x62, 0x63, 0x80, 0x64, 0x65}, -1, -1, TextEncoding::Utf8},
      {{0x63, 0x61, 0x66, 0xE9}, 3, 3, TextEncoding::Utf8},
      {{0x63, 0x61, 0x66, 0xE9, 0x21}, 4, -1, TextEncoding::Utf8},
      {{0x80}, 0, 0, TextEncoding::Utf8},
      {{0xFF, 0x61, 0x62, 0x63}, 3, 3, TextEncoding::Utf8},
      {{0xA0, 0x61, 0x62, 0x63}, 3, 3, TextEncoding::Utf8},
      // A byte-order mark needs its second byte; FE or FF alone go on to scoring.
      {{0xFF}, 0, 0, TextEncoding::Utf8},
      {{0xFE, 0x41}, 1, -1, TextEncoding::Utf8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.bytes));
    EXPECT_STREQ(Name(DetectTextEncoding(c.bytes.data(), c.bytes.size())), Name(c.expected));
    if (c.u) {
      EXPECT_EQ(Utf8Score(c.bytes.data(), c.bytes.size()), *c.u);
    }
    if (c.s) {
      EXPECT_EQ(ShiftJisScore(c.bytes.data(), c.bytes.size()), *c.s);
    }
  }
}

// The walks written out one rule at a time, as plainly as possible, to hold the bulk scoring to.
bool Cont(unsigned c) {
  return c >= 0x80 && c <= 0xBF;
}

std::int64_t ReferenceUtf8(const Bytes& b) {
  const std::size_t n = b.size();
  std::int64_t u = 0;
  for (std::size_t k = 0; k < n;) {
    const unsigned c = b[k];
    if (c == 0xA0 || c == 0xFF) {
      k += 1;
    } else if (c <= 0x7F) {
      u += 1, k += 1;
    } else if (k + 1 >= n) {
      k += 1;
    } else if (c >= 0xC0 && c <= 0xDF && Cont(b[k + 1])) {
      u += 2, k += 2;
    } else if (k + 2 >= n) {
      k += 1;
    } else if (c >= 0xE0 && c <= 0xEF && Cont(b[k + 1]) && Cont(b[k + 2])) {
      u += 3, k += 3;
    } else if (k + 3 >= n) {
      return -1;
    } else if (c >= 0xF0 && c <= 0xF7 && Cont(b[k + 1]) && Cont(b[k + 2]) && Cont(b[k + 3])) {
      u += 4, k += 4;
    } else {
      k += 1;
    }
  }
  return u;
}

std::int64_t ReferenceSjis(const Bytes& b) {
  const std::size_t n = b.size();
  std::int64_t s = 0;
  for (std::size_t l = 0; l < n;) {
    const unsigned c = b[l];
    if (c == 0xA0 || c == 0xFF) {
      l += 1;
    } else if (c <= 0x7F || (c >= 0xA1 && c <= 0xDF)) {
      s += 1, l += 1;
    } else if (l + 1 >= n) {
      l += 1;
    } else {
      const unsigned t = b[l + 1];
      const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      const bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
      if (!lead || !trail) return -1;
      s += 2, l += 2;
    }
  }
  return s;
}

TextEncoding ReferenceDetect(const Bytes& b) {
  const std::size_t n = b.size();
  if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) return TextEncoding::Utf16Le;
  if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) return TextEncoding::Utf16Be;
  if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return TextEncoding::Utf8Bom;
  if (n == 0) return TextEncoding::ShiftJis;
  for (unsigned char c : b)
    if (c == 0) return TextEncoding::Binary;
  bool ascii = true;
  for (unsigned char c : b) ascii = ascii && c <= 0x7E;
  if (ascii) return TextEncoding::ShiftJis;
  return ReferenceSjis(b) > ReferenceUtf8(b) ? TextEncoding::ShiftJis : TextEncoding::Utf8;
}

// Byte strings that keep both walks alive for long stretches, with noise that ends them.
Bytes Generate(std::mt19937& rng, std::size_t length, int flavour) {
  auto pick = [&rng](int lo, int hi) {
    return static_cast<unsigned char>(std::uniform_int_distribution<int>(lo, hi)(rng));
  };
  auto chance = [&rng](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
  Bytes b;
  while (b.size() < length) {
    if (flavour == 0 || chance(flavour == 3 ? 20 : 1)) {
      b.push_back(pick(0, 255));  // anything, zero included
    } else if (chance(25)) {
      b.push_back(chance(10) ? 0x0A : pick(0x20, 0x7E));
    } else if (flavour == 1) {  // Shift_JIS-like: half-width kana and lead/trail pairs
      if (chance(15)) {
        b.push_back(pick(0xA1, 0xDF));
      } else {
        b.push_back(chance(50) ? pick(0x81, 0x9F) : pick(0xE0, 0xFC));
        b.push_back(chance(30) ? pick(0x40, 0x7E) : pick(0x80, 0xFC));
      }
    } else {  // UTF-8-like bit patterns, valid or not
      const int len = std::uniform_int_distribution<int>(2, 4)(rng);
      b.push_back(len == 2 ? pick(0xC0, 0xDF) : len == 3 ? pick(0xE0, 0xEF) : pick(0xF0, 0xF7));
      for (int k = 1; k < len; ++k) b.push_back(pick(0x80, 0xBF));
    }
  }
  b.resize(length);
  return b;
}

TEST(DetectTextEncoding, BulkScoringAgreesWithTheRuleByRuleWalksOnRandomBytes) {
  std::mt19937 rng(20240611);
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (std::size_t n = 60; n <= 1100; n += 61) lengths.push_back(n);
  for (std::size_t n : {1008u, 1023u, 1024u, 1025u, 4099u, 70001u}) lengths.push_back(n);
  for (std::size_t n : lengths) {
    for (int flavour = 0; flavour < 4; ++flavour) {
      for (int round = 0; round < 3; ++round) {
        const Bytes b = Generate(rng, n, flavour);  // exact size: the sanitizer sees any read past it
        const std::int64_t u = Utf8Score(b.data(), b.size());
        const std::int64_t s = ShiftJisScore(b.data(), b.size());
        const TextEncoding e = DetectTextEncoding(b.data(), b.size());
        if (u != ReferenceUtf8(b) || s != ReferenceSjis(b) || e != ReferenceDetect(b)) {
          ADD_FAILURE() << "length " << n << " flavour " << flavour << ": u " << u << " vs "
                        << ReferenceUtf8(b) << ", s " << s << " vs " << ReferenceSjis(b) << ", " << Name(e)
                        << " vs " << Name(ReferenceDetect(b)) << "\n"
                        << (n <= 64 ? Hex(b) : std::string());
          return;
        }
      }
    }
  }
  // Long uniform runs: the bulk's per-lane counters and its carries across blocks at their limits.
  for (const Bytes& unit : {Bytes{0xF0, 0x9F, 0x98, 0x80}, Bytes{0xE3, 0x81, 0x82}, Bytes{0x82, 0xA0},
                            Bytes{0x81}, Bytes{0xB1}, Bytes{'a'}}) {
    for (std::size_t n : {4096u, 4097u, 4099u}) {
      Bytes b;
      while (b.size() < n) b.insert(b.end(), unit.begin(), unit.end());
      b.resize(n);
      EXPECT_EQ(Utf8Score(b.data(), n), ReferenceUtf8(b)) << Hex(unit) << n;
      EXPECT_EQ(ShiftJisScore(b.data(), n), ReferenceSjis(b)) << Hex(unit) << n;
    }
  }
}

TEST(DetectTextEncoding, OneOddByteAnywhereInLongAsciiDecides) {
  // Plain ASCII is found in bulk; a single zero byte or byte above 7E must be found wherever it is.
  for (std::size_t n : {1u, 63u, 64u, 65u, 200u}) {
    for (std::size_t at = 0; at < n; ++at) {
      Bytes b(n, 'a');
      b[at] = 0x00;
      EXPECT_EQ(DetectTextEncoding(b.data(), n), TextEncoding::Binary) << n << " " << at;
      b[at] = 0x7F;  // u and s both n: a tie
      EXPECT_EQ(DetectTextEncoding(b.data(), n), TextEncoding::Utf8) << n << " " << at;
    }
    const Bytes plain(n, '~');
    EXPECT_EQ(DetectTextEncoding(plain.data(), n), TextEncoding::ShiftJis);
  }
}

TEST(DetectionWindowLength, EndsWhereNeitherWalkIsCutWhenTheFileGoesOn) {
  struct Case {
    const char* name;
    Bytes bytes;  // the file
    std::size_t window;
    std::size_t expected;
  };
  const Bytes japanese = {0xE3, 0x81, 0x82, 0xE3, 0x81, 0x84, 0xE3, 0x81, 0x82, 'a'};
  const Bytes latin1Run(100, 0xC3);
  const std::vector<Case> cases = {
      {"file within the window: whole, even when it ends inside a character", {'a', 0xF0, 0x9F, 0x98}, 4, 4},
      {"file shorter than the window", {'a', 0xE3, 0x81}, 8, 3},
      {"plain text: the window", {'a', 'b', 'c', 'd', 'e'}, 4, 4},
      {"character ending at the window", {'a', 0xC3, 0xA9, 'b', 'c'}, 3, 3},
      {"four-byte character cut after three", {'a', 'b', 0xF0, 0x9F, 0x98, 0x80, 'c'}, 5, 6},
      {"four-byte character cut after one", {'a', 'b', 0xF0, 0x9F, 0x98, 0x80, 'c'}, 3, 6},
      {"two-byte character cut after its lead", {'a', 'b', 0xC3, 0xA9, 'c'}, 3, 4},
      {"up to the file's own end", {'a', 'b', 0xC3, 0xA9}, 3, 4},
      {"stray byte three from the end would rule UTF-8 out", {'a', 0xE9, 'b', 'c', 'd', 'e'}, 4, 5},
      {"Shift_JIS pair cut after its lead", {'a', 'b', 0x82, 0xA0, 'c', 'd', 'e'}, 3, 4},
      {"a lead byte that is a trail here is no cut", {0x82, 0x82, 'a', 'b', 'c', 'd'}, 2, 2},
      {"pairs counted from the start of the lead bytes",
       {'a', 'a', 'a', 0x82, 0xA0, 0x82, 0xA0, 'a', 'a'},
       6,
       7},
      {"a UTF-8 end inside a Shift_JIS pair is passed over", japanese, 3, 6},
      {"Japanese UTF-8 cut inside a character", japanese, 4, 6},
      {"no end suits UTF-8 nearby: the window", latin1Run, 20, 20},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectionWindowLength(c.bytes.data(), c.window, c.bytes.size()), c.expected) << c.name;
  }
  // Where every end cuts one walk or the other, the first that suits UTF-8.
  Bytes both;
  for (int i = 0; i < 40; ++i) both.insert(both.end(), {0xC2, 0x81});
  EXPECT_EQ(DetectionWindowLength(both.data(), 31, both.size()), 32u);
}

TEST(DetectionWindowLength, KeepsAFileCutAtTheMebibyteInItsEncoding) {
  // 1,048,573 ASCII bytes and a four-byte character: the first mebibyte ends inside it.
  Bytes utf8(1048573, 'a');
  utf8.insert(utf8.end(), {0xF0, 0x9F, 0x98, 0x80, 'b'});
  constexpr std::size_t kMebibyte = 1048576;
  EXPECT_EQ(DetectTextEncoding(utf8.data(), kMebibyte), TextEncoding::ShiftJis);  // cut at the mebibyte
  EXPECT_EQ(DetectTextEncoding(utf8.data(), DetectionWindowLength(utf8.data(), kMebibyte, utf8.size())),
            TextEncoding::Utf8);
  // The file's own end still cuts as before.
  EXPECT_EQ(DetectionWindowLength(utf8.data(), kMebibyte, kMebibyte), kMebibyte);

  // A Shift_JIS file whose first pair stands across the mebibyte is plain text within it.
  Bytes sjis(kMebibyte - 1, 'a');
  sjis.insert(sjis.end(), {0x82, 0xA0, 0x82, 0xA2});
  EXPECT_EQ(DetectTextEncoding(sjis.data(), kMebibyte), TextEncoding::Utf8);
  EXPECT_EQ(DetectTextEncoding(sjis.data(), DetectionWindowLength(sjis.data(), kMebibyte, sjis.size())),
            TextEncoding::ShiftJis);
}

TEST(AsciiPrefixLength, StopsAtTheFirstHighByte) {
  for (std::size_t n : {0u, 7u, 16u, 64u, 130u}) {
    Bytes b(n, 0x7F);
    EXPECT_EQ(AsciiPrefixLength(b.data(), n), n);
    for (std::size_t at = 0; at < n; ++at) {
      b[at] = 0x80;
      EXPECT_EQ(AsciiPrefixLength(b.data(), n), at);
      b[at] = 0x00;
    }
  }
}

}  // namespace
