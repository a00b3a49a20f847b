// Draws the overlay planned from the text copy. Some controls (Wine's) answer position and line
// questions by walking the text from its start, so near the end of a large file one question costs
// about as much as the control's whole paint, and a dense screen asks hundreds. For a document of
// many lines the plan is therefore answered by a measuring view: a hidden control of the same class,
// format and width that holds only the paragraphs on screen, where every question is cheap. A
// paragraph is laid out the same wherever it stands, so the measuring view's rows and positions,
// moved by where its slice lies in the view, are the view's own. The view itself is asked for the
// character at its top and for one position per paint, which checks the rest; when the two do not
// agree the view answers every question, as it does for short documents. What was learnt of a
// layout is kept between paints until the layout changes.
#include "view/overlay_win.h"
#include "view/view_colors.h"

#include <algorithm>
#include <array>
#include <optional>
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
// Documents of fewer lines are asked directly: there every question is cheap.
constexpr size_t kLinesAskedDirectly = 512;
// The most text the measuring view is given; a screen that needs more (a very long wrapped
// paragraph) is asked of the view itself.
constexpr int kMaxSliceUnits = 1 << 16;

// What the overlay learnt of one view's layout. Positions are kept relative to the first
// character's, so they stay good while the view scrolls.
struct LayoutMemo {
  HWND view = nullptr;
  LONG width = 0;
  LONG height = 0;
  std::unordered_map<int, int> firstRowByOrigin;  // first character's y -> first visible row
  std::unordered_map<int, int> rowStarts;
  std::unordered_map<int, POINT> offsets;  // position -> its point less the first character's
  // The slice of the text that the measuring view holds for this view, and where it lies.
  struct Slice {
    bool valid = false;
    int base = 0;  // its first character in the view, a line start
    int length = 0;
    bool reachesEnd = false;
    int rows = 0;      // of the measuring view
    int dy = 0;        // view y = measuring y + dy + y of the view's first character
    int left = 0;      // x of the measuring view's first character
  } slice;

  void Reset(HWND newView, LONG newWidth, LONG newHeight) {
    view = newView;
    width = newWidth;
    height = newHeight;
    firstRowByOrigin.clear();
    rowStarts.clear();
    offsets.clear();
    slice = {};
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

// The hidden control that holds the slice, made for the view whose slice it holds.
struct MeasuringView {
  HWND window = nullptr;
  HWND measures = nullptr;
};
MeasuringView g_measuring;

void ReleaseMeasuringView() {
  if (g_measuring.window != nullptr) DestroyWindow(g_measuring.window);
  g_measuring = {};
}

// A hidden top-level control, so that no one looking for the views among the frame's children
// finds it. Without scroll bars its client area stays the view's whatever the text.
HWND MeasuringViewFor(HWND view) {
  if (g_measuring.measures == view && IsWindow(g_measuring.window)) return g_measuring.window;
  ReleaseMeasuringView();
  for (LayoutMemo& memo : g_layoutMemos) memo.slice = {};  // they were in the window just released
  wchar_t className[64] = {};
  if (GetClassNameW(view, className, 64) == 0) return nullptr;
  const auto style = static_cast<DWORD>(GetWindowLongW(view, GWL_STYLE));
  g_measuring.window =
      CreateWindowExW(0, className, L"", WS_POPUP | (style & (ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL)), 0, 0,
                      0, 0, nullptr, nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(view, GWLP_HINSTANCE)),
                      nullptr);
  if (g_measuring.window == nullptr) return nullptr;
  g_measuring.measures = view;
  richedit::LimitText(g_measuring.window, 0x7FFFFFFE);
  return g_measuring.window;
}

void FormatLike(HWND measuring, HWND view, const AppSettings& settings) {
  RECT client{};
  GetClientRect(view, &client);
  SetWindowPos(measuring, nullptr, 0, 0, client.right, client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  richedit::SetCharFormatAll(measuring, richedit::DefaultCharFormat(view));
  richedit::SetTabStop(measuring, settings.tab4 == 1 ? 16 : 32);
  // Some controls answer a rectangle moved from the one they were given (by the border, say):
  // given the view's, then moved back by what the measuring view made of it.
  const RECT wanted = richedit::FormatRect(view);
  richedit::SetFormatRect(measuring, wanted);
  const RECT got = richedit::FormatRect(measuring);
  if (!EqualRect(&got, &wanted)) {
    richedit::SetFormatRect(measuring, {2 * wanted.left - got.left, 2 * wanted.top - got.top,
                                        2 * wanted.right - got.right, 2 * wanted.bottom - got.bottom});
  }
}

bool SamePoint(const POINTL& a, const POINTL& b) {
  return a.x == b.x && a.y == b.y;
}

// The plan's questions answered from the slice in the measuring view; positions outside it, and
// the selection and the length, from the view.
class SliceAnswers final : public OverlayView {
 public:
  SliceAnswers(HWND view, HWND measuring, LayoutMemo& memo, POINTL origin, int topRow)
      : view_(view), measuring_(measuring), memo_(memo), origin_(origin), topRow_(topRow) {}

  int FirstVisibleRow() override { return topRow_; }
  int RowStart(int row) override {
    const LayoutMemo::Slice& slice = memo_.slice;
    if (row < 0 || row >= slice.rows) return -1;
    return slice.base + richedit::LineIndex(measuring_, row);
  }
  // Past a slice that stops short of the end there are more rows than the plan ever looks at.
  int RowCount() override { return memo_.slice.reachesEnd ? memo_.slice.rows : memo_.slice.rows + (1 << 20); }
  int TextLength() override { return richedit::TextLength(view_); }
  ViewPoint PosFromChar(int position) override {
    const auto [offset, added] = memo_.offsets.try_emplace(position, POINT{});
    if (added) {
      const POINTL point = Point(position);
      offset->second = {point.x - origin_.x, point.y - origin_.y};
    }
    return {static_cast<int>((origin_.x + offset->second.x) & 0xFFFF),
            static_cast<int>((origin_.y + offset->second.y) & 0xFFFF)};
  }
  int SelectionEnd() override { return richedit::GetSel(view_).end; }

  // Where the view shows position, in full, as the slice has it or else as the view answers.
  POINTL Point(int position) const { return PointIn(view_, measuring_, memo_.slice, origin_, position); }

  static POINTL PointIn(HWND view, HWND measuring, const LayoutMemo::Slice& slice, POINTL origin, int position) {
    if (position < slice.base || position > slice.base + slice.length) return richedit::PointFromChar(view, position);
    const POINTL measured = richedit::PointFromChar(measuring, position - slice.base);
    return {measured.x - slice.left + origin.x, measured.y + slice.dy + origin.y};
  }

 private:
  HWND view_;
  HWND measuring_;
  LayoutMemo& memo_;
  POINTL origin_;
  int topRow_;
};

// Gives the measuring view the lines from `first` on until it holds `rows` rows past the row of
// `at` (or the rest of the text); false when that takes more than it is given.
bool FillSlice(HWND measuring, const ViewTextCopy& copy, int first, int at, int rows, LayoutMemo::Slice& slice) {
  const std::vector<int>& starts = copy.lines.starts;
  const int textEnd = static_cast<int>(std::min(copy.text.find(u'\0'), copy.text.size()));
  for (int lines = rows + 3;; lines *= 2) {
    const size_t last = static_cast<size_t>(first) + static_cast<size_t>(lines);
    slice.base = starts[static_cast<size_t>(first)];
    slice.reachesEnd = last >= starts.size();
    const int end = slice.reachesEnd ? textEnd : starts[last];
    if (end - slice.base > kMaxSliceUnits) return false;
    slice.length = end - slice.base;
    richedit::StreamText(measuring, std::u16string_view(copy.text).substr(static_cast<size_t>(slice.base),
                                                                             static_cast<size_t>(slice.length)));
    slice.rows = richedit::LineCount(measuring);
    // Beyond the rows the plan looks at, the last row of a slice that stops short of the end is
    // the empty paragraph after its last line end, which the view does not have there.
    if (slice.reachesEnd || slice.rows >= richedit::LineFromChar(measuring, at - slice.base) + rows + 3) return true;
  }
}

// The measuring view's row that holds the view's top edge, or -1 when the slice does not reach
// it with `rows` rows to spare below.
int TopRowOf(HWND measuring, const LayoutMemo::Slice& slice, POINTL origin, int top, int rows) {
  const auto rowTop = [&](int row) {
    return richedit::PointFromChar(measuring, richedit::LineIndex(measuring, row)).y + slice.dy + origin.y;
  };
  if (slice.rows <= 0 || rowTop(0) > top) return -1;
  int low = 0, high = slice.rows - 1;  // the last row whose top is at or above the edge
  while (low < high) {
    const int middle = (low + high + 1) / 2;
    if (rowTop(middle) <= top) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  if (!slice.reachesEnd && low + rows + 3 > slice.rows) return -1;
  return low;
}

// The character whose position checks the slice: the last one of the last whole row planned,
// or the end of the text.
int CheckPosition(HWND measuring, const LayoutMemo::Slice& slice, int topRow, int rows) {
  const int after = topRow + rows;
  if (after >= slice.rows) return slice.base + slice.length;
  return slice.base + std::max(richedit::LineIndex(measuring, after) - 1, richedit::LineIndex(measuring, topRow));
}

// Answers from the slice for this paint, made anew where the slice does not hold the screen; no
// answers when the slice and the view disagree or the screen needs too much text.
std::optional<SliceAnswers> AnswersFromSlice(HWND view, LayoutMemo& memo, const ViewTextCopy& copy,
                                             const AppSettings& settings, int rows) {
  if (copy.lines.starts.size() < kLinesAskedDirectly) return std::nullopt;
  const HWND measuring = MeasuringViewFor(view);
  if (measuring == nullptr) return std::nullopt;
  const POINTL origin = richedit::PointFromChar(view, 0);
  const RECT format = richedit::FormatRect(view);
  LayoutMemo::Slice& slice = memo.slice;
  int topRow = slice.valid ? TopRowOf(measuring, slice, origin, format.top, rows) : -1;
  if (topRow < 0) {
    // Anew: the view tells which character is at its top edge, the measuring view lays out the
    // lines from there, and the position of the last character planned places them.
    slice = {};
    const int textEnd = static_cast<int>(std::min(copy.text.find(u'\0'), copy.text.size()));
    const int top = richedit::CharFromPos(view, {format.left, format.top});
    if (top < 0 || top > textEnd) return std::nullopt;
    FormatLike(measuring, view, settings);
    if (!FillSlice(measuring, copy, LogicalLineAt(copy.lines, top), top, rows, slice)) return std::nullopt;
    slice.left = richedit::PointFromChar(measuring, 0).x;
    const int firstRow = richedit::LineFromChar(measuring, top - slice.base);
    const int check = CheckPosition(measuring, slice, firstRow, rows);
    const POINTL measured = richedit::PointFromChar(measuring, check - slice.base);
    const POINTL shown = richedit::PointFromChar(view, check);
    slice.dy = shown.y - measured.y - origin.y;
    slice.valid = true;
    // The check: placed so, the measuring view has the view's top character on the row at the
    // view's top edge, and the checked character where the view has it across.
    topRow = TopRowOf(measuring, slice, origin, format.top, rows);
    if (topRow != firstRow || measured.x - slice.left + origin.x != shown.x) {
      memo.Reset(view, memo.width, memo.height);
      return std::nullopt;
    }
  } else {
    // The same slice, scrolled: one position asked of the view checks it.
    const int check = CheckPosition(measuring, slice, topRow, rows);
    const POINTL shown = richedit::PointFromChar(view, check);
    if (!SamePoint(shown, SliceAnswers::PointIn(view, measuring, slice, origin, check))) {
      // What was placed from the slice may be wrong too: the view answers everything afresh.
      memo.Reset(view, memo.width, memo.height);
      return std::nullopt;
    }
  }
  return SliceAnswers(view, measuring, memo, origin, topRow);
}

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
  if (view == nullptr) ReleaseMeasuringView();
}

void DrawViewOverlay(AppSettings settings, HDC memoryDc) {
  DrawViewOverlayExtent(settings, memoryDc);
}

namespace {

OverlayExtent DrawOverlay(const AppSettings& settings, HDC memoryDc, bool measured) {
  const ViewTextCopy* copy = CurrentViewTextCopy();
  const HWND view = VisibleView(settings, g_noWrapView, g_wrapView);
  if (copy == nullptr || view == nullptr) return {};
  const int dpi = GetDeviceCaps(memoryDc, LOGPIXELSY);
  const int lineHeight = MulDiv(settings.fontSize, dpi, 72);
  if (lineHeight <= 0) return {};  // a font size with no height: nothing is drawn
  RECT client{};
  GetClientRect(view, &client);
  LayoutMemo& memo = MemoFor(view, client);
  const OverlayGeometry geometry{lineHeight, client.right, client.bottom, settings.numberLine == 1};
  if (measured) {
    if (std::optional<SliceAnswers> answers = AnswersFromSlice(view, memo, *copy, settings, client.bottom / lineHeight)) {
      return DrawPlan(memoryDc, PlanOverlay(copy->text, copy->lines, *answers, geometry), settings, dpi, lineHeight,
                      client);
    }
  }
  ControlAnswers answers(view, memo);
  return DrawPlan(memoryDc, PlanOverlay(copy->text, copy->lines, answers, geometry), settings, dpi, lineHeight,
                  client);
}

}  // namespace

OverlayExtent DrawViewOverlayExtent(const AppSettings& settings, HDC memoryDc) {
  return DrawOverlay(settings, memoryDc, true);
}

OverlayExtent DrawViewOverlayAsked(const AppSettings& settings, HDC memoryDc) {
  ForgetViewLayout(VisibleView(settings, g_noWrapView, g_wrapView));
  const OverlayExtent extent = DrawOverlay(settings, memoryDc, false);
  ForgetViewLayout(VisibleView(settings, g_noWrapView, g_wrapView));
  return extent;
}
