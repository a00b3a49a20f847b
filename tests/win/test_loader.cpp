// LoadTextFile into two real rich-edit views under the program's real menu, with real files in a
// temp folder. The large-file question is answered from a timer that runs inside its modal loop.
#include <windows.h>
#include <richedit.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings.h"
#include "document/loader_win.h"
#include "view/richedit_win.h"
#include "view/view_proc_win.h"
#include "view/view_window_win.h"
#include "win_fixture.h"

namespace {

constexpr std::size_t kThreshold = 10485760;

class Loader : public WinFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(frame_.Ok());
    ASSERT_NE(frame_.Menu(), nullptr);
    main_ = frame_.Window();
    menu_ = frame_.Menu();
    wrap_ = frame_.WrapView();
    noWrap_ = frame_.NoWrapView();
    dir_ = folder_.Path() + L"\\";
  }

  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = dir_ + name;
    FILE* f = _wfopen(path.c_str(), L"wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      fwrite(bytes.data(), 1, bytes.size(), f);
      fclose(f);
    }
    return path;
  }

  // A file of `size` bytes that the system stores sparse: a UTF-16LE mark, "A", then zeros.
  std::wstring WriteSparse(const std::wstring& name, long long size) {
    const std::wstring path = dir_ + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h,
              "\xFF\xFE"
              "A\0",
              4, &written, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    return path;
  }

  void Load(const std::wstring& path, int encoding = 0, int wordWrap = 0) {
    AppSettings settings;
    settings.encoding = encoding;
    settings.wordWrap = wordWrap;
    LoadTextFile(main_, noWrap_, wrap_, path, settings, menu_);
  }

  std::wstring Label() const {
    wchar_t buffer[64] = {};
    GetMenuStringW(menu_, 2, buffer, 64, MF_BYPOSITION);
    return buffer;
  }

  void ExpectBothViews(const std::wstring& text) const {
    EXPECT_EQ(richedit::RawText(noWrap_), text);
    EXPECT_EQ(richedit::RawText(wrap_), text);
  }

  TestFrame frame_{FrameOptions{640, 480, true, false}};
  BoxAnswerer answerer_;
  TempFolder folder_;
  HMENU menu_ = nullptr;
  HWND main_ = nullptr;
  HWND wrap_ = nullptr;
  HWND noWrap_ = nullptr;
  std::wstring dir_;
};

using namespace std::string_literals;

TEST_F(Loader, EveryDecodingPathFillsBothViewsPlacesTheCaretAndRelabels) {
  struct Case {
    const char* name;
    std::string bytes;
    int encoding;
    int wordWrap;
    std::wstring text;  // as the views give it back: a paragraph ends with a single CR
    const wchar_t* label;
  };
  const std::vector<Case> cases = {
      {"UTF-8 detected", "\xE3\x81\x82\xE3\x81\x84\r\nabc", 0, 0, L"あい\rabc", L"UTF-8(&C)"},
      {"UTF-8 with mark", "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC", 0, 1, L"日本", L"UTF-8(&C)"},
      {"invalid UTF-8 shown with replacements", "caf\xE9!", 0, 0, L"caf\uFFFD!", L"UTF-8(&C)"},
      {"UTF-8 forced skips a mark",
       "\xEF\xBB\xBF"
       "abc",
       2, 0, L"abc", L"UTF-8(&C)"},
      {"UTF-16LE with mark",
       "\xFF\xFE"
       "A\0B\0\x00\x4E"s,
       0, 0, L"AB一", L"UTF-16LE(&C)"},
      {"UTF-16LE forced keeps a first character without mark", "A\0B\0"s, 4, 1, L"AB", L"UTF-16LE(&C)"},
      {"UTF-16BE", "\xFE\xFF\0A\0B\x4E\x00"s, 0, 0, L"AB一", L"UTF-16BE(&C)"},
      {"binary", "a\tb\0c\x80\r\nd"s, 0, 1, L"a b c \rd", L"BINARY(&C)"},
      // From here on the run-time library's locale is the native one.
      {"Shift_JIS detected", "\x82\xA0\x82\xA2\r\n\x8A\xBF\x8E\x9A", 0, 0, L"あい\r漢字", L"ShiftJIS(&C)"},
      {"Shift_JIS forced ends at a zero byte", "ab\0cd"s, 1, 1, L"ab", L"ShiftJIS(&C)"},
      {"empty file", "", 0, 0, L"", L"ShiftJIS(&C)"},
  };
  ASSERT_STREQ(setlocale(LC_ALL, nullptr), "C");
  bool shiftJisSeen = false;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = Write(L"case" + std::to_wstring(n++) + L".txt", c.bytes);
    Load(path, c.encoding, c.wordWrap);
    ExpectBothViews(c.text);
    EXPECT_EQ(Label(), c.label);
    const HWND visible = c.wordWrap == 1 ? wrap_ : noWrap_;
    const richedit::Selection sel = richedit::GetSel(visible);
    EXPECT_EQ(sel.start, 0);
    EXPECT_EQ(sel.end, 0);
    if (!c.bytes.empty()) {
      EXPECT_EQ(richedit::TextLimit(noWrap_), c.bytes.size());
      EXPECT_EQ(richedit::TextLimit(wrap_), c.bytes.size());
    }
    shiftJisSeen = shiftJisSeen || std::wstring(c.label) == L"ShiftJIS(&C)";
    EXPECT_EQ(std::string(setlocale(LC_ALL, nullptr)) != "C", shiftJisSeen) << setlocale(LC_ALL, nullptr);
  }
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Loader, UnreadableFileLeavesBothViewsEmptyAndTheLabelAsItWas) {
  EXPECT_EQ(Label(), L"CODE");
  Load(L"");
  ExpectBothViews(L"");
  EXPECT_EQ(Label(), L"CODE");

  const std::wstring good = Write(L"good.txt",
                                  "\xFF\xFE"
                                  "A\0"s);
  const std::wstring locked = Write(L"locked.txt", "abc");
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const std::wstring unreadable[] = {dir_ + L"missing.txt", locked, dir_};
  for (const std::wstring& path : unreadable) {
    Load(good);
    ExpectBothViews(L"A");
    Load(path);
    ExpectBothViews(L"");
    EXPECT_EQ(Label(), L"UTF-16LE(&C)");
  }
  CloseHandle(lock);
}

TEST_F(Loader, FileThatAnotherProgramIsWritingIsShown) {
  // A log still open for writing elsewhere, sharing read and write.
  const std::wstring log = Write(L"app.log", "line 1\r\n");
  HANDLE writer = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Load(log);
  ExpectBothViews(L"line 1\r");
  CloseHandle(writer);
}

TEST_F(Loader, TheHiddenViewStaysHiddenAndTheShownOneShown) {
  ShowWindow(main_, SW_SHOW);
  ShowWindow(wrap_, SW_HIDE);
  Load(Write(L"shown.txt", "abc"));
  ExpectBothViews(L"abc");
  EXPECT_TRUE(IsWindowVisible(noWrap_));
  EXPECT_FALSE(IsWindowVisible(wrap_));
}

TEST_F(Loader, LargeFileQuestionAboveTenMebibytesYesReadsAllNoTheStart) {
  // A UTF-16LE text "AB" and zeros: the views get two characters however much is read.
  std::string bytes =
      "\xFF\xFE"
      "A\0B\0"s;
  bytes.resize(kThreshold, '\0');
  Load(Write(L"exact.txt", bytes));
  EXPECT_TRUE(g_boxes.empty()) << "exactly 10,485,760 bytes is not asked about";
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold);
  ExpectBothViews(L"AB");

  bytes.push_back('\0');
  const std::wstring large = Write(L"large.txt", bytes);
  g_boxAnswer = IDYES;
  Load(large);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Vam");
  EXPECT_EQ(g_boxes[0].text, L"10MB以上あります。\n最後まで読み込みますか？");
  EXPECT_EQ(g_boxes[0].owner, main_);
  EXPECT_TRUE(g_boxes[0].yesNoCancel);
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold + 1);
  EXPECT_EQ(richedit::TextLimit(wrap_), kThreshold + 1);
  ExpectBothViews(L"AB");
  EXPECT_EQ(Label(), L"UTF-16LE(&C)");

  g_boxAnswer = IDNO;
  Load(large);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold);
  EXPECT_EQ(richedit::TextLimit(wrap_), kThreshold);
  ExpectBothViews(L"AB");
  EXPECT_EQ(g_closeCount, 0);
}

TEST_F(Loader, LargeFileQuestionCancelClosesTheMainWindowWithTheViewsEmpty) {
  Load(Write(L"small.txt", "small"));
  ASSERT_EQ(Label(), L"ShiftJIS(&C)");
  std::string bytes =
      "\xEF\xBB\xBF"
      "abc";
  bytes.resize(kThreshold + 1, 'x');
  g_boxAnswer = IDCANCEL;
  Load(Write(L"large.txt", bytes));
  ASSERT_EQ(g_boxes.size(), 1u);
  ExpectBothViews(L"");
  EXPECT_EQ(Label(), L"ShiftJIS(&C)");
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(g_closeCount, 1);
}

TEST_F(Loader, FileOfFourGibibytesIsAskedAboutAndYesFallsBackToTheStart) {
  // Its size does not fit 32 bits (it would read as 5 bytes) nor can the views hold it whole.
  const std::wstring huge = WriteSparse(L"huge.txt", (4LL << 30) + 5);
  g_boxAnswer = IDYES;
  Load(huge);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold);
  ExpectBothViews(L"A");
  EXPECT_EQ(Label(), L"UTF-16LE(&C)");
}

// ---- How the text goes into the views

// What a view shows and answers, to hold a filled view to one whose text was set in one go.
struct ViewState {
  std::wstring raw;
  std::wstring text;  // WM_GETTEXT
  int length = 0;
  richedit::Selection selection;
  POINT scroll{};
  int firstLine = 0;
  unsigned limit = 0;
  LRESULT modified = 0;
  CHARFORMAT2W defaultFormat{};
  CHARFORMAT2W textFormat{};
};

bool SameFormat(const CHARFORMAT2W& a, const CHARFORMAT2W& b) {
  return a.dwMask == b.dwMask && a.dwEffects == b.dwEffects && a.yHeight == b.yHeight &&
         a.crTextColor == b.crTextColor && a.crBackColor == b.crBackColor && a.bCharSet == b.bCharSet &&
         wcscmp(a.szFaceName, b.szFaceName) == 0;
}

ViewState StateOf(HWND view) {
  ViewState state;
  state.raw = richedit::RawText(view);
  state.length = richedit::TextLength(view);
  state.text.assign(static_cast<size_t>(state.length) + 1, L'\0');
  state.text.resize(static_cast<size_t>(
      SendMessageW(view, WM_GETTEXT, state.text.size(), reinterpret_cast<LPARAM>(state.text.data()))));
  state.selection = richedit::GetSel(view);
  SendMessageW(view, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&state.scroll));
  state.firstLine = richedit::FirstVisibleLine(view);
  state.limit = richedit::TextLimit(view);
  state.modified = SendMessageW(view, EM_GETMODIFY, 0, 0);
  state.defaultFormat = richedit::DefaultCharFormat(view);
  state.textFormat.cbSize = sizeof(state.textFormat);
  richedit::SetSel(view, 0, -1);
  SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&state.textFormat));
  richedit::SetSel(view, state.selection.start, state.selection.end);
  return state;
}

void ExpectSameState(const ViewState& got, const ViewState& want) {
  EXPECT_TRUE(got.raw == want.raw) << "raw text, " << got.raw.size() << " and " << want.raw.size() << " units";
  EXPECT_TRUE(got.text == want.text) << "window text";
  EXPECT_EQ(got.length, want.length);
  EXPECT_EQ(got.selection.start, want.selection.start);
  EXPECT_EQ(got.selection.end, want.selection.end);
  EXPECT_EQ(got.scroll.x, want.scroll.x);
  EXPECT_EQ(got.scroll.y, want.scroll.y);
  EXPECT_EQ(got.firstLine, want.firstLine);
  EXPECT_EQ(got.limit, want.limit);
  EXPECT_EQ(got.modified, want.modified);
  EXPECT_TRUE(SameFormat(got.defaultFormat, want.defaultFormat)) << "default character format";
  EXPECT_TRUE(SameFormat(got.textFormat, want.textFormat)) << "character format of the text";
}

// Text whose units that belong together (CR LF, CR CR LF, a surrogate pair) fall on each side of
// the boundaries of the pieces the control takes (2,048 units each under Wine), at every offset.
std::wstring AcrossPieceBoundaries() {
  std::wstring text;
  const std::wstring together[] = {L"\r\n", L"\r\r\n", L"\xD83D\xDE00"};
  for (int boundary = 1; boundary <= 9; ++boundary) {
    const std::wstring& units = together[(boundary - 1) % 3];
    const size_t offset = (boundary - 1) / 3;  // how many of the units come before the boundary
    const size_t start = static_cast<size_t>(boundary) * 2048 - 1 - offset;
    while (text.size() < start) text += text.size() % 50 == 49 ? L'\n' : L'x';
    text += units;
  }
  return text + L"end";
}

std::string Utf8Of(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

// Every decoding path, and the texts the control reads in its own ways, against a view of the same
// kind whose text was set with WM_SETTEXT: the same text, caret, scroll position, format and limit.
TEST_F(Loader, FilledViewsHoldWhatSettingTheTextInOneGoGives) {
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring text;  // as the decoding gives it
    int encoding = 0;
  };
  std::vector<Case> cases = {
      {"CR LF", "ab\r\ncd\r\n", L"ab\r\ncd\r\n"},
      {"lone CR", "ab\rcd\r", L"ab\rcd\r"},
      {"lone LF", "ab\ncd\n", L"ab\ncd\n"},
      {"CR CR LF", "ab\r\r\ncd\r\r\r\n", L"ab\r\r\ncd\r\r\r\n"},
      {"no line end at the end", "abc", L"abc"},
      {"empty", "", L""},
      // Wine's control wraps one long paragraph in a time that grows with the square of its length
      // (200,000 characters take a minute and a half in the wrapping view, WM_SETTEXT alike).
      {"one line of 40,000 characters", std::string(40000, 'w'), std::wstring(40000, L'w')},
      {"replacement characters from invalid UTF-8", "ab\xFF\r\n\xE3\x81" "cd", L"ab\uFFFD\r\n\uFFFDcd", 2},
      {"binary", "a\0b\tc\x80\r\nd"s, L"a b c \r\nd"},
      {"UTF-16LE", "\xFF\xFE" "a\0\r\0\n\0\x3D\xD8\x00\xDE"s, L"a\r\n\xD83D\xDE00"},
      {"UTF-16BE", "\xFE\xFF\0a\0\r\0\r\0\n\x4E\x00"s, L"a\r\r\n\x4E00"},
      {"Shift_JIS", "\x82\xA0\r\n\x8A\xBF\t\x81\x40", L"\x3042\r\n\x6F22\t\x3000"},
  };
  const std::wstring across = AcrossPieceBoundaries();
  cases.push_back({"units that belong together across the pieces", Utf8Of(across), across});
  std::wstring beyondLimit;  // longer than a control takes by default
  while (beyondLimit.size() < 100000) beyondLimit += L"a line of text\r\n";
  cases.push_back({"more than the default text limit", Utf8Of(beyondLimit), beyondLimit});

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int wordWrap = n % 2;
    Load(Write(L"fill" + std::to_wstring(n++) + L".txt", c.bytes), c.encoding, wordWrap);
    for (const DWORD style : {kNoWrapViewStyle, kWrapViewStyle}) {
      const HWND view = style == kWrapViewStyle ? wrap_ : noWrap_;
      HWND reference = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", style & ~WS_VISIBLE, 0, 0, 600, 400,
                                       main_, nullptr, instance, nullptr);
      richedit::LimitText(reference, static_cast<unsigned>(c.bytes.size()));
      SetWindowTextW(reference, c.text.c_str());
      if ((GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE) != 0) richedit::SetSel(reference, 0, 0);
      ExpectSameState(StateOf(view), StateOf(reference));
      DestroyWindow(reference);
    }
  }
}

// Both views of a 10 MiB start of a larger file, read after "No": all of it, pieces and all.
TEST_F(Loader, TheStartOfALargeFileFillsBothViewsWhole) {
  std::string bytes;
  for (int line = 0; bytes.size() <= kThreshold; ++line) bytes += std::to_string(line) + std::string(55, 'a') + "\r\n";
  std::wstring expected;  // the first 10 MiB, paragraph ends as the views give them back
  for (size_t i = 0; i < kThreshold; ++i) {
    if (bytes[i] == '\n' && bytes[i - 1] == '\r') continue;
    expected += static_cast<wchar_t>(bytes[i]);
  }
  g_boxAnswer = IDNO;
  Load(Write(L"large-lines.txt", bytes));
  ASSERT_EQ(g_boxes.size(), 1u);
  for (HWND view : {noWrap_, wrap_}) EXPECT_TRUE(richedit::RawText(view) == expected);
}

// The fills as they reach the views: which view, how much text it held afterwards, and the cursor
// while it was filled; and the views' paints.
struct Event {
  HWND view;
  UINT message;
  int length;
  HCURSOR cursor;
};
std::vector<Event> g_events;
WNDPROC g_viewProc = nullptr;

LRESULT CALLBACK RecordingViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  const HCURSOR cursor = GetCursor();
  const LRESULT result = CallWindowProcW(g_viewProc, view, message, wParam, lParam);
  if (message == EM_STREAMIN || message == WM_SETTEXT || message == WM_PAINT) {
    g_events.push_back({view, message, richedit::TextLength(view), cursor});
  }
  return result;
}

TEST_F(Loader, TheShownViewIsFilledAndPaintedFirstUnderTheWaitCursor) {
  ShowWindow(main_, SW_SHOW);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  const std::wstring file = Write(L"order.txt", "one\r\ntwo");
  for (int wordWrap : {0, 1}) {
    SCOPED_TRACE(wordWrap);
    const HWND shown = wordWrap == 1 ? wrap_ : noWrap_;
    const HWND hidden = wordWrap == 1 ? noWrap_ : wrap_;
    ShowWindow(shown, SW_SHOW);
    ShowWindow(hidden, SW_HIDE);
    g_viewProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(noWrap_, GWLP_WNDPROC));
    for (HWND view : {noWrap_, wrap_})
      SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingViewProc));
    g_events.clear();
    SetCursor(arrow);
    Load(file, 0, wordWrap);
    for (HWND view : {noWrap_, wrap_})
      SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_viewProc));
    EXPECT_EQ(GetCursor(), arrow) << "the cursor is the one before the load again";

    // Emptied, the shown view filled and painted, then the hidden one filled.
    std::vector<std::pair<HWND, int>> fills;
    size_t shownFill = 0, shownPaint = 0, hiddenFill = 0;
    for (size_t k = 0; k < g_events.size(); ++k) {
      const Event& e = g_events[k];
      if (e.message == WM_PAINT) {
        if (e.view == shown && shownFill != 0 && shownPaint == 0) shownPaint = k;
        continue;
      }
      EXPECT_EQ(e.cursor, wait) << "while a view is filled";
      if (e.length > 0) (e.view == shown ? shownFill : hiddenFill) = k;
    }
    EXPECT_GT(shownFill, 0u);
    EXPECT_GT(shownPaint, shownFill);
    EXPECT_GT(hiddenFill, shownPaint);
    ExpectBothViews(L"one\rtwo");
  }
  for (const std::wstring& failing : {dir_ + L"missing.txt", std::wstring()}) {
    SetCursor(arrow);
    Load(failing);
    EXPECT_EQ(GetCursor(), arrow);
  }
}

TEST_F(Loader, CancelInTheSizeQuestionRestoresTheCursor) {
  std::string bytes(kThreshold + 1, 'x');
  g_boxAnswer = IDCANCEL;
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  Load(Write(L"cancelled.txt", bytes));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(GetCursor(), arrow);
}

// A view of many rows is emptied by replacing it with a twin (deleting the rows one by one takes
// minutes in some controls): the twin must be the view in every way the program relies on.
TEST_F(Loader, AViewOfManyRowsIsReplacedByATwinLikeIt) {
  ShowWindow(main_, SW_SHOW);
  for (HWND view : {noWrap_, wrap_}) {
    SubclassView(view);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_SIZE | CFM_FACE | CFM_COLOR;
    format.dwEffects = CFE_BOLD;
    format.yHeight = 14 * 20;
    format.crTextColor = RGB(0x20, 0x40, 0x60);
    lstrcpynW(format.szFaceName, L"Tahoma", LF_FACESIZE);
    richedit::SetCharFormatAll(view, format);
    richedit::SetLeftMargin(view, 56);
  }
  ShowWindow(wrap_, SW_HIDE);
  SetFocus(noWrap_);
  std::string many;
  for (int line = 0; line < 2000; ++line) many += "line " + std::to_string(line) + "\r\n";
  AppSettings settings;
  settings.numberLine = 1;  // the margin is the settings' affair
  const auto load = [&](const std::wstring& path) { LoadTextFile(main_, noWrap_, wrap_, path, settings, menu_); };
  load(Write(L"many.txt", many));

  struct Look {
    std::wstring className;
    LONG style, exStyle;
    int id;
    HWND parent;
    RECT place;
    RECT format;
    CHARFORMAT2W charFormat;
    LONG_PTR procedure;
  };
  const auto look = [&](HWND view) {
    Look l{};
    wchar_t name[64] = {};
    GetClassNameW(view, name, 64);
    l.className = name;
    l.style = GetWindowLongW(view, GWL_STYLE);
    l.exStyle = GetWindowLongW(view, GWL_EXSTYLE);
    l.id = GetDlgCtrlID(view);
    l.parent = GetParent(view);
    GetWindowRect(view, &l.place);
    l.format = richedit::FormatRect(view);
    l.charFormat = richedit::DefaultCharFormat(view);
    l.procedure = GetWindowLongPtrW(view, GWLP_WNDPROC);
    return l;
  };
  const HWND oldViews[] = {noWrap_, wrap_};
  const Look before[] = {look(noWrap_), look(wrap_)};
  const HWND belowNoWrap = GetWindow(noWrap_, GW_HWNDNEXT);

  load(Write(L"few.txt", "few\r\nlines"));
  EXPECT_EQ(GetFocus(), noWrap_);
  EXPECT_TRUE(IsWindowVisible(noWrap_));
  EXPECT_FALSE(IsWindowVisible(wrap_));
  EXPECT_EQ(GetWindow(noWrap_, GW_HWNDNEXT), belowNoWrap == oldViews[1] ? wrap_ : belowNoWrap);
  ExpectBothViews(L"few\rlines");
  EXPECT_EQ(richedit::TextLimit(noWrap_), 10u);
  // Holding the many lines again, the twins are what the views were, scroll bars and all.
  load(Write(L"many-again.txt", many));
  const HWND newViews[] = {noWrap_, wrap_};
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    EXPECT_NE(newViews[k], oldViews[k]);
    EXPECT_FALSE(IsWindow(oldViews[k]));
    const Look after = look(newViews[k]);
    EXPECT_EQ(after.className, before[k].className);
    EXPECT_EQ(after.style, before[k].style);
    EXPECT_EQ(after.exStyle, before[k].exStyle);
    EXPECT_EQ(after.id, before[k].id);
    EXPECT_EQ(after.parent, before[k].parent);
    EXPECT_TRUE(EqualRect(&after.place, &before[k].place));
    EXPECT_TRUE(EqualRect(&after.format, &before[k].format))
        << after.format.left << "," << after.format.top << "," << after.format.right << "," << after.format.bottom
        << " / " << before[k].format.left << "," << before[k].format.top << "," << before[k].format.right << ","
        << before[k].format.bottom;
    EXPECT_TRUE(SameFormat(after.charFormat, before[k].charFormat));
    EXPECT_EQ(after.procedure, before[k].procedure) << "the views' own procedure";
  }
}

TEST_F(Loader, CharacterAcrossTheDetectionMebibyteKeepsTheFileUtf8) {
  // ASCII lines up to byte 1,048,573, then a four-byte character: the first 1,048,576 bytes end
  // inside it, and judged on them alone the file would be shown as Shift_JIS.
  std::string bytes;
  while (bytes.size() + 64 <= 1048573) bytes += std::string(62, 'a') + "\r\n";
  bytes += std::string(1048573 - bytes.size(), 'a');
  bytes +=
      "\xF0\x9F\x98\x80"
      "b";
  Load(Write(L"across.txt", bytes));
  EXPECT_EQ(Label(), L"UTF-8(&C)");
  const std::wstring text = richedit::RawText(noWrap_);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 3), L"\U0001F600b");
}

}  // namespace
