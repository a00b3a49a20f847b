// The views' painting on real rich-edit controls: the overlay read back from the window's pixels,
// the keys that repaint, the text copy, and the drawing objects a paint leaves behind.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "view/overlay_win.h"
#include "view/richedit_win.h"
#include "view/view_proc_win.h"
#include "view/view_text_win.h"
#include "win_fixture.h"

namespace {

constexpr int kFontSize = 10;
constexpr int kLineHeight = 13;  // MulDiv(10, 96, 72)
constexpr COLORREF kGreyOnBlack = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kGreyOnWhite = RGB(0x40, 0x40, 0x40);

AppSettings Settings(int blackBack, int wordWrap, int numberLine) {
  AppSettings settings;
  settings.fontSize = kFontSize;
  const std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), settings.fontName);
  settings.blackBack = blackBack;
  settings.wordWrap = wordWrap;
  settings.numberLine = numberLine;
  return settings;
}

// The client area of a window as painted, read back through its device context.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB from the DIB

  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int CountIn(const RECT& r, bool (*test)(COLORREF, COLORREF), COLORREF colour) const {
    int n = 0;
    for (int y = std::max(0L, r.top); y < std::min<LONG>(height, r.bottom); ++y) {
      for (int x = std::max(0L, r.left); x < std::min<LONG>(width, r.right); ++x)
        n += test(At(x, y), colour) ? 1 : 0;
    }
    return n;
  }
  friend bool operator==(const Image&, const Image&) = default;
};

bool Is(COLORREF c, COLORREF colour) {
  return c == colour;
}
bool IsNot(COLORREF c, COLORREF colour) {
  return c != colour;
}

Image Capture(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  Image image;
  image.width = client.right;
  image.height = client.bottom;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  HDC windowDc = GetDC(window);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memoryDc, section);
  BitBlt(memoryDc, 0, 0, image.width, image.height, windowDc, 0, 0, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<const uint32_t*>(bits), image.pixels.size(), image.pixels.begin());
  SelectObject(memoryDc, old);
  DeleteObject(section);
  DeleteDC(memoryDc);
  ReleaseDC(window, windowDc);
  return image;
}

// The frame with the two views as the program makes them, the overlay's settings and a text.
class Views : public TestFrame {
 public:
  Views(const AppSettings& settings, const std::wstring& text, int width = 480, int height = 320)
      : TestFrame(FrameOptions{width, height, false, false}) {
    g_appSettings = settings;
    SubclassView(g_noWrapView);
    SubclassView(g_wrapView);
    const bool black = settings.blackBack == 1;
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_BACKCOLOR;
    format.yHeight = settings.fontSize * 20;
    lstrcpynW(format.szFaceName, reinterpret_cast<const wchar_t*>(settings.fontName), LF_FACESIZE);
    format.crTextColor = black ? RGB(255, 255, 255) : RGB(0, 0, 0);
    format.crBackColor = black ? RGB(0, 0, 0) : RGB(255, 255, 255);
    for (HWND view : {g_noWrapView, g_wrapView}) {
      richedit::SetBackgroundColor(view, format.crBackColor);
      richedit::SetCharFormatAll(view, format);
      // Wine's control gives text set later the default format, not that of all the text.
      SendMessageW(view, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
      richedit::SetTabStop(view, 32);
      richedit::SetLeftMargin(view, 56);  // kept with numbers off too, so the gutter holds no text
      richedit::LimitText(view, 0x7FFFFFFE);
    }
    ShowWindow(g_wrapView, settings.wordWrap == 1 ? SW_SHOW : SW_HIDE);
    ShowWindow(g_noWrapView, settings.wordWrap == 1 ? SW_HIDE : SW_SHOW);
    SetText(text);
    ShowWindow(Window(), SW_SHOW);
    UpdateWindow(Window());
  }

  void SetText(const std::wstring& text) {
    for (HWND view : {g_noWrapView, g_wrapView}) richedit::StreamText(view, U(text));
    DiscardViewTextCopy();
  }
  HWND Visible() const { return VisibleView(g_appSettings, g_noWrapView, g_wrapView); }
  Image Paint() const {
    InvalidateRect(Visible(), nullptr, FALSE);
    UpdateWindow(Visible());
    return Capture(Visible());
  }
  POINTL Pos(int position) const { return richedit::PointFromChar(Visible(), position); }
};

class ViewPaint : public WinFixtureWithParam<std::pair<int, int>> {};  // blackBack, wordWrap
using ViewPaintExtent = WinFixture;
using ViewPaintGutter = WinFixture;
using ViewPaintMessages = WinFixture;
using ViewTextCopyLifetime = WinFixture;
using ViewPaintLayoutMemo = WinFixture;
using ViewPaintLargeText = WinFixture;
using ViewPaintResources = WinFixture;
using ViewPaintMeasured = WinFixture;

TEST_P(ViewPaint, DrawsGutterMarksEofAndCaretRuleOverTheText) {
  const auto [blackBack, wordWrap] = GetParam();
  const std::wstring text =
      L"ab\r\tcd\x3000"
      L"ef\rxyz";
  Views views(Settings(blackBack, wordWrap, 1), text);
  richedit::SetSel(views.Visible(), 0, 0);
  const Image image = views.Paint();
  const COLORREF grey = blackBack == 1 ? kGreyOnBlack : kGreyOnWhite;
  const COLORREF back = blackBack == 1 ? RGB(0, 0, 0) : RGB(255, 255, 255);
  const int h = kLineHeight;

  for (int y : {1, h, image.height / 2, image.height - 2})
    EXPECT_EQ(image.At(52, y), grey) << "separator at y " << y;
  EXPECT_NE(image.At(53, image.height / 2), grey);

  const POINTL lineEnd = views.Pos(2);  // the CR after "ab": the arrow's stem
  EXPECT_EQ(image.At(lineEnd.x + 6, lineEnd.y + 4), grey);
  EXPECT_EQ(image.At(lineEnd.x + 3, lineEnd.y + h - 5), grey);
  const POINTL tab = views.Pos(3);
  EXPECT_EQ(image.At(tab.x + 3, tab.y + h / 2), grey);
  const POINTL wide = views.Pos(6);
  EXPECT_GE(image.CountIn({wide.x + 2, wide.y + 2, wide.x + 3, wide.y + h - 2}, Is, grey), 2) << "dotted box";

  const POINTL eof = views.Pos(static_cast<int>(text.size()));
  EXPECT_GE(image.CountIn({eof.x, eof.y, eof.x + 4 * h, eof.y + h}, IsNot, back), 5) << "[EOF]";
  const POINTL row0 = views.Pos(0);
  EXPECT_GE(image.CountIn({0, row0.y, 48, row0.y + h}, IsNot, back), 3) << "number 1";

  const int ruleY = row0.y + h + 1;
  EXPECT_EQ(image.At(image.width - 5, ruleY), grey);
  EXPECT_EQ(image.At(20, ruleY), grey);

  // Only the overlay's non-black pixels cover the control's painting: the text and its
  // background stay as the control drew them.
  EXPECT_GE(image.CountIn({row0.x, row0.y, lineEnd.x, row0.y + h}, IsNot, back), 3) << "glyphs of ab";
  EXPECT_EQ(image.At(image.width - 5, row0.y + 3), back);
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, ViewPaint,
                         testing::Values(std::pair{0, 0}, std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}));

// The paint copies only the parts of the overlay bitmap where the overlay says it drew.
TEST_F(ViewPaintExtent, HoldsEveryPixelTheOverlayDrew) {
  for (int blackBack : {0, 1}) {
    AppSettings settings = Settings(blackBack, 0, 1);
    settings.fontSize = 20;  // [EOF] reaches well past its box
    Views views(settings,
                L"ab\r\tcd\x3000"
                L"ef\r\r\txyz");
    richedit::SetSel(views.Visible(), 4, 4);
    views.Paint();
    RECT client{};
    GetClientRect(views.Visible(), &client);
    HDC windowDc = GetDC(views.Visible());
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    const OverlayExtent extent = DrawViewOverlayExtent(g_appSettings, memoryDc);
    int drawn = 0, outside = 0;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; ++x) {
        if (GetPixel(memoryDc, x, y) == RGB(0, 0, 0)) continue;
        ++drawn;
        const POINT at{x, y};
        if (!PtInRect(&extent.marks, at) && !PtInRect(&extent.caretRule, at)) ++outside;
      }
    }
    SelectObject(memoryDc, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(views.Visible(), windowDc);
    EXPECT_GT(drawn, 100) << blackBack;
    EXPECT_EQ(outside, 0) << blackBack;
  }
}

TEST_F(ViewPaintGutter, HoldsNothingWithNumbersOff) {
  Views views(Settings(0, 0, 0), L"one\rtwo\rthree");
  richedit::SetSel(views.Visible(), 0, 0);
  const int ruleY = views.Pos(0).y + kLineHeight + 1;
  const auto gutterInk = [&](const Image& image) {
    return image.CountIn({0, 0, 56, ruleY}, IsNot, RGB(255, 255, 255)) +
           image.CountIn({0, ruleY + 1, 56, image.height}, IsNot, RGB(255, 255, 255));
  };
  EXPECT_EQ(gutterInk(views.Paint()), 0);
  g_appSettings.numberLine = 1;
  EXPECT_GT(gutterInk(views.Paint()), 0);
}

TEST_F(ViewPaintGutter, NothingIsDrawnWithoutALineHeight) {
  Views views(Settings(0, 0, 1), L"a\rb");
  const int middle = views.Paint().height / 2;
  ASSERT_EQ(views.Paint().At(52, middle), kGreyOnWhite);
  g_appSettings.fontSize = 0;
  EXPECT_EQ(views.Paint().At(52, middle), RGB(255, 255, 255));
}

TEST_F(ViewPaintMessages, SubclassingAViewAgainKeepsTheControlsProcedure) {
  Views views(Settings(0, 0, 1), L"a\rb");
  SubclassView(g_noWrapView);  // would make the procedure pass every message to itself
  EXPECT_EQ(views.Paint().At(52, 5), kGreyOnWhite);
  EXPECT_EQ(richedit::LineCount(g_noWrapView), 2);
}

TEST_F(ViewPaintMessages, EraseBackgroundAnswersOneAndLeavesTheDcAlone) {
  Views views(Settings(0, 0, 1), L"text");
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 3, 3, RGB(255, 0, 0));
  EXPECT_EQ(SendMessageW(views.Visible(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST_F(ViewPaintMessages, ArrowKeysRepaintWhenDownPageKeysWhenUp) {
  Views views(Settings(0, 0, 1), L"a\rb\rc");
  const HWND view = views.Visible();
  RECT client{};
  GetClientRect(view, &client);
  // A pixel far from the caret, marked by hand: only a repaint of the whole view paints it over.
  // The control may paint at once while it handles the key, so the pending paint is done too.
  const auto wholeViewRepainted = [&](UINT message, WPARAM key) {
    UpdateWindow(view);
    HDC dc = GetDC(view);
    SetPixel(dc, client.right - 3, client.bottom - 3, RGB(255, 0, 0));
    SendMessageW(view, message, key, 0);
    UpdateWindow(view);
    const bool repainted = GetPixel(dc, client.right - 3, client.bottom - 3) != RGB(255, 0, 0);
    ReleaseDC(view, dc);
    return repainted;
  };
  EXPECT_TRUE(wholeViewRepainted(WM_KEYDOWN, VK_LEFT));
  EXPECT_TRUE(wholeViewRepainted(WM_KEYDOWN, VK_UP));
  EXPECT_TRUE(wholeViewRepainted(WM_KEYUP, VK_NEXT));
  EXPECT_TRUE(wholeViewRepainted(WM_KEYUP, VK_PRIOR));
  EXPECT_FALSE(wholeViewRepainted(WM_KEYDOWN, VK_NEXT));
  EXPECT_FALSE(wholeViewRepainted(WM_KEYUP, VK_LEFT));
  EXPECT_FALSE(wholeViewRepainted(WM_KEYDOWN, VK_HOME));
}

TEST_F(ViewTextCopyLifetime, TakenAtTheFirstPaintAndKeptUntilDiscarded) {
  Views views(Settings(0, 0, 1), L"first\r\nline");
  DiscardViewTextCopy();
  EXPECT_EQ(CurrentViewTextCopy(), nullptr);
  views.Paint();
  ASSERT_NE(CurrentViewTextCopy(), nullptr);
  EXPECT_EQ(std::u16string(CurrentViewTextCopy()->text.c_str()), u"first\rline");
  EXPECT_EQ(CurrentViewTextCopy()->lines.starts, (std::vector<int>{0, 6}));

  for (HWND view : {g_noWrapView, g_wrapView}) SetWindowTextW(view, L"");
  views.Paint();  // no discard yet: the same copy
  EXPECT_EQ(std::u16string(CurrentViewTextCopy()->text.c_str()), u"first\rline");
  DiscardViewTextCopy();
  views.Paint();
  ASSERT_NE(CurrentViewTextCopy(), nullptr);
  EXPECT_EQ(CurrentViewTextCopy()->text, std::u16string(1, u'\0'));  // an empty document: one NUL

  DestroyWindow(g_noWrapView);  // its WM_NCDESTROY discards the copy
  g_noWrapView = nullptr;
  EXPECT_EQ(CurrentViewTextCopy(), nullptr);
}

// What the overlay keeps of a layout between paints must draw what asking afresh draws.
TEST_F(ViewPaintLayoutMemo, ScrolledPaintsMatchPaintsThatAskAfresh) {
  std::wstring text;
  for (int line = 0; line < 400; ++line) {
    text +=
        std::to_wstring(line) + L"\tword\x3000" + std::wstring(static_cast<size_t>(line % 90), L'x') + L"\r";
  }
  for (int wordWrap : {0, 1}) {
    SCOPED_TRACE(wordWrap);
    Views views(Settings(0, wordWrap, 1), text);
    const HWND view = views.Visible();
    views.Paint();
    for (auto [columns, rows] : {std::pair{0, 7}, std::pair{0, -3}, std::pair{12, 0}, std::pair{0, 150}}) {
      richedit::LineScroll(view, columns, rows);
      richedit::SetSel(view, richedit::LineIndex(view, richedit::FirstVisibleLine(view) + 2),
                       richedit::LineIndex(view, richedit::FirstVisibleLine(view) + 2));
      const Image kept = views.Paint();
      ForgetViewLayout(nullptr);
      EXPECT_EQ(kept, views.Paint()) << "after scrolling " << columns << ", " << rows;
    }
    // A new font size and a new width lay the text out anew: nothing learnt before may be used.
    CHARFORMAT2W bigger{};
    bigger.cbSize = sizeof(bigger);
    bigger.dwMask = CFM_SIZE;
    bigger.yHeight = 14 * 20;
    richedit::SetCharFormatAll(view, bigger);
    const Image afterFormat = views.Paint();
    ForgetViewLayout(nullptr);
    EXPECT_EQ(afterFormat, views.Paint()) << "after a new font size";
    RECT client{};
    GetClientRect(view, &client);
    MoveWindow(view, 0, 0, client.right - 120, client.bottom, TRUE);
    const Image afterSize = views.Paint();
    ForgetViewLayout(nullptr);
    EXPECT_EQ(afterSize, views.Paint()) << "after a new width";
  }
}

// The overlay drawn off screen, as ComposeOverlay draws it, with where it says it drew.
struct Drawn {
  std::vector<COLORREF> pixels;
  RECT marks{};
  RECT caretRule{};
  friend bool operator==(const Drawn& a, const Drawn& b) {
    return a.pixels == b.pixels && EqualRect(&a.marks, &b.marks) && EqualRect(&a.caretRule, &b.caretRule);
  }
};

Drawn DrawOverlay(HWND view, OverlayExtent (*draw)(const AppSettings&, HDC)) {
  RECT client{};
  GetClientRect(view, &client);
  HDC windowDc = GetDC(view);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memoryDc, bitmap);
  const OverlayExtent extent = draw(g_appSettings, memoryDc);
  Drawn drawn{{}, extent.marks, extent.caretRule};
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) drawn.pixels.push_back(GetPixel(memoryDc, x, y));
  }
  SelectObject(memoryDc, old);
  DeleteObject(bitmap);
  DeleteDC(memoryDc);
  ReleaseDC(view, windowDc);
  return drawn;
}

// A text of many lines, so that the overlay measures the screen in its measuring view: tabs,
// full-width spaces, CR LF and lone LF, empty lines, and paragraphs that wrap over many rows.
std::wstring LongDocument(int lines) {
  std::wstring text;
  for (int line = 0; line < lines; ++line) {
    text += std::to_wstring(line) + L"\tword\x3000" + std::wstring(static_cast<size_t>(line % 23), L'x');
    if (line % 97 == 0) {
      for (int k = 0; k < 60; ++k) text += L" wrapped\tword\x3000" + std::to_wstring(k);
    }
    text += line % 11 == 0 ? L"\r\n" : line % 13 == 0 ? L"\n" : line % 17 == 0 ? L"\r\r" : L"\r";
  }
  return text + L"last\tline";
}

// Measured answers must draw, pixel for pixel, what asking the view draws, wherever the view is
// scrolled, after a new font size and a new width, in both views.
TEST_F(ViewPaintMeasured, DrawsWhatAskingTheViewDraws) {
  const std::wstring text = LongDocument(3000);
  for (int wordWrap : {0, 1}) {
    SCOPED_TRACE(wordWrap);
    Views views(Settings(0, wordWrap, 1), text);
    const HWND view = views.Visible();
    const int end = static_cast<int>(text.size()) - 2000;  // positions of the raw text are fewer
    const auto expectSame = [&](const char* where) {
      views.Paint();
      const Drawn measured = DrawOverlay(view, DrawViewOverlayExtent);
      const Drawn again = DrawOverlay(view, DrawViewOverlayExtent);  // from what was kept
      const Drawn asked = DrawOverlay(view, DrawViewOverlayAsked);
      EXPECT_TRUE(measured == asked) << where;
      EXPECT_TRUE(again == asked) << where << ", again";
    };
    expectSame("at the top");
    for (int rows : {7, 40, 500, -3, 1200}) {
      richedit::LineScroll(view, 0, rows);
      expectSame(("scrolled by " + std::to_string(rows)).c_str());
    }
    richedit::SetSel(view, end, end);
    richedit::ScrollCaret(view);
    expectSame("at the end");
    richedit::LineScroll(view, 0, -30);
    expectSame("caret below the screen");
    if (wordWrap == 0) {
      richedit::LineScroll(view, 12, 0);
      expectSame("scrolled sideways");
    }
    CHARFORMAT2W bigger{};
    bigger.cbSize = sizeof(bigger);
    bigger.dwMask = CFM_SIZE;
    bigger.yHeight = 14 * 20;
    richedit::SetCharFormatAll(view, bigger);
    g_appSettings.fontSize = 14;
    expectSame("after a new font size");
    RECT client{};
    GetClientRect(view, &client);
    MoveWindow(view, 0, 0, client.right - 120, client.bottom - 40, TRUE);
    expectSame("after a new size");
  }
}

// The questions that walk the text in some controls (EM_CHARFROMPOS and the position and line
// questions about characters past the first) reach the view only a few times per paint.
WNDPROC g_countedProc = nullptr;
int g_walkingQuestions = 0;

LRESULT CALLBACK CountingProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_POSFROMCHAR:
      // With a POINTL the position comes in lParam, packed it comes in wParam.
      g_walkingQuestions += (wParam > 0xFFFF ? lParam : static_cast<LPARAM>(wParam)) != 0 ? 1 : 0;
      break;
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR:
      g_walkingQuestions += wParam != 0 ? 1 : 0;
      break;
    case EM_GETFIRSTVISIBLELINE:
    case EM_CHARFROMPOS:
      ++g_walkingQuestions;
      break;
    default:
      break;
  }
  return CallWindowProcW(g_countedProc, view, message, wParam, lParam);
}

TEST_F(ViewPaintMeasured, AsksTheViewAFewQuestionsPerPaintAnywhere) {
  const std::wstring text = LongDocument(6000);
  for (int wordWrap : {0, 1}) {
    SCOPED_TRACE(wordWrap);
    Views views(Settings(0, wordWrap, 1), text);
    const HWND view = views.Visible();
    const int end = richedit::TextLength(view);
    g_countedProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    const auto questionsOfOnePaint = [&] {
      g_walkingQuestions = 0;
      views.Paint();
      return g_walkingQuestions;
    };
    richedit::SetSel(view, end, end);
    richedit::ScrollCaret(view);
    questionsOfOnePaint();
    ForgetViewLayout(nullptr);
    EXPECT_LE(questionsOfOnePaint(), 3) << "a fresh screen at the end";
    EXPECT_LE(questionsOfOnePaint(), 2) << "the same screen again";
    richedit::LineScroll(view, 0, -5);
    EXPECT_LE(questionsOfOnePaint(), 3) << "scrolled a few rows";
    richedit::LineScroll(view, 0, -5000);
    EXPECT_LE(questionsOfOnePaint(), 4) << "a screen far up";
    SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_countedProc));
  }
}

TEST_F(ViewPaintLargeText, DrawsEofAndCaretRuleBeyondCharacter0x40000) {
  std::wstring text;
  while (text.size() < 0x48000) text += std::wstring(500, L'x') + L"\t\r";
  Views views(Settings(0, 0, 1), text);
  const HWND view = views.Visible();
  const int end = static_cast<int>(text.size());
  richedit::SetSel(view, end, end);
  richedit::ScrollCaret(view);
  richedit::LineScroll(view, -1000, 0);
  const int caret = richedit::LineIndex(view, richedit::FirstVisibleLine(view) + 2);
  ASSERT_GT(caret, 0x40000);
  richedit::SetSel(view, caret, caret);
  const Image image = views.Paint();
  const POINTL eof = views.Pos(end);
  ASSERT_GE(eof.y, 0);
  ASSERT_LT(eof.y, image.height);
  const RECT eofBox{eof.x, eof.y, eof.x + 4 * kLineHeight, eof.y + kLineHeight};
  EXPECT_GE(image.CountIn(eofBox, IsNot, RGB(255, 255, 255)), 5);
  EXPECT_EQ(image.At(20, views.Pos(caret).y + kLineHeight + 1), kGreyOnWhite) << "caret rule";
}

TEST_F(ViewPaintResources, ManyPaintsLeaveNoDrawingObjectBehind) {
  Views views(Settings(0, 0, 1),
              L"a\tb\x3000"
              L"c\rd");
  const auto paintEachWay = [&] {
    for (int k = 0; k < 4; ++k) {
      g_appSettings.blackBack = k % 2;
      g_appSettings.numberLine = k / 2;
      views.Paint();
    }
  };
  paintEachWay();  // whatever the system makes once for the first paints
  const int before = GdiObjectCount();
  ASSERT_GT(before, 0);
  for (int round = 0; round < 50; ++round) paintEachWay();
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
