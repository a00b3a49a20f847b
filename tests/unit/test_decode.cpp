#include "document/decode.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "reference_utf8.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

Bytes B(std::string_view s) {
  return Bytes(s.begin(), s.end());
}

std::string Units(const std::u16string& t) {
  std::string s;
  for (char16_t c : t) s += std::to_string(static_cast<unsigned>(c)) + ' ';
  return s;
}

// Stands in for code page 932 so the pure rules can be checked: one unit per byte.
std::u16string FakeCp932(const unsigned char* bytes, std::size_t length) {
  std::u16string out;
  for (std::size_t i = 0; i < length; ++i) out += static_cast<char16_t>(0x100 + bytes[i]);
  return out;
}

TEST(ChooseDecodeMode, SettingForcesOneTwoOrFourElseDetectionDecides) {
  const Bytes bom = {0xEF, 0xBB, 0xBF, 'a'};
  const Bytes plain = B("abc");
  struct Case {
    int setting;
    TextEncoding detected;
    const Bytes* bytes;
    DecodeMode expected;
  };
  const std::vector<Case> cases = {
      {1, TextEncoding::Utf8, &plain, DecodeMode::ShiftJis},
      {1, TextEncoding::Binary, &plain, DecodeMode::ShiftJis},
      {2, TextEncoding::ShiftJis, &plain, DecodeMode::Utf8},
      {2, TextEncoding::Utf8Bom, &bom, DecodeMode::Utf8Bom},
      {2, TextEncoding::Binary, &bom, DecodeMode::Utf8Bom},
      {4, TextEncoding::Utf8, &plain, DecodeMode::Utf16Le},
      {4, TextEncoding::Utf16Be, &plain, DecodeMode::Utf16Le},
      {0, TextEncoding::Utf8, &plain, DecodeMode::Utf8},
      {0, TextEncoding::Utf8Bom, &bom, DecodeMode::Utf8Bom},
      {0, TextEncoding::ShiftJis, &plain, DecodeMode::ShiftJis},
      {0, TextEncoding::Utf16Le, &plain, DecodeMode::Utf16Le},
      {0, TextEncoding::Utf16Be, &plain, DecodeMode::Utf16Be},
      {0, TextEncoding::Binary, &plain, DecodeMode::Binary},
      // Values that cannot be forced fall back to detection.
      {3, TextEncoding::ShiftJis, &bom, DecodeMode::ShiftJis},
      {5, TextEncoding::Utf8, &plain, DecodeMode::Utf8},
      {6, TextEncoding::Utf16Le, &plain, DecodeMode::Utf16Le},
      {-1, TextEncoding::Binary, &plain, DecodeMode::Binary},
      {99, TextEncoding::Utf8Bom, &bom, DecodeMode::Utf8Bom},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseDecodeMode(c.setting, c.detected, c.bytes->data(), c.bytes->size()), c.expected)
        << "setting " << c.setting << " detected " << static_cast<int>(c.detected);
  }
  // A mark cut short is no mark.
  const Bytes twoBytes = {0xEF, 0xBB};
  EXPECT_EQ(ChooseDecodeMode(2, TextEncoding::Utf8, twoBytes.data(), twoBytes.size()), DecodeMode::Utf8);
}

TEST(EncodingLabel, OnePerMode) {
  EXPECT_EQ(EncodingLabel(DecodeMode::ShiftJis), u"ShiftJIS(&C)");
  EXPECT_EQ(EncodingLabel(DecodeMode::Utf8), u"UTF-8(&C)");
  EXPECT_EQ(EncodingLabel(DecodeMode::Utf8Bom), u"UTF-8(&C)");
  EXPECT_EQ(EncodingLabel(DecodeMode::Utf16Le), u"UTF-16LE(&C)");
  EXPECT_EQ(EncodingLabel(DecodeMode::Utf16Be), u"UTF-16BE(&C)");
  EXPECT_EQ(EncodingLabel(DecodeMode::Binary), u"BINARY(&C)");
  EXPECT_EQ(EncodingLabel(DecodeMode::Auto), u"");
}

TEST(DecodeText, EachModeOnItsBytes) {
  struct Case {
    const char* name;
    DecodeMode mode;
    Bytes bytes;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"binary keeps CR LF and 20..7E",
       DecodeMode::Binary,
       {'a', '\t', 0x00, 0x7F, 0x80, 0xFF, '\r', '\n', ' ', '~', 0x1F},
       u"a     \r\n ~ "},
      {"binary of nothing", DecodeMode::Binary, {}, u""},
      {"UTF-16LE skips its mark", DecodeMode::Utf16Le, {0xFF, 0xFE, 'A', 0, 'B', 0}, u"AB"},
      {"UTF-16LE without a mark keeps the first character", DecodeMode::Utf16Le, {'A', 0, 'B', 0}, u"AB"},
      {"UTF-16LE drops a trailing odd byte", DecodeMode::Utf16Le, {0xFF, 0xFE, 'A', 0, 'B'}, u"A"},
      {"UTF-16LE ends at a zero unit", DecodeMode::Utf16Le, {0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}, u"A"},
      {"UTF-16LE keeps a zero byte inside a unit", DecodeMode::Utf16Le, {0x00, 0x4E, 0x41, 0x00}, u"\u4E00A"},
      {"UTF-16LE of a lone mark", DecodeMode::Utf16Le, {0xFF, 0xFE}, u""},
      {"UTF-16BE swaps each unit",
       DecodeMode::Utf16Be,
       {0xFE, 0xFF, 0, 'A', 0, 'B', 0x4E, 0x00},
       u"AB\u4E00"},
      {"UTF-16BE without its mark skips nothing", DecodeMode::Utf16Be, {0, 'A', 0xFF, 0xFE}, u"A\uFFFE"},
      {"UTF-16BE keeps surrogate pairs",
       DecodeMode::Utf16Be,
       {0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00},
       u"\U0001F600"},
      {"UTF-8 from the first byte", DecodeMode::Utf8, {0xE6, 0x97, 0xA5, 'a'}, u"\u65E5a"},
      {"UTF-8 with mark skips it", DecodeMode::Utf8Bom, {0xEF, 0xBB, 0xBF, 0xE6, 0x97, 0xA5}, u"\u65E5"},
      {"UTF-8 mode keeps a mark it was not told of", DecodeMode::Utf8, {0xEF, 0xBB, 0xBF, 'a'}, u"\uFEFFa"},
      {"UTF-8 ends at the first zero byte", DecodeMode::Utf8, {'a', 'b', 0, 'c'}, u"ab"},
      {"UTF-8 with mark ends at a zero byte", DecodeMode::Utf8Bom, {0xEF, 0xBB, 0xBF, 0, 'c'}, u""},
      {"UTF-8 falls back on invalid bytes", DecodeMode::Utf8, {'c', 'a', 'f', 0xE9, '!'}, u"caf\uFFFD!"},
      {"Shift_JIS through the converter", DecodeMode::ShiftJis, {0x82, 0xA0, 'a'}, u"\u0182\u01A0\u0161"},
      {"Shift_JIS ends at the first zero byte",
       DecodeMode::ShiftJis,
       {'a', 'b', 0, 'c', 'd'},
       u"\u0161\u0162"},
      {"Shift_JIS of a zero at the start", DecodeMode::ShiftJis, {0, 'a'}, u""},
      {"Shift_JIS of nothing", DecodeMode::ShiftJis, {}, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeText(c.mode, c.bytes.data(), c.bytes.size(), FakeCp932), c.expected)
        << c.name << ": " << Units(DecodeText(c.mode, c.bytes.data(), c.bytes.size(), FakeCp932));
  }
}

TEST(DecodeShiftJis, ConverterIsNotAskedForEmptyText) {
  static int calls = 0;
  auto counting = [](const unsigned char*, std::size_t) {
    ++calls;
    return std::u16string();
  };
  const Bytes zeroFirst = {0, 'a'};
  DecodeShiftJis(zeroFirst.data(), zeroFirst.size(), counting);
  DecodeShiftJis(nullptr, 0, counting);
  EXPECT_EQ(calls, 0);
}

TEST(DecodeUtf8, StrictAcceptsWellFormedAndRejectsTheRestReplacingMaximalParts) {
  struct Case {
    const char* name;
    Bytes bytes;
    bool strict;
    std::u16string text;
  };
  const std::vector<Case> cases = {
      {"ASCII", B("Hello\r\n"), true, u"Hello\r\n"},
      {"two-byte bounds", {0xC2, 0x80, 0xDF, 0xBF}, true, u"\u0080\u07FF"},
      {"three-byte bounds", {0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}, true, u"\u0800\uFFFF"},
      {"around the surrogates", {0xED, 0x9F, 0xBF, 0xEE, 0x80, 0x80}, true, u"\uD7FF\uE000"},
      {"four-byte bounds", {0xF0, 0x90, 0x80, 0x80, 0xF4, 0x8F, 0xBF, 0xBF}, true, u"\U00010000\U0010FFFF"},
      {"Japanese", B("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"), true, u"\u65E5\u672C\u8A9E"},
      {"empty", {}, true, u""},
      {"zero byte ends the text, what follows is not looked at", {'a', 0, 0xFF}, true, u"a"},
      {"overlong two-byte", {0xC0, 0x80, 'a', 0xC1, 0xBF}, false, u"\uFFFD\uFFFDa\uFFFD\uFFFD"},
      {"overlong three-byte",
       {0xE0, 0x80, 0x80, 0xE0, 0x9F, 0xBF},
       false,
       u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"overlong four-byte", {0xF0, 0x8F, 0xBF, 0xBF}, false, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogates",
       {0xED, 0xA0, 0x80, 0xED, 0xBF, 0xBF},
       false,
       u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF",
       {0xF4, 0x90, 0x80, 0x80, 'a', 0xF5, 0x80},
       false,
       u"\uFFFD\uFFFD\uFFFD\uFFFDa\uFFFD\uFFFD"},
      {"bytes never used",
       {0xF8, 0x88, 0x80, 0x80, 0x80, 0xFE, 0xFF},
       false,
       u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"stray continuation", {'a', 0x80, 'b'}, false, u"a\uFFFDb"},
      {"lead without its continuation", {0xE3, 'a', 0xC3, 0xE3, 0x81}, false, u"\uFFFDa\uFFFD\uFFFD"},
      {"cut at the end after two of three", B("\xE3\x81\x82\xE3\x81"), false, u"\u3042\uFFFD"},
      {"cut at the end after three of four", B("a\xF0\x9F\x98"), false, u"a\uFFFD"},
      {"cut at the end after one of two", B("a\xC3"), false, u"a\uFFFD"},
      {"cut before a zero byte", {0xE3, 0x81, 0, 0x82}, false, u"\uFFFD"},
      // Inside a long run of three-byte characters, which is decoded five at a time.
      {"surrogate among kana",
       B("\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xED\xA0\x80\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82"), false,
       u"\u3042\u3042\u3042\uFFFD\uFFFD\uFFFD\u3042\u3042\u3042"},
      {"overlong among kana", B("\xE3\x81\x82\xE0\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82"),
       false, u"\u3042\uFFFD\uFFFD\uFFFD\u3042\u3042\u3042\u3042"},
      {"E0 and ED leads that are fine",
       B("\xE0\xA0\x80\xED\x9F\xBF\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82"), true,
       u"\u0800\uD7FF\u3042\u3042\u3042\u3042"},
      // The usual example of replacing maximal parts.
      {"mixed",
       {0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64},
       false,
       u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
  };
  for (const Case& c : cases) {
    const Utf8Decoded d = DecodeUtf8(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(d.strict, c.strict) << c.name;
    EXPECT_EQ(d.text, c.text) << c.name << ": " << Units(d.text);
  }
}

TEST(DecodeUtf8, TextCutByTheTenMebibyteReadKeepsAllItsCharacters) {
  // U+3042 is three bytes; 10,485,760 = 3 * 3,495,253 + 1 cuts the next one after its lead.
  Bytes file;
  file.reserve(kLargeFileThreshold + 2);
  while (file.size() < kLargeFileThreshold + 2) file.insert(file.end(), {0xE3, 0x81, 0x82});
  const Utf8Decoded whole = DecodeUtf8(file.data(), file.size());
  EXPECT_TRUE(whole.strict);
  EXPECT_EQ(whole.text.size(), file.size() / 3);

  const Bytes cut(file.begin(), file.begin() + kLargeFileThreshold);
  const Utf8Decoded d = DecodeUtf8(cut.data(), cut.size());
  EXPECT_FALSE(d.strict);
  ASSERT_EQ(d.text.size(), 3495253u + 1);
  EXPECT_EQ(d.text.find_first_not_of(u'\u3042'), 3495253u);
  EXPECT_EQ(d.text.back(), u'\uFFFD');
}

TEST(Decoding, RandomBytesOfManyLengthsGoThroughEveryPath) {
  std::mt19937 rng(7);
  const DecodeMode modes[] = {DecodeMode::ShiftJis, DecodeMode::Utf8,    DecodeMode::Utf8Bom,
                              DecodeMode::Utf16Le,  DecodeMode::Utf16Be, DecodeMode::Binary,
                              DecodeMode::Auto};
  for (std::size_t n = 0; n <= 700; n += (n < 100 ? 1 : 17)) {
    for (int noise : {0, 2, 30, 100}) {
      // Exact-size buffers: the sanitizer build sees any read past the end.
      const Bytes b = reference::RandomUtf8ish(rng, n, noise);
      const auto [expected, wellFormed] = reference::ReferenceUtf8Decode(b);
      const Utf8Decoded d = DecodeUtf8(b.data(), b.size());
      if (d.strict != wellFormed || d.text != expected) {
        ADD_FAILURE() << "n " << n << " noise " << noise << ": " << Hex(b) << "\n got " << Units(d.text)
                      << "\n want " << Units(expected);
        return;
      }
      const TextEncoding e = DetectTextEncoding(b.data(), std::min(b.size(), kDetectionWindow));
      for (int setting : {0, 1, 2, 4}) {
        const std::u16string t =
            DecodeText(ChooseDecodeMode(setting, e, b.data(), b.size()), b.data(), b.size(), FakeCp932);
        EXPECT_LE(t.size(), b.size());
      }
      for (DecodeMode m : modes) DecodeText(m, b.data(), b.size(), FakeCp932);
    }
  }
  // Long runs: the measuring pass's per-lane counters at their limit, and long valid stretches.
  for (const Bytes& unit :
       {Bytes{0xF0, 0x9F, 0x98, 0x80}, Bytes{0xE3, 0x81, 0x82}, Bytes{0xC3, 0xA9}, Bytes{'a'}}) {
    Bytes b;
    while (b.size() < 20000) b.insert(b.end(), unit.begin(), unit.end());
    const Utf8Decoded d = DecodeUtf8(b.data(), b.size());
    EXPECT_TRUE(d.strict);
    EXPECT_EQ(d.text, reference::ReferenceUtf8Decode(b).first) << Hex(unit);
  }
  const Bytes noisy = reference::RandomUtf8ish(rng, 50000, 1);
  EXPECT_EQ(DecodeUtf8(noisy.data(), noisy.size()).text, reference::ReferenceUtf8Decode(noisy).first);
}

}  // namespace
