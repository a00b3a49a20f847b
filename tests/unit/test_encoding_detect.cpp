#include "document/encoding_detect.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "reference_detect.h"

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

TEST(DetectTextEncoding, BulkScoringAgreesWithTheRuleByRuleWalksOnRandomBytes) {
  std::mt19937 rng(20240611);
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (std::size_t n = 60; n <= 1100; n += 61) lengths.push_back(n);
  for (std::size_t n : {1008u, 1023u, 1024u, 1025u, 4099u, 70001u}) lengths.push_back(n);
  for (std::size_t n : lengths) {
    for (int flavour = 0; flavour < 4; ++flavour) {
      for (int round = 0; round < 3; ++round) {
        // Exact size: the sanitizer sees any read past it.
        const Bytes b = reference::TextLikeBytes(rng, n, flavour);
        const std::int64_t u = Utf8Score(b.data(), b.size());
        const std::int64_t s = ShiftJisScore(b.data(), b.size());
        const TextEncoding e = DetectTextEncoding(b.data(), b.size());
        if (u != reference::ReferenceUtf8Score(b) || s != reference::ReferenceSjisScore(b) ||
            e != reference::ReferenceDetect(b)) {
          ADD_FAILURE() << "length " << n << " flavour " << flavour << ": u " << u << " vs "
                        << reference::ReferenceUtf8Score(b) << ", s " << s << " vs "
                        << reference::ReferenceSjisScore(b) << ", " << Name(e) << " vs "
                        << Name(reference::ReferenceDetect(b)) << "\n"
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
      EXPECT_EQ(Utf8Score(b.data(), n), reference::ReferenceUtf8Score(b)) << Hex(unit) << n;
      EXPECT_EQ(ShiftJisScore(b.data(), n), reference::ReferenceSjisScore(b)) << Hex(unit) << n;
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
      {"Shift_JIS ruled out before: its pair may be cut", {0xFA, 0x01, 'a', 0x82, 0xA0, 'b', 'c', 'd'}, 4, 4},
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
