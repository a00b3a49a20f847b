#include "view/overlay.h"

#include <algorithm>

namespace {

constexpr char16_t kNul = 0x0000;
constexpr char16_t kTab = 0x0009;
constexpr char16_t kLf = 0x000A;
constexpr char16_t kCr = 0x000D;
constexpr char16_t kWideSpace = 0x3000;

char16_t At(std::u16string_view text, long long i) {
  return i >= 0 && i < static_cast<long long>(text.size()) ? text[static_cast<size_t>(i)] : kNul;
}

// The LF of a CR LF pair: it has no position of its own in the control.
bool IsPairLf(std::u16string_view text, long long i) {
  return At(text, i) == kLf && At(text, i - 1) == kCr;
}

// Whether the unit at i ends a logical line (a lone LF, a CR, or the CR of a pair).
bool EndsLine(std::u16string_view text, long long i) {
  const char16_t ch = At(text, i);
  return ch == kCr || (ch == kLf && !IsPairLf(text, i));
}

void PlanVisibleText(std::u16string_view text, const LineStarts& lines, OverlayView& view,
                     const OverlayGeometry& g, std::vector<OverlayMark>& marks) {
  const int top = view.FirstVisibleRow();
  const int firstChar = view.RowStart(top);
  const size_t textEnd = std::min(text.find(kNul), text.size());
  if (firstChar < 0 || static_cast<size_t>(firstChar) > textEnd) return;
  const int rows = g.clientBottom / g.lineHeight;
  const int count = view.RowCount();
  const long long endLine = std::min<long long>(count, static_cast<long long>(top) + rows);
  long long endChar = view.RowStart(static_cast<int>(endLine));
  if (endChar == -1) endChar = static_cast<long long>(view.TextLength()) + 1;
  const long long limit = endChar + 1;
  // A character on a row below top + rows ends the scan; that row's start tells where it begins.
  long long below = -1;
  if (static_cast<long long>(top) + rows + 1 < count) below = view.RowStart(top + rows + 1);

  long long p = firstChar;
  int lineNo = LogicalLineAt(lines, firstChar);
  long long lineStart = p;  // position of the current logical line's first character on screen
  for (long long i = firstChar; i <= limit; ++i) {
    if (i > firstChar && EndsLine(text, i - 1)) {
      ++lineNo;
      lineStart = p;
    }
    if (below >= 0 && p >= below) break;
    const char16_t ch = At(text, i);
    const bool pairLf = IsPairLf(text, i);
    if ((ch == kCr || ch == kLf) && !pairLf) {
      const ViewPoint at = view.PosFromChar(static_cast<int>(p));
      marks.push_back({OverlayMarkKind::LineEnd, at.x, at.y});
    }
    if (g.numbers && !pairLf && (ch == kNul || ch == kLf || ch == kCr)) {
      // A logical line is numbered where it ends, at the height of its first row on screen.
      const int y = view.PosFromChar(static_cast<int>(lineStart)).y;
      if (y < g.clientBottom) {
        OverlayMark number{OverlayMarkKind::LineNumber, 0, y};
        number.bottom = std::min(y + g.lineHeight, g.clientBottom);
        number.number = lineNo + 1;
        marks.push_back(number);
      }
    }
    if (ch == kTab) {
      const ViewPoint at = view.PosFromChar(static_cast<int>(p));
      marks.push_back({OverlayMarkKind::Tab, at.x, at.y});
    } else if (ch == kWideSpace) {
      const ViewPoint at = view.PosFromChar(static_cast<int>(p));
      OverlayMark box{OverlayMarkKind::WideSpace, at.x, at.y};
      box.nextX = view.PosFromChar(static_cast<int>(p + 1)).x;
      marks.push_back(box);
    }
    if (ch == kNul) {
      const ViewPoint at = view.PosFromChar(static_cast<int>(p));
      marks.push_back({OverlayMarkKind::EndOfText, at.x, at.y});
      break;
    }
    if (!pairLf) ++p;
  }
}

}  // namespace

LineStarts BuildLineStarts(std::u16string_view text) {
  LineStarts lines;
  lines.starts.push_back(0);
  const size_t end = std::min(text.find(kNul), text.size());
  for (size_t i = 0; i < end; ++i) {
    if (EndsLine(text, static_cast<long long>(i))) lines.starts.push_back(static_cast<int>(i + 1));
  }
  return lines;
}

int LogicalLineAt(const LineStarts& lines, int index) {
  const auto after = std::upper_bound(lines.starts.begin(), lines.starts.end(), index);
  return after == lines.starts.begin() ? 0 : static_cast<int>(after - lines.starts.begin()) - 1;
}

OverlayPlan PlanOverlay(std::u16string_view text, const LineStarts& lines, OverlayView& view,
                        const OverlayGeometry& geometry) {
  OverlayPlan plan;
  if (geometry.lineHeight <= 0) return plan;
  PlanVisibleText(text, lines, view, geometry, plan.marks);
  plan.separator = geometry.numbers;
  plan.caretRule = true;
  plan.caretRuleY = view.PosFromChar(view.SelectionEnd()).y + geometry.lineHeight + 1;
  return plan;
}

std::vector<MarkStroke> MarkStrokes(const OverlayMark& mark, int h) {
  const int x = mark.x;
  const int y = mark.y;
  switch (mark.kind) {
    case OverlayMarkKind::LineEnd:  // a down-and-left return arrow
      return {{false, {{x + 6, y + 2}, {x + 6, y + h - 5}}},
              {false, {{x + 6, y + h - 5}, {x + 1, y + h - 5}}},
              {false, {{x + 4, y + h - 7}, {x + 2, y + h - 5}}},
              {false, {{x + 4, y + h - 3}, {x + 2, y + h - 5}}}};
    case OverlayMarkKind::Tab: {  // a right arrow on the middle of the row
      const int m = y + h / 2;
      return {{false, {{x + 1, m}, {x + 7, m}}},
              {false, {{x + 4, m - 2}, {x + 6, m}}},
              {false, {{x + 4, m + 2}, {x + 6, m}}}};
    }
    case OverlayMarkKind::WideSpace: {  // a dotted box inside the character cell
      const int x2 = mark.nextX;
      return {
          {true, {{x + 2, y + 2}, {x + 2, y + h - 2}, {x2 - 2, y + h - 2}, {x2 - 2, y + 2}, {x + 2, y + 2}}}};
    }
    case OverlayMarkKind::LineNumber:
    case OverlayMarkKind::EndOfText:
      break;
  }
  return {};
}
