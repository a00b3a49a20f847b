// Draws the overlay planned from the text copy: the visible view answers the plan's questions,
// and what it answers that only a change of layout can alter is kept between paints. Its position
// and line questions walk the text from the start in some controls, so near the end of a large
// file one question costs about as much as the control's whole paint.
#include "view/overlay_win.h"
#include "view/view_colors.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "view/gdi_win.h"
#include "view/overlay.h"
#include "view/richedit_win.h"
#include "view/view_text_win.h"

namespace {

// A bound on what is kept of one layout, for a long scroll through a large file.
constexpr size_t kMaxKeptPositions = 1 << 17;

// What the overlay learnt of one view's layout. Positions are kept relative to the first
// character's, so they stay good while the view scrolls.
struct LayoutMemo {
  HWND view = nullptr;
  LONG width = 0;
  LONG height = 0;
  std::unordered_map<int, int> firstRowByOrigin;  // first character's y -> first visible row
  std::unordered_map<int, int> rowStarts;
  std::unordered_map<int, POINT> offsets;  // position -> its point less the first character's

  void Reset(HWND newView, LONG newWidth, LONG newHeight) {
    view = newView;
    width = newWidth;
    height = newHeight;
    firstRowByOrigin.clear();
    rowStarts.clear();
    offsets.clear();
  }
};

std::array<LayoutMemo, 2> g_layoutMemos;

LayoutMemo& MemoFor(HWND view, const RECT& client) {
  auto memo = std::find_if(g_layoutMemos.begin(), g_layoutMemos.end(),
                           [view](const LayoutMemo& m) { return m.view == view; });
  if (memo == g_layoutMemos.end()) {
    memo = std::find_if(g_layoutMemos.begin(), g_layoutMemos.end(),
                        [](const LayoutMemo& m) { return m.view == nullptr; });
    if (memo == g_layoutMemos.end()) memo = g_layoutMemos.begin();
    memo->Reset(view, client.right, client.bottom);
  } else if (memo->width != client.right || memo->height != client.bottom ||
             memo->offsets.size() > kMaxKeptPositions) {
    memo->Reset(view, client.right, client.bottom);
  }
  return *memo;
}

// The view's answers, from the memo where it has them.
class ControlAnswers final : public OverlayView {
 public:
  ControlAnswers(HWND view, LayoutMemo& memo)
      : view_(view), memo_(memo), origin_(richedit::PointFromChar(view, 0)) {}

  int FirstVisibleRow() override {
    const auto [row, added] = memo_.firstRowByOrigin.try_emplace(origin_.y, 0);
    if (added) row->second = richedit::FirstVisibleLine(view_);
    return row->second;
  }
  int RowStart(int row) override {
    const auto [start, added] = memo_.rowStarts.try_emplace(row, 0);
    if (added) start->second = richedit::LineIndex(view_, row);
    return start->second;
  }
  int RowCount() override { return richedit::LineCount(view_); }
  int TextLength() override { return richedit::TextLength(view_); }
  ViewPoint PosFromChar(int position) override {
    const auto [offset, added] = memo_.offsets.try_emplace(position, POINT{});
    if (added) {
      const POINTL point = richedit::PointFromChar(view_, position);
      offset->second = {point.x - origin_.x, point.y - origin_.y};
    }
    // Both halves as the control packs them: unsigned 16-bit.
    return {static_cast<int>((origin_.x + offset->second.x) & 0xFFFF),
            static_cast<int>((origin_.y + offset->second.y) & 0xFFFF)};
  }
  int SelectionEnd() override { return richedit::GetSel(view_).end; }

 private:
  HWND view_;
  LayoutMemo& memo_;
  POINTL origin_;  // where the first character is now
};

HFONT CreateFaceFont(const AppSettings& settings, int height) {
  LOGFONTW font{};
  font.lfHeight = height;
  std::copy_n(W(settings.fontName), LF_FACESIZE - 1, font.lfFaceName);
  return CreateFontIndirectW(&font);
}

// Grows extent to hold a drawn rectangle.
void Include(RECT& extent, const RECT& drawn) {
  RECT both{};
  UnionRect(&both, &extent, &drawn);
  extent = both;
}

void DrawStrokes(HDC dc, const OverlayMark& mark, int lineHeight, HPEN solid, HPEN dotted, RECT& extent) {
  for (const MarkStroke& stroke : MarkStrokes(mark, lineHeight)) {
    if (stroke.dotted) SelectObject(dc, dotted);
    MoveToEx(dc, stroke.points.front().x, stroke.points.front().y, nullptr);
    for (size_t k = 1; k < stroke.points.size(); ++k) LineTo(dc, stroke.points[k].x, stroke.points[k].y);
    if (stroke.dotted) SelectObject(dc, solid);
    for (const ViewPoint& point : stroke.points)
      Include(extent, {point.x, point.y, point.x + 1, point.y + 1});
  }
}

OverlayExtent DrawPlan(HDC dc, const OverlayPlan& plan, const AppSettings& settings, int dpi, int lineHeight,
                       const RECT& client) {
  OverlayExtent extent;
  const COLORREF markColor = settings.blackBack == 1 ? RGB(0xC0, 0xC0, 0xC0) : RGB(0x40, 0x40, 0x40);
  const GdiObject<HPEN> solid(CreatePen(PS_SOLID, 1, markColor));
  const GdiObject<HPEN> dotted(CreatePen(PS_DOT, 1, markColor));
  const GdiObject<HFONT> numberFont(
      CreateFaceFont(settings, -MulDiv(std::min(settings.fontSize, 10), dpi, 72)));
  const SelectedObject pen(dc, solid.get());
  const SelectedObject font(dc, numberFont.get());
  SetTextColor(dc, markColor);
  SetBkColor(dc, ViewBackground(settings.blackBack));
  SetBkMode(dc, OPAQUE);

  for (const OverlayMark& mark : plan.marks) {
    switch (mark.kind) {
      case OverlayMarkKind::LineNumber: {
        wchar_t number[16];
        wsprintfW(number, L"%d", mark.number);
        RECT box{0, mark.y, kNumberBoxRight, mark.bottom};
        DrawTextW(dc, number, -1, &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        Include(extent.marks, box);
        break;
      }
      case OverlayMarkKind::EndOfText: {
        const GdiObject<HFONT> eofFont(CreateFaceFont(settings, -MulDiv(settings.fontSize, dpi, 72)));
        const SelectedObject selected(dc, eofFont.get());
        RECT box{mark.x, mark.y, mark.x + lineHeight, mark.y + lineHeight};
        DrawTextW(dc, L"[EOF]", 5, &box, DT_NOCLIP);
        RECT text = box;  // unclipped, the text may reach past the box
        DrawTextW(dc, L"[EOF]", 5, &text, DT_NOCLIP | DT_CALCRECT);
        Include(extent.marks, box);
        Include(extent.marks, text);
        break;
      }
      case OverlayMarkKind::LineEnd:
      case OverlayMarkKind::Tab:
      case OverlayMarkKind::WideSpace:
        DrawStrokes(dc, mark, lineHeight, solid.get(), dotted.get(), extent.marks);
        break;
    }
  }
  if (plan.separator) {
    MoveToEx(dc, kSeparatorX, 0, nullptr);
    LineTo(dc, kSeparatorX, client.bottom);
    Include(extent.marks, {kSeparatorX, 0, kSeparatorX + 1, client.bottom});
  }
  if (plan.caretRule) {
    MoveToEx(dc, 0, plan.caretRuleY, nullptr);
    LineTo(dc, client.right, plan.caretRuleY);
    extent.caretRule = {0, plan.caretRuleY, client.right, plan.caretRuleY + 1};
  }
  return extent;
}

}  // namespace

void ForgetViewLayout(HWND view) {
  for (LayoutMemo& memo : g_layoutMemos) {
    if (view == nullptr || memo.view == view) memo.Reset(nullptr, 0, 0);
  }
}

void DrawViewOverlay(AppSettings settings, HDC memoryDc) {
  DrawViewOverlayExtent(settings, memoryDc);
}

OverlayExtent DrawViewOverlayExtent(const AppSettings& settings, HDC memoryDc) {
  const ViewTextCopy* copy = CurrentViewTextCopy();
  const HWND view = VisibleView(settings, g_noWrapView, g_wrapView);
  if (copy == nullptr || view == nullptr) return {};
  const int dpi = GetDeviceCaps(memoryDc, LOGPIXELSY);
  const int lineHeight = MulDiv(settings.fontSize, dpi, 72);
  if (lineHeight <= 0) return {};  // a font size with no height: nothing is drawn
  RECT client{};
  GetClientRect(view, &client);
  ControlAnswers answers(view, MemoFor(view, client));
  const OverlayPlan plan = PlanOverlay(copy->text, copy->lines, answers,
                                       {lineHeight, client.right, client.bottom, settings.numberLine == 1});
  return DrawPlan(memoryDc, plan, settings, dpi, lineHeight, client);
}
