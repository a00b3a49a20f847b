// A small model of a rich-edit view for the overlay plan, and the plain per-character scan that
// the plan must agree with. The model lays text out in rows of a fixed number of characters.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "view/overlay.h"

namespace reference {

inline constexpr char16_t kCr = 0x0D;
inline constexpr char16_t kLf = 0x0A;

// A view: the text wrapped every `width` characters (0: no wrap), rows `rowHeight` pixels high,
// scrolled so that `top` is the first visible row and its top lies `offset` pixels above the client.
class ModelView final : public OverlayView {
 public:
  ModelView(std::u16string text, int width, int top, int rowHeight = 16, int offset = 0)
      : text_(std::move(text)), top_(top), rowHeight_(rowHeight), offset_(offset) {
    rowStarts_.push_back(0);
    int column = 0;
    for (size_t i = 0; i < text_.size(); ++i) {
      const bool pairCr = text_[i] == kCr && i + 1 < text_.size() && text_[i + 1] == kLf;
      const bool endsLine = (text_[i] == kCr && !pairCr) || text_[i] == kLf;
      if (endsLine) {
        rowStarts_.push_back(static_cast<int>(i + 1));
        column = 0;
      } else if (!pairCr && width > 0 && ++column == width && i + 1 < text_.size() && text_[i + 1] != kCr &&
                 text_[i + 1] != kLf) {
        rowStarts_.push_back(static_cast<int>(i + 1));
        column = 0;
      }
    }
  }

  int FirstVisibleRow() override {
    ++rowQuestions;
    return top_;
  }
  int RowStart(int row) override {
    ++rowQuestions;
    return row >= 0 && row < RowCount() ? rowStarts_[static_cast<size_t>(row)] : -1;
  }
  int RowCount() override { return static_cast<int>(rowStarts_.size()); }
  // As the control counts it: every line end as two units.
  int TextLength() override { return static_cast<int>(text_.size() + rowStarts_.size() - 1); }
  ViewPoint PosFromChar(int position) override {
    ++positionQuestions;
    const int row = RowOf(position);
    const int column = position - rowStarts_[static_cast<size_t>(row)];
    const int y = (row - top_) * rowHeight_ - offset_;
    return {(56 + 7 * column) & 0xFFFF, y & 0xFFFF};
  }
  int SelectionEnd() override { return selectionEnd; }

  // What only the per-character scan asks.
  int RowFromChar(int position) {
    ++rowQuestions;
    return RowOf(position);
  }
  int LogicalLineFromChar(int position) {  // the no-wrap view's row of a position
    int line = 0;
    for (int k = 0; k < position && k < static_cast<int>(text_.size()); ++k) {
      const bool pairLf = text_[k] == kLf && k > 0 && text_[k - 1] == kCr;
      if (text_[k] == kCr || (text_[k] == kLf && !pairLf)) ++line;
    }
    return line;
  }

  std::u16string Copy() const { return text_ + u'\0'; }

  int selectionEnd = 0;
  int rowQuestions = 0;
  int positionQuestions = 0;

 private:
  int RowOf(int position) const {
    const auto after = std::upper_bound(rowStarts_.begin(), rowStarts_.end(), position);
    return static_cast<int>(after - rowStarts_.begin()) - 1;
  }

  std::u16string text_;
  std::vector<int> rowStarts_;
  int top_;
  int rowHeight_;
  int offset_;
};

// The per-character reference scan: the view is asked for the row of every character.
inline OverlayPlan ReferencePlan(std::u16string_view text, ModelView& view, const OverlayGeometry& g) {
  OverlayPlan plan;
  if (g.lineHeight <= 0) return plan;
  auto at = [&](long long i) -> char16_t {
    return i >= 0 && i < static_cast<long long>(text.size()) ? text[static_cast<size_t>(i)] : 0;
  };
  const int top = view.FirstVisibleRow();
  const int firstChar = view.RowStart(top);
  const int rows = g.clientBottom / g.lineHeight;
  const int count = view.RowCount();
  const int endLine = std::min(count, top + rows);
  long long endChar = view.RowStart(endLine);
  if (endChar == -1) endChar = view.TextLength() + 1;
  const long long limit = endChar + 1;
  long long p = firstChar;
  int lineNo = 0;
  ViewPoint linePos;
  for (long long i = firstChar; i <= limit; ++i) {
    if (i == firstChar) {
      lineNo = view.LogicalLineFromChar(static_cast<int>(p));
      linePos = view.PosFromChar(static_cast<int>(p));
    } else if (at(i - 1) == kCr || (at(i - 1) == kLf && at(i - 2) != kCr)) {
      ++lineNo;
      linePos = view.PosFromChar(static_cast<int>(p));
    }
    const bool pairLf = at(i) == kLf && at(i - 1) == kCr;
    const int topNow = view.FirstVisibleRow();
    const int v = view.RowFromChar(static_cast<int>(p));
    if (v >= topNow) {
      if (v > topNow + rows) break;
      const char16_t ch = at(i);
      if ((ch == kCr || ch == kLf) && !pairLf) {
        const ViewPoint pos = view.PosFromChar(static_cast<int>(p));
        plan.marks.push_back({OverlayMarkKind::LineEnd, pos.x, pos.y});
      }
      if (g.numbers && !pairLf && (ch == 0 || ch == kLf || ch == kCr) && linePos.y < g.clientBottom) {
        plan.marks.push_back({OverlayMarkKind::LineNumber, 0, linePos.y, 0,
                              std::min(linePos.y + g.lineHeight, g.clientBottom), lineNo + 1});
      }
      if (ch == 0x09) {
        const ViewPoint pos = view.PosFromChar(static_cast<int>(p));
        plan.marks.push_back({OverlayMarkKind::Tab, pos.x, pos.y});
      }
      if (ch == 0x3000) {
        const ViewPoint pos = view.PosFromChar(static_cast<int>(p));
        plan.marks.push_back(
            {OverlayMarkKind::WideSpace, pos.x, pos.y, view.PosFromChar(static_cast<int>(p + 1)).x});
      }
      if (ch == 0) {
        const ViewPoint pos = view.PosFromChar(static_cast<int>(p));
        plan.marks.push_back({OverlayMarkKind::EndOfText, pos.x, pos.y});
        break;
      }
    }
    if (!pairLf) ++p;
  }
  plan.separator = g.numbers;
  plan.caretRule = true;
  plan.caretRuleY = view.PosFromChar(view.SelectionEnd()).y + g.lineHeight + 1;
  return plan;
}

}  // namespace reference
