// The settings file's words, numbers and bounds, and where a saved window rectangle is placed.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/settings.h"

namespace {

TEST(SettingsWords, FlagIsOnOnlyForOnInAnyCase) {
  struct Case {
    std::u16string word;
    int flag;
  };
  const std::vector<Case> cases = {
      {u"ON", 1},  {u"on", 1},  {u"oN", 1},           {u"On", 1}, {u"OFF", 0},
      {u"1", 0},   {u"yes", 0}, {u"TRUE", 0},         {u"", 0},   {u" ON", 0},
      {u"ONN", 0}, {u"O", 0},   {u"\uFF2F\uFF2E", 0},  // full-width ＯＮ
  };
  for (const Case& c : cases)
    EXPECT_EQ(FlagFromWord(c.word), c.flag) << std::string(c.word.begin(), c.word.end());
  EXPECT_EQ(WordFromFlag(1), u"ON");
  for (int off : {0, 2, -1, INT_MAX}) EXPECT_EQ(WordFromFlag(off), u"OFF") << off;
}

TEST(SettingsWords, EncodingWordsBothWays) {
  struct Case {
    std::u16string word;
    int encoding;
  };
  const std::vector<Case> read = {
      {u"AUTO", 0},  {u"ShiftJIS", 1}, {u"shiftjis", 1}, {u"SHIFTJIS", 1},  {u"UTF-8", 2},
      {u"utf-8", 2}, {u"UTF-16LE", 4}, {u"utf-16le", 4}, {u"Shift_JIS", 0}, {u"UTF-16BE", 0},
      {u"UTF8", 0},  {u"", 0},         {u"3", 0},        {u"UTF-16", 0},
  };
  for (const Case& c : read)
    EXPECT_EQ(EncodingFromWord(c.word), c.encoding) << std::string(c.word.begin(), c.word.end());

  const std::vector<Case> written = {{u"AUTO", 0}, {u"ShiftJIS", 1}, {u"UTF-8", 2}, {u"UTF-16LE", 4},
                                     {u"AUTO", 3}, {u"AUTO", 5},     {u"AUTO", -1}};
  for (const Case& c : written) EXPECT_EQ(WordFromEncoding(c.encoding), c.word) << c.encoding;
}

TEST(SettingsNumbers, WrittenWithALeadingSpace) {
  struct Case {
    int value;
    std::u16string text;
  };
  const std::vector<Case> cases = {{10, u" 10"},
                                   {0, u" 0"},
                                   {-120, u" -120"},
                                   {2048, u" 2048"},
                                   {INT_MAX, u" 2147483647"},
                                   {INT_MIN, u" -2147483648"}};
  for (const Case& c : cases) EXPECT_EQ(SettingNumberText(c.value), c.text) << c.value;
}

TEST(SettingsNumbers, FontSizeKeptWithinDrawableBounds) {
  const std::vector<std::pair<int, int>> cases = {{10, 10}, {1, 1},       {1638, 1638}, {0, 1},
                                                  {-5, 1},  {1639, 1638}, {INT_MIN, 1}, {INT_MAX, 1638}};
  for (auto [read, kept] : cases) EXPECT_EQ(FontSizeInBounds(read), kept) << read;
}

TEST(SettingsFontName, DefaultIsTheJapaneseGothicFace) {
  EXPECT_EQ(std::u16string_view(kDefaultFontName), u"ＭＳ ゴシック");
  EXPECT_EQ(std::u16string_view(kDefaultFontName).size(), 7u);
}

TEST(SettingsFontName, CutTo31UnitsWithoutHalfAPair) {
  const std::u16string forty = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
  ASSERT_EQ(forty.size(), 40u);
  struct Case {
    std::u16string name;
    std::u16string kept;
  };
  const std::u16string thirty(30, u'x');
  const std::vector<Case> cases = {
      {forty, forty.substr(0, 31)},
      {u"ＭＳ ゴシック", u"ＭＳ ゴシック"},
      {std::u16string(31, u'y'), std::u16string(31, u'y')},
      {u"", u""},
      // A pair that would straddle the cut is dropped whole; one that fits is kept.
      {thirty + u"\U0001F600", thirty},
      {std::u16string(29, u'x') + u"\U0001F600" + u"z", std::u16string(29, u'x') + u"\U0001F600"},
  };
  for (const Case& c : cases) {
    AppSettings settings;
    std::fill(std::begin(settings.fontName), std::end(settings.fontName), u'#');
    SetFontName(settings, c.name);
    EXPECT_EQ(FaceName(settings), c.kept);
    EXPECT_EQ(settings.fontName[31], u'\0');
  }
}

TEST(SettingsFontName, ReadWithoutTerminatorStopsAtTheField) {
  AppSettings settings;
  std::fill(std::begin(settings.fontName), std::end(settings.fontName), u'q');
  EXPECT_EQ(FaceName(settings), std::u16string(32, u'q'));
}

TEST(WindowPlacement, OffScreenRectangleMovesOntoTheNearestMonitor) {
  // Two monitors side by side, the second one lower and smaller.
  const std::vector<ScreenRect> monitors = {{0, 0, 1920, 1040}, {1920, 200, 3200, 1000}};
  struct Case {
    const char* what;
    ScreenRect saved;
    ScreenRect placed;
  };
  const std::vector<Case> cases = {
      {"on the first", {120, 80, 920, 680}, {120, 80, 920, 680}},
      {"straddling both", {1800, 300, 2400, 700}, {1800, 300, 2400, 700}},
      {"one pixel on screen", {-799, -599, 1, 1}, {-799, -599, 1, 1}},
      {"only on the second", {2000, 900, 2400, 1200}, {2000, 900, 2400, 1200}},
      {"far left", {-5000, 100, -4200, 700}, {0, 100, 800, 700}},
      {"far right, beside the second", {5000, 300, 5800, 900}, {2400, 300, 3200, 900}},
      {"above the first", {300, -3000, 1100, -2400}, {300, 0, 1100, 600}},
      {"below the second", {2600, 1500, 3000, 1800}, {2600, 700, 3000, 1000}},
      {"below the gap, nearer the first", {2100, 1500, 2500, 1800}, {1520, 740, 1920, 1040}},
      {"in the gap under the second", {2000, 1010, 2320, 1250}, {2000, 760, 2320, 1000}},
      {"touching the left edge only", {-800, 0, 0, 600}, {0, 0, 800, 600}},
      {"larger than the monitor", {-9000, 0, -5000, 3000}, {0, 0, 4000, 3000}},
      {"empty at the origin", {0, 0, 0, 0}, {0, 0, 0, 0}},
      // Its top-left point lands on the monitor, not on the corner just outside it.
      {"empty far away", {9000, 9000, 9000, 9000}, {3199, 999, 3199, 999}},
      {"empty, right and bottom before left and top", {9000, 9000, -9000, -9000}, {3199, 999, 3199, 999}},
      {"at the int limits", {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, {3190, 990, 3200, 1000}},
      {"at the negative int limits", {INT_MIN, INT_MIN, INT_MIN + 400, INT_MIN + 300}, {0, 0, 400, 300}},
  };
  for (const Case& c : cases) {
    const ScreenRect got = PlaceOnMonitors(c.saved, monitors);
    EXPECT_EQ(got, c.placed) << c.what << ": " << got.left << "," << got.top << "," << got.right << ","
                             << got.bottom;
  }
}

TEST(WindowPlacement, NoMonitorsLeavesTheRectangle) {
  const ScreenRect saved{-5000, -5000, -4000, -4000};
  EXPECT_EQ(PlaceOnMonitors(saved, {}), saved);
}

}  // namespace

namespace {

TEST(SettingsRawValue, EditorCommandKeepsItsQuotes) {
  using namespace std::string_view_literals;
  const std::u16string_view section =
      u"fontSize=10\0 Editor = \"C:\\Program Files\\ed.exe\" -n%l \"%t\" \0editor=second\0\0"sv;
  EXPECT_EQ(FindRawValue(section, u"editor"), u"\"C:\\Program Files\\ed.exe\" -n%l \"%t\"");
  EXPECT_EQ(FindRawValue(section, u"FONTSIZE"), u"10");
  EXPECT_EQ(FindRawValue(section, u"dll"), std::nullopt);
  EXPECT_EQ(FindRawValue(u"editor=\0\0"sv, u"editor"), u"");
  EXPECT_EQ(FindRawValue(u"no equals sign\0editor\0\0"sv, u"editor"), std::nullopt);
  EXPECT_EQ(FindRawValue(u""sv, u"editor"), std::nullopt);
  // A block cut off without its final terminators still ends cleanly.
  EXPECT_EQ(FindRawValue(u"a=1\0editor=x y"sv, u"editor"), u"x y");
}

TEST(SettingsRawValue, CutKeepsSurrogatePairsWhole) {
  EXPECT_EQ(CutText(u"abc", 5), u"abc");
  EXPECT_EQ(CutText(u"abcdef", 3), u"abc");
  EXPECT_EQ(CutText(u"ab\U0001F600", 3), u"ab");
  EXPECT_EQ(CutText(u"ab\U0001F600", 4), u"ab\U0001F600");
  EXPECT_EQ(CutText(u"\U0001F600", 0), u"");
}

}  // namespace
