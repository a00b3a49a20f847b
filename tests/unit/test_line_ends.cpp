#include "tools/line_ends.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WithCrLf, EveryCrGetsAnLfAndNothingElseChanges) {
  struct Case {
    const char* name;
    std::u16string text;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"three lines", u"one\rtwo\rthree", u"one\r\ntwo\r\nthree"},
      {"trailing line end", u"one\rtwo\r", u"one\r\ntwo\r\n"},
      {"lone LF untouched", u"a\nb\r\nc", u"a\nb\r\n\nc"},
      {"empty", u"", u""},
      {"only line ends", u"\r\r", u"\r\n\r\n"},
      {"no line end", u"\u65e5\u672c\u8a9e\t", u"\u65e5\u672c\u8a9e\t"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CrLfLength(c.text), c.expected.size()) << c.name;
    EXPECT_EQ(WithCrLf(c.text), c.expected) << c.name;
  }
}

// Long texts go through in blocks: line ends at every offset within and across them.
TEST(WithCrLf, LongTextsAsCharacterByCharacter) {
  for (std::size_t length : {15u, 16u, 17u, 18u, 19u, 31u, 33u, 34u, 35u, 100u}) {
    for (std::size_t every : {1u, 2u, 3u, 15u, 16u, 17u, 18u, 40u}) {
      std::u16string text, expected;
      for (std::size_t i = 0; i < length; ++i) {
        const char16_t c =
            i % every == every - 1 ? u'\r' : (i % 7 == 3 ? u'\n' : static_cast<char16_t>(u'a' + i % 26));
        text += c;
        expected += c;
        if (c == u'\r') expected += u'\n';
      }
      EXPECT_EQ(CrLfLength(text), expected.size()) << length << " " << every;
      EXPECT_EQ(WithCrLf(text), expected) << length << " " << every;
    }
  }
}

TEST(WithCrLf, WritesExactlyTheCountedLength) {
  // Long enough for whole blocks, so a block written past the counted end would show.
  const std::u16string text = u"a\r\rbc\r" + std::u16string(40, u'x') + u"\r";
  std::vector<char16_t> out(CrLfLength(text) + 1, u'#');
  char16_t* end = WriteWithCrLf(text, out.data());
  EXPECT_EQ(end, out.data() + CrLfLength(text));
  EXPECT_EQ(out.back(), u'#');  // the slot after stays for the caller's terminator
}

}  // namespace
