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

TEST(WithCrLf, WritesExactlyTheCountedLength) {
  const std::u16string text = u"a\r\rbc\r";
  std::vector<char16_t> out(CrLfLength(text) + 1, u'#');
  char16_t* end = WriteWithCrLf(text, out.data());
  EXPECT_EQ(end, out.data() + CrLfLength(text));
  EXPECT_EQ(out.back(), u'#');  // the slot after stays for the caller's terminator
}

}  // namespace
