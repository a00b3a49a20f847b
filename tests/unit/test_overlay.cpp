// The overlay plan against a small model of a rich-edit view. The model lays text out in rows of a
// fixed number of characters; the plan must draw exactly what the plain per-character scan draws,
// which asks the view for the row of every character, while asking far less of it.
#include "view/overlay.h"

#include <gtest/gtest.h>

#include "overlay_model.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using reference::kCr;
using reference::kLf;
using reference::ModelView;
using reference::ReferencePlan;

OverlayPlan Plan(ModelView& view, const OverlayGeometry& g) {
  const std::u16string copy = view.Copy();
  return PlanOverlay(copy, BuildLineStarts(copy), view, g);
}

OverlayPlan Reference(ModelView& view, const OverlayGeometry& g) {
  return ReferencePlan(view.Copy(), view, g);
}

// Numbers with the top of their box, in drawing order.
std::vector<std::pair<int, int>> Numbers(const OverlayPlan& plan) {
  std::vector<std::pair<int, int>> numbers;
  for (const OverlayMark& m : plan.marks) {
    if (m.kind == OverlayMarkKind::LineNumber) numbers.emplace_back(m.number, m.y);
  }
  return numbers;
}

std::vector<OverlayMark> MarksOf(const OverlayPlan& plan, OverlayMarkKind kind) {
  std::vector<OverlayMark> marks;
  std::copy_if(plan.marks.begin(), plan.marks.end(), std::back_inserter(marks),
               [kind](const OverlayMark& m) { return m.kind == kind; });
  return marks;
}

using Numbering = std::vector<std::pair<int, int>>;

struct NumberingCase {
  const char* name;
  std::u16string text;
  int width;         // characters per row, 0 for the no-wrap view
  int top;           // first visible row
  int clientBottom;  // with H = 16 and rows 16 px high: whole rows = clientBottom / 16
  Numbering numbers;
  ViewPoint eof;  // where [EOF] is drawn, or {-1, -1} for none
};

class OverlayNumbering : public testing::TestWithParam<NumberingCase> {};

TEST_P(OverlayNumbering, DrawsTheNumbersAndEofOfThePerCharacterScan) {
  const NumberingCase& c = GetParam();
  ModelView view(c.text, c.width, c.top);
  ModelView reference(c.text, c.width, c.top);
  const OverlayGeometry g{16, 400, c.clientBottom, true};
  const OverlayPlan plan = Plan(view, g);
  EXPECT_EQ(plan, Reference(reference, g));
  EXPECT_EQ(Numbers(plan), c.numbers);
  const auto eof = MarksOf(plan, OverlayMarkKind::EndOfText);
  if (c.eof.x < 0) {
    EXPECT_TRUE(eof.empty());
  } else {
    ASSERT_EQ(eof.size(), 1u);
    EXPECT_EQ(eof[0].x, c.eof.x);
    EXPECT_EQ(eof[0].y, c.eof.y);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OverlayNumbering,
    testing::Values(
        NumberingCase{"EmptyDocument", u"", 0, 0, 160, {{1, 0}}, {56, 0}},
        NumberingCase{"NoFinalLineEnd", u"ab\rcd", 0, 0, 160, {{1, 0}, {2, 16}}, {56 + 14, 16}},
        NumberingCase{
            "FinalLineEndGivesAnEmptyLine", u"ab\rcd\r", 0, 0, 160, {{1, 0}, {2, 16}, {3, 32}}, {56, 32}},
        // "aaaaaaaaaa" wraps into rows of 4: one number, on the paragraph's first row.
        NumberingCase{
            "WrappedParagraphNumberedOnce", u"aaaaaaaaaa\rbb", 4, 0, 160, {{1, 0}, {2, 48}}, {70, 48}},
        NumberingCase{"LineBegunAboveTheTopNumberedOnTheTopRow",
                      u"aaaaaaaaaa\rbb",
                      4,
                      1,
                      160,
                      {{1, 0}, {2, 32}},
                      {70, 32}},
        // Two whole rows and part of a third (40 px): of row 2 only two characters are scanned, so the third
        // logical line, which ends later on that row, gets no number and there is no [EOF].
        NumberingCase{
            "PartlyVisibleRowScannedForTwoCharacters", u"a\rb\rcccc", 0, 0, 40, {{1, 0}, {2, 16}}, {-1, -1}},
        NumberingCase{"PartlyVisibleRowEndingWithinTwoCharacters",
                      u"a\rb\rc",
                      0,
                      0,
                      40,
                      {{1, 0}, {2, 16}, {3, 32}},
                      {63, 32}},
        // A long wrapped paragraph at the bottom is numbered only once scrolled up.
        NumberingCase{"WrappedParagraphAtTheBottom", u"x\raaaaaaaaaaaa", 4, 0, 40, {{1, 0}}, {-1, -1}},
        // The partial row holds only a line end: the tab on the row below it is not scanned.
        NumberingCase{"RowBelowThePartialRowEndsTheScan",
                      u"a\rb\r\r\t",
                      0,
                      0,
                      40,
                      {{1, 0}, {2, 16}, {3, 32}},
                      {-1, -1}},
        NumberingCase{"ScrolledDownTheNumbersCountTheWholeText",
                      u"1\r2\r3\r4\r5",
                      0,
                      3,
                      160,
                      {{4, 0}, {5, 16}},
                      {63, 16}}),
    [](const testing::TestParamInfo<NumberingCase>& info) { return std::string(info.param.name); });

TEST(OverlayPlan, PlacesEachMarkAtItsCharacter) {
  // Positions: x = 56 + 7 * column, y = 16 * row.
  ModelView view(
      u"a\tb\x3000"
      u"c\r\tx",
      0, 0);
  const OverlayPlan plan = Plan(view, {16, 400, 160, false});
  const std::vector<OverlayMark> expected = {
      {OverlayMarkKind::Tab, 63, 0},        {OverlayMarkKind::WideSpace, 77, 0, 84},
      {OverlayMarkKind::LineEnd, 91, 0},    {OverlayMarkKind::Tab, 56, 16},
      {OverlayMarkKind::EndOfText, 70, 16},
  };
  EXPECT_EQ(plan.marks, expected);
  EXPECT_FALSE(plan.separator);
  EXPECT_TRUE(plan.caretRule);
}

TEST(OverlayPlan, CrLfAndCrLfEachEndOneLine) {
  ModelView view(u"a\rb\nc\r\nd", 0, 0);
  const OverlayPlan plan = Plan(view, {16, 400, 160, true});
  std::vector<int> numbers;
  for (const auto& [number, y] : Numbers(plan)) numbers.push_back(number);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(MarksOf(plan, OverlayMarkKind::LineEnd).size(), 3u);
  EXPECT_EQ(MarksOf(plan, OverlayMarkKind::EndOfText).size(), 1u);
}

TEST(OverlayPlan, CrLfGetsOneLineEndMarkAtTheCr) {
  ModelView view(u"ab\r\ncd", 0, 0);
  const OverlayPlan plan = Plan(view, {16, 400, 160, false});
  const auto ends = MarksOf(plan, OverlayMarkKind::LineEnd);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].x, 56 + 14);
}

TEST(OverlayPlan, NumbersAndSeparatorOnlyWhenAsked) {
  ModelView view(u"a\rb", 0, 0);
  const OverlayPlan off = Plan(view, {16, 400, 160, false});
  EXPECT_TRUE(Numbers(off).empty());
  EXPECT_FALSE(off.separator);
  EXPECT_EQ(MarksOf(off, OverlayMarkKind::LineEnd).size(), 1u);
  EXPECT_EQ(MarksOf(off, OverlayMarkKind::EndOfText).size(), 1u);
  EXPECT_TRUE(Plan(view, {16, 400, 160, true}).separator);
}

TEST(OverlayPlan, CaretRuleUnderTheSelectionEndsRow) {
  ModelView view(u"a\rb\rc", 0, 0);
  view.selectionEnd = 3;  // on row 1
  EXPECT_EQ(Plan(view, {13, 400, 160, true}).caretRuleY, 16 + 13 + 1);
  // A caret above the view reads as a large y: the rule falls outside the bitmap.
  ModelView scrolled(u"a\rb\rc", 0, 2);
  EXPECT_GT(Plan(scrolled, {13, 400, 160, true}).caretRuleY, 65000);
}

TEST(OverlayPlan, RowPartlyAboveTheClientGetsNoNumber) {
  // The top row starts 3 px above the client: its y reads as 65533, above the client bottom.
  ModelView view(u"a\rb\rc", 0, 0, 16, 3);
  const OverlayPlan plan = Plan(view, {16, 400, 160, true});
  EXPECT_EQ(Numbers(plan), (Numbering{{2, 13}, {3, 29}}));
  EXPECT_EQ(MarksOf(plan, OverlayMarkKind::LineEnd)[0].y, 65533);
}

TEST(OverlayPlan, NumberBoxStopsAtTheClientBottom) {
  ModelView view(u"a\rb", 0, 0);
  const OverlayPlan plan = Plan(view, {16, 400, 24, true});
  const auto numbers = MarksOf(plan, OverlayMarkKind::LineNumber);
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_EQ(numbers[0].bottom, 16);
  EXPECT_EQ(numbers[1].bottom, 24);
}

TEST(OverlayPlan, NoLineHeightPlansNothing) {
  ModelView view(u"a\rb", 0, 0);
  for (int h : {0, -3}) {
    const OverlayPlan plan = Plan(view, {h, 400, 160, true});
    EXPECT_TRUE(plan.marks.empty());
    EXPECT_FALSE(plan.separator);
    EXPECT_FALSE(plan.caretRule);
  }
  EXPECT_EQ(view.rowQuestions + view.positionQuestions, 0);
}

TEST(OverlayPlan, AsksRowsOnceAndPositionsOnlyForWhatIsDrawn) {
  std::u16string text;
  for (int line = 0; line < 200; ++line) text += u"word\tword word\x3000word\r";
  ModelView view(text, 0, 100);
  const OverlayGeometry g{16, 400, 320, true};
  const OverlayPlan plan = Plan(view, g);
  // First visible row, its start, the start of the last scanned row and of the row below it.
  EXPECT_EQ(view.rowQuestions, 4);
  int positions = 1;  // the caret
  for (const OverlayMark& m : plan.marks) positions += m.kind == OverlayMarkKind::WideSpace ? 2 : 1;
  EXPECT_EQ(view.positionQuestions, positions);
  ModelView reference(text, 0, 100);
  EXPECT_EQ(plan, Reference(reference, g));
  EXPECT_GT(reference.rowQuestions, 20 * 25);
}

TEST(OverlayPlan, MatchesThePerCharacterScanOnRandomViews) {
  std::mt19937 random(20240611);
  const char16_t alphabet[] = {u'a', u'b', u'\t', 0x3000, kCr, kLf, kCr, u' '};
  for (int round = 0; round < 3000; ++round) {
    std::u16string text(random() % 60, u'a');
    for (char16_t& ch : text) ch = alphabet[random() % std::size(alphabet)];
    const int width = static_cast<int>(random() % 8);
    ModelView probe(text, width, 0);
    const int top = static_cast<int>(random() % probe.RowCount());
    const int rowHeight = 12 + static_cast<int>(random() % 8);
    const int offset = static_cast<int>(random() % 4);
    const OverlayGeometry g{10 + static_cast<int>(random() % 10), 300, static_cast<int>(random() % 120),
                            random() % 2 == 0};
    ModelView view(text, width, top, rowHeight, offset);
    ModelView reference(text, width, top, rowHeight, offset);
    view.selectionEnd = reference.selectionEnd = static_cast<int>(random() % (text.size() + 1));
    ASSERT_EQ(Plan(view, g), Reference(reference, g)) << "round " << round;
  }
}

TEST(LineStarts, CrLfAndCrLfEachEndOneLine) {
  const std::u16string text = u"a\rb\nc\r\nd\r";
  const LineStarts lines = BuildLineStarts(text);
  // The LF of a pair is counted with the next line, as the scan counts it.
  EXPECT_EQ(lines.starts, (std::vector<int>{0, 2, 4, 6, 9}));
  EXPECT_EQ(LogicalLineAt(lines, 0), 0);
  EXPECT_EQ(LogicalLineAt(lines, 1), 0);  // a line end belongs to the line it ends
  EXPECT_EQ(LogicalLineAt(lines, 5), 2);
  EXPECT_EQ(LogicalLineAt(lines, 7), 3);
  EXPECT_EQ(LogicalLineAt(lines, 9), 4);
  EXPECT_EQ(BuildLineStarts(std::u16string(u"a\rb\0\rc", 6)).starts, (std::vector<int>{0, 2}));
  EXPECT_EQ(BuildLineStarts(u"").starts, (std::vector<int>{0}));
}

TEST(MarkStrokes, FollowTheMarkShapes) {
  const auto lineEnd = MarkStrokes({OverlayMarkKind::LineEnd, 100, 20}, 16);
  ASSERT_EQ(lineEnd.size(), 4u);
  EXPECT_EQ(lineEnd[0].points[0].x, 106);
  EXPECT_EQ(lineEnd[0].points[1].y, 31);
  const auto tab = MarkStrokes({OverlayMarkKind::Tab, 100, 20}, 15);
  ASSERT_EQ(tab.size(), 3u);
  EXPECT_EQ(tab[0].points[0].y, 27);  // the middle of the row, truncated
  const auto box = MarkStrokes({OverlayMarkKind::WideSpace, 100, 20, 116}, 16);
  ASSERT_EQ(box.size(), 1u);
  EXPECT_TRUE(box[0].dotted);
  EXPECT_EQ(box[0].points.size(), 5u);
  EXPECT_EQ(box[0].points[2].x, 114);
  EXPECT_TRUE(MarkStrokes({OverlayMarkKind::EndOfText, 1, 1}, 16).empty());
}

}  // namespace
