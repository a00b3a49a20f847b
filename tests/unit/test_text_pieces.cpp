// Cutting a text into the pieces handed to the control: no piece may end between two units that
// the control reads together.
#include "view/text_pieces.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace {

struct PieceCase {
  const char* name;
  std::u16string text;
  size_t begin;
  size_t maxUnits;
  size_t end;
};

class PieceEndCases : public testing::TestWithParam<PieceCase> {};

TEST_P(PieceEndCases, EndsWhereNothingIsParted) {
  const PieceCase& c = GetParam();
  EXPECT_EQ(PieceEnd(c.text, c.begin, c.maxUnits), c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PieceEndCases,
    testing::Values(PieceCase{"whole text fits", u"abc", 0, 8, 3}, PieceCase{"plain cut", u"abcdef", 0, 4, 4},
                    PieceCase{"CR LF kept together", u"abc\r\ndef", 0, 4, 3},
                    PieceCase{"CR CR LF kept together", u"ab\r\r\ndef", 0, 4, 2},
                    PieceCase{"CR CR LF cut before its LF", u"ab\r\r\ndef", 0, 5, 5},
                    PieceCase{"lone CRs may be cut", u"ab\r\rcd", 0, 3, 3},
                    PieceCase{"a CR at the very end", u"abc\r", 0, 4, 4},
                    PieceCase{"surrogate pair kept together", u"abc\U0001F600d", 0, 4, 3},
                    PieceCase{"lone high surrogate may end a piece", u"ab\xD83D" u"cd", 0, 3, 3},
                    PieceCase{"from the middle", u"abcdef\r\ngh", 4, 3, 6},
                    PieceCase{"nothing left", u"abc", 3, 8, 3}, PieceCase{"past the end", u"abc", 5, 8, 3},
                    PieceCase{"at least one unit", u"\r\n", 0, 1, 1}),
    [](const testing::TestParamInfo<PieceCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

// Pieces of any size from 3 units cover the text in order and never part CR LF, CR CR LF or a
// surrogate pair.
TEST(PieceEnd, RandomTextsAreCoveredAndNeverPartedWhereItMatters) {
  std::mt19937 random(7);
  const char16_t alphabet[] = {u'a', u'\r', u'\n', 0xD83D, 0xDE00};
  for (int round = 0; round < 2000; ++round) {
    std::u16string text(random() % 40, u'a');
    for (char16_t& unit : text) unit = alphabet[random() % 5];
    const size_t maxUnits = 3 + random() % 6;
    for (size_t begin = 0; begin < text.size();) {
      const size_t end = PieceEnd(text, begin, maxUnits);
      ASSERT_GT(end, begin);
      ASSERT_LE(end - begin, maxUnits);
      if (end < text.size()) {
        const char16_t before = text[end - 1], after = text[end];
        EXPECT_FALSE(before == u'\r' && after == u'\n');
        EXPECT_FALSE(before == u'\r' && after == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n');
        EXPECT_FALSE(before == 0xD83D && after == 0xDE00);
      }
      begin = end;
    }
  }
}

}  // namespace
