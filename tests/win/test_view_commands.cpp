// The view and encoding commands on real rich-edit views, a real menu and a real temp file.
// Wine's rich edit ignores EM_SETMARGINS and EM_SETTABSTOPS, so what the views were sent is
// recorded by a subclass; colours, sizes, faces, selections and text are read back from the views.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/menu_win.h"
#include "app/program_state_win.h"
#include "document/folder_list_win.h"
#include "tools/find_win.h"
#include "view/view_commands_win.h"
#include "win_fixture.h"

namespace {

// What a view was sent, with the pointed-to data copied while it was alive.
struct Sent {
  HWND view;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  int tabDistance = 0;
  CHARFORMAT2W format{};
};

std::vector<Sent> g_sent;
WNDPROC g_controlProc = nullptr;

LRESULT CALLBACK RecordingViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_SETTABSTOPS:
    case EM_SETMARGINS:
    case EM_SETCHARFORMAT:
    case EM_SETBKGNDCOLOR:
    case WM_SETFONT: {
      Sent s{view, message, wParam, lParam};
      if (message == EM_SETTABSTOPS && wParam == 1) s.tabDistance = *reinterpret_cast<const int*>(lParam);
      if (message == EM_SETCHARFORMAT) s.format = *reinterpret_cast<const CHARFORMAT2W*>(lParam);
      g_sent.push_back(s);
      break;
    }
    default:
      break;
  }
  return CallWindowProcW(g_controlProc, view, message, wParam, lParam);
}

std::vector<Sent> SentOf(UINT message) {
  std::vector<Sent> out;
  for (const Sent& s : g_sent) {
    if (s.message == message) out.push_back(s);
  }
  return out;
}

// The whole-text formats sent; each also goes out as the default format for text set later, with
// the same contents.
std::vector<Sent> WholeTextFormatsSent() {
  std::vector<Sent> all;
  const std::vector<Sent> sent = SentOf(EM_SETCHARFORMAT);
  for (size_t i = 0; i < sent.size(); ++i) {
    if (sent[i].wParam != SCF_ALL) continue;
    EXPECT_TRUE(i > 0 && sent[i - 1].wParam == SCF_DEFAULT && sent[i - 1].view == sent[i].view &&
                sent[i - 1].format.dwMask == sent[i].format.dwMask);
    all.push_back(sent[i]);
  }
  return all;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

CHARFORMAT2W CharFormatOf(HWND view) {
  SendMessageW(view, EM_SETSEL, 0, -1);
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  SendMessageW(view, EM_SETSEL, 0, 0);
  return format;
}

// EM_SETBKGNDCOLOR answers the colour it replaces.
COLORREF BackgroundOf(HWND view) {
  const auto previous = static_cast<COLORREF>(SendMessageW(view, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)));
  SendMessageW(view, EM_SETBKGNDCOLOR, 0, previous);
  return previous;
}

std::pair<DWORD, DWORD> SelectionOf(HWND view) {
  DWORD start = 0, end = 0;
  SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> dialogs;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

class ViewCommands : public WinFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(frame_.Ok());
    ASSERT_NE(g_menu, nullptr);
    g_sent.clear();
    g_controlProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(g_noWrapView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingViewProc)));
    SetWindowLongPtrW(g_wrapView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingViewProc));

    g_appSettings = AppSettings{};
    g_appSettings.fontSize = 12;
    lstrcpyW(reinterpret_cast<wchar_t*>(g_appSettings.fontName), L"DejaVu Sans");
    SetFocus(g_noWrapView);

    path_ = folder_.Put(L"viewed.txt", "abc needle xyz");
    g_folderFileList.entries = {path_};
    g_folderFileList.currentIndex = 0;
    g_folderFileList.lastIndex = 0;
  }

  void Run(UINT command) {
    HandleViewCommand(g_mainWindow, g_noWrapView, g_wrapView, MAKEWPARAM(command, 1), 0, g_menu,
                      g_appSettings, g_folderFileList);
  }
  static bool Checked(UINT command) {
    return (GetMenuState(g_menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  static void SetBothTexts(const wchar_t* text) {
    SetWindowTextW(g_noWrapView, text);
    SetWindowTextW(g_wrapView, text);
  }
  static HWND Visible() { return VisibleView(g_appSettings, g_noWrapView, g_wrapView); }

  TestFrame frame_;
  TempFolder folder_;
  std::wstring path_;
};

TEST_F(ViewCommands, TogglesTurnOnlyOneIntoZeroAndCheckTheNewValue) {
  struct Toggle {
    UINT command;
    int AppSettings::*field;
  };
  const Toggle toggles[] = {{IDM_TAB4, &AppSettings::tab4},
                            {IDM_BLACK_BACK, &AppSettings::blackBack},
                            {IDM_NUMBER_LINE, &AppSettings::numberLine},
                            {IDM_WORD_WRAP, &AppSettings::wordWrap}};
  const struct { int before, after; } values[] = {{1, 0}, {0, 1}, {7, 1}, {-1, 1}};
  for (const Toggle& t : toggles) {
    for (const auto& v : values) {
      g_appSettings.*t.field = v.before;
      SetMenuCheck(g_menu, t.command, v.before != 1);  // the opposite, so the command must set it
      Run(t.command);
      EXPECT_EQ(g_appSettings.*t.field, v.after) << t.command << " from " << v.before;
      EXPECT_EQ(Checked(t.command), v.after == 1) << t.command << " from " << v.before;
    }
  }
  EXPECT_EQ(g_closeCount, 0);
}

TEST_F(ViewCommands, TabWidthSendsSixteenOrThirtyTwoDialogUnitsToBothViews) {
  g_appSettings.tab4 = 0;
  Run(IDM_TAB4);
  g_appSettings.tab4 = 1;
  Run(IDM_TAB4);
  const auto sent = SentOf(EM_SETTABSTOPS);
  ASSERT_EQ(sent.size(), 4u);
  const HWND order[] = {g_noWrapView, g_wrapView, g_noWrapView, g_wrapView};
  const int distance[] = {16, 16, 32, 32};
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].view, order[i]) << i;
    EXPECT_EQ(sent[i].wParam, 1u) << i;
    EXPECT_EQ(sent[i].tabDistance, distance[i]) << i;
  }
}

TEST_F(ViewCommands, LineNumbersSetTheGutterMarginWrapViewFirstAndRepaint) {
  g_appSettings.numberLine = 0;
  Run(IDM_NUMBER_LINE);
  Run(IDM_NUMBER_LINE);
  const auto sent = SentOf(EM_SETMARGINS);
  ASSERT_EQ(sent.size(), 4u);
  const HWND order[] = {g_wrapView, g_noWrapView, g_wrapView, g_noWrapView};
  const int margin[] = {56, 56, 0, 0};
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].view, order[i]) << i;
    EXPECT_EQ(sent[i].wParam, static_cast<WPARAM>(EC_LEFTMARGIN)) << i;
    EXPECT_EQ(LOWORD(sent[i].lParam), margin[i]) << i;
  }
  EXPECT_EQ(g_paintCount, 2);
}

TEST_F(ViewCommands, BlackBackgroundRecoloursBothViewsAtOnce) {
  SetBothTexts(L"some text\r\nmore");
  const struct {
    int before;
    COLORREF background, text;
  } cases[] = {{0, RGB(0, 0, 0), RGB(255, 255, 255)}, {1, RGB(255, 255, 255), RGB(0, 0, 0)}};
  for (const auto& c : cases) {
    g_appSettings.blackBack = c.before;
    g_sent.clear();
    Run(IDM_BLACK_BACK);
    for (HWND view : {g_noWrapView, g_wrapView}) {
      EXPECT_EQ(BackgroundOf(view), c.background) << c.before;
      const CHARFORMAT2W format = CharFormatOf(view);
      EXPECT_EQ(format.crTextColor, c.text) << c.before;
      EXPECT_EQ(format.crBackColor, c.background) << c.before;
      EXPECT_EQ(format.dwEffects & (CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR), 0u) << c.before;
    }
    const auto formats = WholeTextFormatsSent();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0].view, g_noWrapView);
    EXPECT_EQ(formats[0].wParam, static_cast<WPARAM>(SCF_ALL));
    EXPECT_EQ(formats[0].format.dwMask, static_cast<DWORD>(CFM_COLOR | CFM_BACKCOLOR));
  }
}

TEST_F(ViewCommands, KeypadFontSizeStepsStayWithinOneTo1638Points) {
  SetBothTexts(L"sized text");
  const struct {
    int before;
    UINT command;
    int after;
  } cases[] = {{12, IDM_KEY_ADD, 13},    {12, IDM_KEY_SUBTRACT, 11}, {2, IDM_KEY_SUBTRACT, 1},
               {1, IDM_KEY_SUBTRACT, 1}, {1637, IDM_KEY_ADD, 1638},  {1638, IDM_KEY_ADD, 1638},
               {0, IDM_KEY_SUBTRACT, 1}, {5000, IDM_KEY_ADD, 1638}};
  for (const auto& c : cases) {
    g_appSettings.fontSize = c.before;
    g_sent.clear();
    Run(c.command);
    EXPECT_EQ(g_appSettings.fontSize, c.after) << c.before << " " << c.command;
    for (HWND view : {g_noWrapView, g_wrapView}) {
      EXPECT_EQ(CharFormatOf(view).yHeight, c.after * 20) << c.before << " " << c.command;
    }
    const auto formats = WholeTextFormatsSent();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0].view, g_noWrapView);
    EXPECT_EQ(formats[0].format.dwMask, static_cast<DWORD>(CFM_SIZE));
  }
}

TEST_F(ViewCommands, WordWrapSwapsViewsKeepingTheSelectionInView) {
  std::wstring text;
  for (int i = 0; i < 200; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
  SetBothTexts(text.c_str());
  RECT client{};
  const struct {
    int before;
    LONG line;
  } cases[] = {{0, 150}, {1, 40}};
  for (const auto& c : cases) {
    g_appSettings.wordWrap = c.before;
    const HWND oldView = c.before == 1 ? g_wrapView : g_noWrapView;
    const HWND newView = c.before == 1 ? g_noWrapView : g_wrapView;
    ShowWindow(oldView, SW_SHOW);
    ShowWindow(newView, SW_HIDE);
    SendMessageW(newView, EM_SETSEL, 0, 0);
    SendMessageW(newView, EM_SCROLLCARET, 0, 0);
    const auto start = static_cast<DWORD>(SendMessageW(oldView, EM_LINEINDEX, c.line, 0));
    SendMessageW(oldView, EM_SETSEL, start + 1, start + 4);

    Run(IDM_WORD_WRAP);

    EXPECT_TRUE(IsWindowVisible(newView)) << c.before;
    EXPECT_FALSE(IsWindowVisible(oldView)) << c.before;
    EXPECT_EQ(SelectionOf(newView), std::make_pair(start + 1, start + 4)) << c.before;
    EXPECT_EQ(GetFocus(), newView) << c.before;
    EXPECT_EQ(Checked(IDM_WORD_WRAP), c.before != 1) << c.before;
    // The caret was scrolled into the new view's client area.
    GetClientRect(newView, &client);
    const auto pos = static_cast<DWORD>(SendMessageW(newView, EM_POSFROMCHAR, start + 4, 0));
    EXPECT_GT(SendMessageW(newView, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << c.before;
    EXPECT_LT(static_cast<LONG>(HIWORD(pos)), client.bottom) << c.before;
  }
}

TEST_F(ViewCommands, EnterEscapeAndExitCloseTheMainWindow) {
  for (UINT command : {IDM_KEY_RETURN, IDM_KEY_ESCAPE, IDM_EXIT}) {
    g_closeCount = 0;
    Run(command);
    EXPECT_EQ(g_closeCount, 1) << command;
  }
  // Commands that are not view commands, like the views' own notifications, do nothing.
  g_closeCount = 0;
  HandleViewCommand(g_mainWindow, g_noWrapView, g_wrapView, MAKEWPARAM(VIEW_CHILD_ID, EN_CHANGE),
                    reinterpret_cast<LPARAM>(g_noWrapView), g_menu, g_appSettings, g_folderFileList);
  EXPECT_EQ(g_closeCount, 0);
  EXPECT_TRUE(g_sent.empty());
}

// The editor probe: cmd writes the line number and path it was given, then the viewer closes.
TEST_F(ViewCommands, ShiftEnterAndEditorHandTheVisibleViewsLineToTheEditor) {
  SetBothTexts(L"one\r\ntwo\r\nthree\r\nfour\r\n");
  g_appSettings.wordWrap = 1;
  ShowWindow(g_wrapView, SW_SHOW);
  ShowWindow(g_noWrapView, SW_HIDE);
  for (bool shiftEnter : {true, false}) {
    const std::wstring out = folder_.File(L"editor-out.txt");
    DeleteFileW(out.c_str());
    g_appSettings.editor = u"cmd.exe /c echo %l %t>\"";
    g_appSettings.editor += reinterpret_cast<const char16_t*>(out.c_str());
    g_appSettings.editor += u"\"";
    // The visible (wrapping) view has its caret on the third line, the hidden one on the first.
    SendMessageW(g_wrapView, EM_SETSEL, 10, 10);
    SendMessageW(g_noWrapView, EM_SETSEL, 0, 0);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shiftEnter ? 0x80 : 0;
    SetKeyboardState(keys);
    g_closeCount = 0;
    Run(shiftEnter ? IDM_KEY_RETURN : IDM_EDITOR);
    EXPECT_EQ(g_closeCount, 1);

    std::string written;
    for (int i = 0; i < 200 && written.empty(); ++i) {
      Sleep(50);
      FILE* file = nullptr;
      if (_wfopen_s(&file, out.c_str(), L"rb") == 0) {
        char buffer[1024] = {};
        written.assign(buffer, fread(buffer, 1, sizeof(buffer), file));
        fclose(file);
      }
    }
    DeleteFileW(out.c_str());
    char expected[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, path_.c_str(), -1, expected, sizeof(expected), nullptr, nullptr);
    EXPECT_EQ(written.substr(0, written.find_first_of("\r\n")), std::string("3 ") + expected) << shiftEnter;
  }
}

TEST_F(ViewCommands, EncodingCommandsReloadTheFileAsForcedWithOneCheckMark) {
  const std::string utf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
  // Read as Shift_JIS these bytes are other characters; the "A" completes the last double-byte
  // pair, so every decoder gives the same result.
  const std::string utf8A = utf8 + "A";
  wchar_t asShiftJis[16] = {};
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, utf8A.data(), static_cast<int>(utf8A.size()), asShiftJis,
                      15);
  ASSERT_NE(asShiftJis[0], L'\0');
  const struct {
    UINT command;
    std::string bytes;
    std::wstring shown;
    int encoding;
  } cases[] = {
      {IDM_CODE_AUTO, utf8, L"日本語", 0},
      {IDM_CODE_SHIFTJIS, utf8A, asShiftJis, 1},  // forced: detection would pick UTF-8
      {IDM_CODE_UTF8, utf8, L"日本語", 2},
      {IDM_CODE_UTF16LE,
       std::string("\xFF\xFE"
                   "A\0B\0",
                   6),
       L"AB", 4},
  };
  const UINT all[] = {IDM_CODE_AUTO, IDM_CODE_SHIFTJIS, IDM_CODE_UTF8, IDM_CODE_UTF16LE};
  for (const auto& c : cases) {
    ASSERT_TRUE(e2e::WriteFileBytes(path_, c.bytes));
    for (UINT command : all) SetMenuCheck(g_menu, command, true);
    g_appSettings.encoding = c.encoding;  // the same choice again still reloads
    SetBothTexts(L"stale");
    g_paintCount = 0;
    Run(c.command);
    EXPECT_EQ(g_appSettings.encoding, c.encoding) << c.command;
    for (UINT command : all) EXPECT_EQ(Checked(command), command == c.command) << c.command << " " << command;
    EXPECT_EQ(WindowText(g_noWrapView), c.shown) << c.command;
    EXPECT_EQ(WindowText(g_wrapView), c.shown) << c.command;
    // Sent a paint, then updated at once after the invalidation.
    EXPECT_GE(g_paintCount, 2) << c.command;
    EXPECT_FALSE(GetUpdateRect(g_mainWindow, nullptr, FALSE)) << c.command;
  }
  // Each choice is stored in its own numbering, also when it differs from the one before.
  g_appSettings.encoding = 0;
  Run(IDM_CODE_UTF16LE);
  EXPECT_EQ(g_appSettings.encoding, 4);
  Run(IDM_CODE_SHIFTJIS);
  EXPECT_EQ(g_appSettings.encoding, 1);
}

// What the dialog shows: downwards, case ignored, no whole-word box, the text of the last search.
void ExpectFreshFindDialog(HWND dialog) {
  EXPECT_EQ(IsDlgButtonChecked(dialog, rad2), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, chx2), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, chx1)));
  wchar_t shown[256] = {};
  GetDlgItemTextW(dialog, edt1, shown, 256);
  EXPECT_STREQ(shown, L"abc");
  const FINDREPLACEW& record = g_findDialogState.record;
  EXPECT_EQ(record.lStructSize, sizeof(FINDREPLACEW));
  EXPECT_EQ(record.hwndOwner, g_mainWindow);
  EXPECT_EQ(record.lpstrFindWhat, g_findDialogState.findText);
  EXPECT_EQ(record.wFindWhatLen, 256);
  EXPECT_EQ(record.lpfnHook, nullptr);
  EXPECT_EQ(record.lCustData, 0);
}

TEST_F(ViewCommands, FindOpensOneDialogWithDefaultsAndTheLastText) {
  lstrcpyW(g_findDialogState.findText, L"abc");
  Run(IDM_FIND);
  const HWND dialog = g_findDialogState.dialog;
  ASSERT_NE(dialog, nullptr);
  ExpectFreshFindDialog(dialog);

  // A second request while it is open brings the same dialog forward.
  SetFocus(g_noWrapView);
  Run(IDM_FIND);
  EXPECT_EQ(g_findDialogState.dialog, dialog);
  EXPECT_EQ(ThreadDialogs(), std::vector<HWND>{dialog});
  EXPECT_EQ(GetActiveWindow(), dialog);

  // Once it is gone, the next opening starts from the defaults again but keeps the text.
  g_findDialogState.record.Flags = FR_MATCHCASE;
  DestroyWindow(dialog);
  g_findDialogState.dialog = nullptr;
  Run(IDM_FIND);
  ASSERT_NE(g_findDialogState.dialog, nullptr);
  ExpectFreshFindDialog(g_findDialogState.dialog);
  EXPECT_EQ(ThreadDialogs().size(), 1u);
}

TEST_F(ViewCommands, FindNextSearchesBothViewsWithTheLastText) {
  SetBothTexts(L"abc needle xyz");
  // Never opened: no search text exists, so nothing happens.
  for (UINT command : {IDM_KEY_SPACE, IDM_KEY_F3}) {
    Run(command);
    EXPECT_EQ(g_findDialogState.record.Flags, 0u);
    EXPECT_EQ(SelectionOf(g_noWrapView), std::make_pair(DWORD{0}, DWORD{0}));
    EXPECT_EQ(SelectionOf(g_wrapView), std::make_pair(DWORD{0}, DWORD{0}));
  }

  // The usual case: a search from the dialog found a hit and closed it; the record keeps the
  // text and choices.
  Run(IDM_FIND);
  lstrcpyW(g_findDialogState.findText, L"needle");
  DestroyWindow(g_findDialogState.dialog);
  g_findDialogState.dialog = nullptr;
  g_findDialogState.record.Flags = FR_DOWN | FR_HIDEWHOLEWORD;
  for (UINT command : {IDM_KEY_SPACE, IDM_KEY_F3}) {
    SendMessageW(g_noWrapView, EM_SETSEL, 0, 0);
    SendMessageW(g_wrapView, EM_SETSEL, 0, 0);
    const DWORD flags = g_findDialogState.record.Flags;
    Run(command);
    EXPECT_EQ(g_findDialogState.record.Flags, flags | FR_FINDNEXT) << command;
    EXPECT_EQ(SelectionOf(g_wrapView), std::make_pair(DWORD{4}, DWORD{10})) << command;
    EXPECT_EQ(SelectionOf(g_noWrapView), std::make_pair(DWORD{4}, DWORD{10})) << command;
    EXPECT_EQ(GetFocus(), Visible()) << command;
  }
}

// The font dialog is modal: a timer answers it from inside its own message loop, the way a user
// would: pick a face and a size from the lists, then press a button.
struct FontDialogScript {
  UINT button = IDOK;
  const wchar_t* face = nullptr;
  const wchar_t* pointSize = nullptr;
  bool seen = false;
  std::wstring initialFace, initialSize;
};
FontDialogScript g_script;

std::wstring SelectedText(HWND dialog, int combo) {
  const auto index = SendDlgItemMessageW(dialog, combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  wchar_t text[LF_FACESIZE * 2] = {};
  SendDlgItemMessageW(dialog, combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(text));
  return text;
}

void Pick(HWND dialog, int combo, const wchar_t* text) {
  const auto index = SendDlgItemMessageW(dialog, combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text));
  ASSERT_NE(index, CB_ERR) << "not offered: " << static_cast<const void*>(text);
  SendDlgItemMessageW(dialog, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, combo)));
}

void CALLBACK AnswerFontDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  const auto dialogs = ThreadDialogs();
  if (dialogs.empty()) return;
  KillTimer(nullptr, timer);
  const HWND dialog = dialogs.front();
  g_script.seen = true;
  g_script.initialFace = SelectedText(dialog, cmb1);
  g_script.initialSize = SelectedText(dialog, cmb3);
  if (g_script.face) Pick(dialog, cmb1, g_script.face);
  if (g_script.pointSize) Pick(dialog, cmb3, g_script.pointSize);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(g_script.button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, static_cast<int>(g_script.button))));
}

void RunFontDialog(UINT button, const wchar_t* face, const wchar_t* pointSize) {
  g_script = FontDialogScript{};
  g_script.button = button;
  g_script.face = face;
  g_script.pointSize = pointSize;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerFontDialog);
  HandleViewCommand(g_mainWindow, g_noWrapView, g_wrapView, MAKEWPARAM(IDM_FONT, 0), 0, g_menu, g_appSettings,
                    g_folderFileList);
  KillTimer(nullptr, timer);
}

const wchar_t* FaceSetting(const AppSettings& settings) {
  return reinterpret_cast<const wchar_t*>(settings.fontName);
}

TEST_F(ViewCommands, FontDialogChoiceReachesBothViewsAndTheSettings) {
  SetBothTexts(L"font text");
  g_appSettings.fontSize = 12;
  g_appSettings.blackBack = 1;
  RunFontDialog(IDOK, L"DejaVu Serif", L"20");
  ASSERT_TRUE(g_script.seen);
  // The dialog opened on the current face and size.
  EXPECT_EQ(g_script.initialFace, L"DejaVu Sans");
  EXPECT_EQ(g_script.initialSize, L"12");
  EXPECT_EQ(g_appSettings.fontSize, 20);
  EXPECT_STREQ(FaceSetting(g_appSettings), L"DejaVu Serif");
  const auto fonts = SentOf(WM_SETFONT);
  ASSERT_EQ(fonts.size(), 2u);
  EXPECT_EQ(fonts[0].view, g_noWrapView);
  EXPECT_EQ(fonts[1].view, g_wrapView);
  EXPECT_EQ(fonts[0].wParam, fonts[1].wParam);
  for (HWND view : {g_noWrapView, g_wrapView}) {
    const CHARFORMAT2W format = CharFormatOf(view);
    EXPECT_STREQ(format.szFaceName, L"DejaVu Serif");
    EXPECT_EQ((format.yHeight + 10) / 20, 20);  // the font's whole pixel height, in twips
    // The new font must not bring back the default colours on the black background.
    EXPECT_EQ(format.crTextColor, RGB(255, 255, 255));
    EXPECT_EQ(format.crBackColor, RGB(0, 0, 0));
    EXPECT_EQ(BackgroundOf(view), RGB(0, 0, 0));
  }
  EXPECT_EQ(GetFocus(), Visible());

  // Choosing again replaces the font; the one it replaces is deleted, the new one stays alive.
  const auto first = reinterpret_cast<HGDIOBJ>(fonts[0].wParam);
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  g_sent.clear();
  RunFontDialog(IDOK, L"DejaVu Sans Mono", L"9");
  ASSERT_EQ(SentOf(WM_SETFONT).size(), 2u);
  const auto second = reinterpret_cast<HGDIOBJ>(SentOf(WM_SETFONT)[0].wParam);
  EXPECT_EQ(g_script.initialFace, L"DejaVu Serif");
  EXPECT_EQ(g_script.initialSize, L"20");
  EXPECT_EQ(g_appSettings.fontSize, 9);
  EXPECT_STREQ(FaceSetting(g_appSettings), L"DejaVu Sans Mono");
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(ViewCommands, CancelledFontDialogChangesNothing) {
  SetBothTexts(L"font text");
  g_appSettings.fontSize = 14;
  RunFontDialog(IDCANCEL, L"DejaVu Serif", L"28");
  ASSERT_TRUE(g_script.seen);
  EXPECT_EQ(g_appSettings.fontSize, 14);
  EXPECT_STREQ(FaceSetting(g_appSettings), L"DejaVu Sans");
  EXPECT_TRUE(g_sent.empty());
}

}  // namespace
