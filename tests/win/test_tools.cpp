// Find, editor launch and copy on real rich-edit views, with real files, processes and clipboard.
// The not-found box is answered from a timer that runs inside its modal loop.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include <malloc.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/program_state_win.h"
#include "app/settings.h"
#include "tools/clipboard_win.h"
#include "tools/editor_win.h"
#include "tools/find_win.h"
#include "view/richedit_win.h"

namespace {

constexpr DWORD kWrapViewStyle = 0x50200804;
constexpr DWORD kNoWrapViewStyle = 0x50300884;

int g_closes = 0;
std::wstring g_findPath;

LRESULT CALLBACK ToolsMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++g_closes;  // recorded only: the fixture destroys the window itself
    return 0;
  }
  if (message != 0 && message == g_findDialogState.message) {
    // As the main window does with word wrap on: the hidden view first and silent, the visible
    // one last and reporting.
    FindInView(window, g_noWrapView, g_findPath, false);
    FindInView(window, g_wrapView, g_findPath, true);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The message boxes seen while a search ran, each dismissed with OK.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
};
std::vector<SeenBox> g_boxes;

std::vector<HWND> g_dismissed;

// A message box: a dialog with an OK button and the text control, but, unlike the find dialog,
// no edit field.
bool IsMessageBox(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return wcscmp(className, L"#32770") == 0 && GetDlgItem(window, IDOK) != nullptr &&
         GetDlgItem(window, 0xFFFF) != nullptr && FindWindowExW(window, nullptr, L"Edit", nullptr) == nullptr;
}

BOOL CALLBACK DismissIfBox(HWND window, LPARAM) {
  if (!IsMessageBox(window)) return TRUE;
  for (HWND seen : g_dismissed) {
    if (seen == window) return TRUE;  // already answered, not gone yet
  }
  g_dismissed.push_back(window);
  SeenBox box;
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  box.caption = buffer;
  GetDlgItemTextW(window, 0xFFFF, buffer, 256);
  box.text = buffer;
  box.owner = GetWindow(window, GW_OWNER);
  g_boxes.push_back(box);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

void CALLBACK DismissBoxes(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), DismissIfBox, 0);
}

std::wstring ReadWholeFile(const std::wstring& path) {
  FILE* file = nullptr;
  if (_wfopen_s(&file, path.c_str(), L"rb") != 0 || file == nullptr) return L"";
  std::string bytes;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
  fclose(file);
  return std::wstring(bytes.begin(), bytes.end());  // ASCII paths only in these tests
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  FILE* file = nullptr;
  ASSERT_EQ(_wfopen_s(&file, path.c_str(), L"wb"), 0);
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

bool WaitForFile(const std::wstring& path, DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    if (!ReadWholeFile(path).empty()) return true;
    Sleep(50);
  }
  return false;
}

std::string Narrow(const std::wstring& s) {
  return std::string(s.begin(), s.end());
}

class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    richEdit_ = LoadLibraryW(L"Riched20.dll");
    ASSERT_NE(richEdit_, nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ToolsMainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VamToolsTest";
    RegisterClassW(&windowClass);
    main_ = CreateWindowExW(0, L"VamToolsTest", L"tools test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                            600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(main_, nullptr);
    noWrap_ = CreateWindowExW(0, L"RichEdit20W", L"", kNoWrapViewStyle, 0, 0, 780, 560, main_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    wrap_ = CreateWindowExW(0, L"RichEdit20W", L"", kWrapViewStyle & ~WS_VISIBLE, 0, 0, 780, 560, main_,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(noWrap_, nullptr);
    ASSERT_NE(wrap_, nullptr);
    g_mainWindow = main_;
    g_noWrapView = noWrap_;
    g_wrapView = wrap_;

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"vam-tools-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    currentPath_ = folder_ + L"\\notes.txt";
    WriteWholeFile(currentPath_, "shown text\r\n");
  }

  void TearDown() override {
    if (g_findDialogState.dialog != nullptr) DestroyWindow(g_findDialogState.dialog);
    if (main_ != nullptr) DestroyWindow(main_);
    for (const wchar_t* name : {L"notes.txt", L"out.txt", L"run.bat", L"marker.txt"}) {
      DeleteFileW((folder_ + L"\\" + name).c_str());
    }
    RemoveDirectoryW(folder_.c_str());
    if (richEdit_ != nullptr) FreeLibrary(richEdit_);
  }

  void SetText(const wchar_t* text) {
    richedit::SetText(noWrap_, text);
    richedit::SetText(wrap_, text);
  }

  // The record as the find dialog leaves it after Find Next.
  void PrepareFind(const wchar_t* what, DWORD flags) {
    FINDREPLACEW& record = g_findDialogState.record;
    record = FINDREPLACEW{};
    record.lStructSize = sizeof record;
    record.hwndOwner = main_;
    record.lpstrFindWhat = g_findDialogState.findText;
    record.wFindWhatLen = 256;
    wcscpy_s(g_findDialogState.findText, what);
    record.Flags = flags;
  }

  // Searches the no-wrap view with every message box answered; returns the selection after.
  richedit::Selection Find(bool reportNotFound, const std::wstring& path) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissBoxes);
    FindInView(main_, noWrap_, path, reportNotFound);
    KillTimer(nullptr, timer);
    return richedit::GetSel(noWrap_);
  }
  richedit::Selection Find(bool reportNotFound) { return Find(reportNotFound, currentPath_); }

  HMODULE richEdit_ = nullptr;
  HWND main_ = nullptr;
  HWND noWrap_ = nullptr;
  HWND wrap_ = nullptr;
  std::wstring folder_;
  std::wstring currentPath_;
};

// "alpha beta\r" is 0-10, "gamma beta\r" 11-21, "delta" 22-26.
constexpr const wchar_t* kThreeLines = L"alpha beta\rgamma beta\rdelta";

TEST_F(ToolsTest, FindSelectsTheHitClosesTheDialogAndFindsAgainWithWrap) {
  SetText(kThreeLines);
  // The real dialog: its Find Next writes the flags and sends the registered message, which the
  // main window turns into a search.
  g_findDialogState.message = RegisterWindowMessageW(FINDMSGSTRINGW);
  g_findPath = currentPath_;
  PrepareFind(L"BETA", FR_DOWN | FR_HIDEWHOLEWORD);
  g_findDialogState.dialog = FindTextW(&g_findDialogState.record);
  ASSERT_NE(g_findDialogState.dialog, nullptr);
  const HWND dialog = g_findDialogState.dialog;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));

  // Both views found it, though the first search already closed the dialog.
  richedit::Selection sel = richedit::GetSel(noWrap_);
  EXPECT_EQ(sel.start, 6);
  EXPECT_EQ(sel.end, 10);
  EXPECT_EQ(richedit::GetSel(wrap_).start, 6);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_findDialogState.dialog, nullptr);
  EXPECT_TRUE(g_findDialogState.record.Flags & FR_DOWN) << std::hex << g_findDialogState.record.Flags;

  // Find again, as F3 does: the next hit, then around the end back to the first.
  sel = Find(true);
  EXPECT_EQ(sel.start, 17);
  sel = Find(true);
  EXPECT_EQ(sel.start, 6);
  // Backward from the first wraps to the last.
  g_findDialogState.record.Flags &= ~static_cast<DWORD>(FR_DOWN);
  sel = Find(true);
  EXPECT_EQ(sel.start, 17);
  EXPECT_EQ(sel.end, 21);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(ToolsTest, FindMissFromTheDialogReportsOnceAndKeepsTheDialog) {
  SetText(kThreeLines);
  g_findDialogState.message = RegisterWindowMessageW(FINDMSGSTRINGW);
  g_findPath = currentPath_;
  PrepareFind(L"omega", FR_DOWN | FR_HIDEWHOLEWORD);
  g_findDialogState.dialog = FindTextW(&g_findDialogState.record);
  ASSERT_NE(g_findDialogState.dialog, nullptr);
  const HWND dialog = g_findDialogState.dialog;

  const UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissBoxes);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  KillTimer(nullptr, timer);

  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, L"見つかりませんでした。");
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(g_findDialogState.dialog, dialog);
  EXPECT_TRUE(GetFocus() == dialog || IsChild(dialog, GetFocus()));  // back for another try
  // The request's flags survive the focus moves, for the find-again keys.
  EXPECT_EQ(g_findDialogState.record.Flags & (FR_FINDNEXT | FR_DOWN),
            static_cast<DWORD>(FR_FINDNEXT | FR_DOWN));
}

TEST_F(ToolsTest, FindMissShowsTheBoxOnlyWhenAskedAndKeepsTheSelection) {
  SetText(kThreeLines);
  richedit::SetSel(noWrap_, 2, 4);
  PrepareFind(L"BETA", FR_DOWN | FR_MATCHCASE | FR_FINDNEXT);

  richedit::Selection sel = Find(false);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(sel.start, 2);
  EXPECT_EQ(sel.end, 4);

  sel = Find(true);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, L"見つかりませんでした。");
  EXPECT_EQ(g_boxes[0].caption, L"Vam");
  EXPECT_EQ(g_boxes[0].owner, main_);
  EXPECT_EQ(sel.start, 2);
  EXPECT_EQ(sel.end, 4);
}

TEST_F(ToolsTest, FindOfTheOnlyOccurrenceAtTheCaretSelectsItAgain) {
  SetText(L"x needle x");
  richedit::SetSel(noWrap_, 2, 2);
  PrepareFind(L"needle", FR_DOWN | FR_FINDNEXT);
  const richedit::Selection sel = Find(true);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(sel.start, 2);
  EXPECT_EQ(sel.end, 8);
}

TEST_F(ToolsTest, FindDoesNothingWithoutAReadableFileOrFindText) {
  SetText(kThreeLines);
  PrepareFind(L"beta", FR_DOWN);
  g_findDialogState.dialog = FindTextW(&g_findDialogState.record);
  ASSERT_NE(g_findDialogState.dialog, nullptr);
  g_findDialogState.record.Flags = FR_DOWN | FR_FINDNEXT;  // as Find Next leaves them

  for (const std::wstring& path : {folder_ + L"\\gone.txt", std::wstring()}) {
    const richedit::Selection sel = Find(true, path);
    EXPECT_EQ(sel.start, 0);
    EXPECT_EQ(sel.end, 0);
  }
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_TRUE(IsWindow(g_findDialogState.dialog));

  // Find-again before the dialog was ever opened: the record holds no find text.
  const HWND dialog = g_findDialogState.dialog;
  g_findDialogState.record = FINDREPLACEW{};
  g_findDialogState.record.Flags = FR_FINDNEXT;
  EXPECT_EQ(Find(true).start, 0);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(g_findDialogState.dialog, dialog);

  // The dialog closing: forgotten, nothing searched.
  PrepareFind(L"beta", FR_DOWN | FR_DIALOGTERM);
  EXPECT_EQ(Find(true).start, 0);
  EXPECT_EQ(g_findDialogState.dialog, nullptr);
  EXPECT_TRUE(g_boxes.empty());
}

// Ignoring case folds as the run-time library does for the process's locale.
TEST_F(ToolsTest, FindIgnoringCaseFoldsByTheLocale) {
  SetText(L"ABC \u00e4bc");
  PrepareFind(L"abc", FR_DOWN | FR_FINDNEXT);
  EXPECT_EQ(Find(false).start, 0);  // ASCII folds under the classic locale

  richedit::SetSel(noWrap_, 0, 0);
  PrepareFind(L"\u00c4BC", FR_DOWN | FR_FINDNEXT);
  EXPECT_EQ(Find(false).start, 0);  // not found: Ä and ä differ under the classic locale

  ASSERT_NE(setlocale(LC_ALL, ""), nullptr);
  EXPECT_EQ(Find(false).start, 4);
  setlocale(LC_ALL, "C");
}

std::wstring ReadClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return L"<clipboard not open>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  } else {
    text = L"<no text>";
  }
  CloseClipboard();
  return text;
}

TEST_F(ToolsTest, CopyPutsTheVisibleViewsSelectionWithCrLf) {
  SetText(L"one\rtwo\rthree");
  richedit::SetSel(wrap_, 0, 8);     // "one\rtwo\r"
  richedit::SetSel(noWrap_, 4, 13);  // "two\rthree"
  AppSettings settings;

  settings.wordWrap = 1;
  CopySelection(main_, settings);
  EXPECT_EQ(ReadClipboardText(main_), L"one\r\ntwo\r\n");
  EXPECT_EQ(GetClipboardOwner(), main_);

  settings.wordWrap = 0;
  CopySelection(main_, settings);
  EXPECT_EQ(ReadClipboardText(main_), L"two\r\nthree");

  // No selection: the clipboard is emptied and holds an empty text.
  richedit::SetSel(noWrap_, 5, 5);
  CopySelection(main_, settings);
  EXPECT_EQ(ReadClipboardText(main_), L"");
}

TEST_F(ToolsTest, CopyOfALargeSelection) {
  std::wstring text;
  for (int i = 0; i < 20000; ++i) text += L"line " + std::to_wstring(i) + L"\r";
  richedit::SetText(noWrap_, text.c_str());
  richedit::SetSel(noWrap_, 0, static_cast<LONG>(text.size()));
  AppSettings settings;
  CopySelection(main_, settings);
  std::wstring expected;
  for (int i = 0; i < 20000; ++i) expected += L"line " + std::to_wstring(i) + L"\r\n";
  EXPECT_EQ(ReadClipboardText(main_), expected);
}

// Stands in for a control loaded through `dll` that ends each selected line with CR LF. To
// EM_GETSELTEXT, which carries no size, it would write its answer whole; to EM_GETTEXTEX, up to the
// size given. A write past what the caller allocated is recorded instead of made.
WNDPROC g_systemViewProc = nullptr;
bool g_wouldOverflow = false;

LRESULT CALLBACK CrLfControlProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* request = reinterpret_cast<const GETTEXTEX*>(wParam);
  const bool sized = message == EM_GETTEXTEX && (request->flags & GT_SELECTION) != 0;
  if (message != EM_GETSELTEXT && !sized)
    return CallWindowProcW(g_systemViewProc, view, message, wParam, lParam);
  std::vector<wchar_t> selection(4096, L'\0');
  GETTEXTEX own{};
  own.cb = static_cast<DWORD>(selection.size() * sizeof(wchar_t));
  own.flags = GT_SELECTION;
  own.codepage = 1200;
  CallWindowProcW(g_systemViewProc, view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&own),
                  reinterpret_cast<LPARAM>(selection.data()));
  std::wstring answer;
  for (const wchar_t* c = selection.data(); *c != L'\0'; ++c)
    answer += *c == L'\r' ? L"\r\n" : std::wstring(1, *c);
  auto* out = reinterpret_cast<wchar_t*>(lParam);
  const size_t allocated = _msize(out) / sizeof(wchar_t);
  const size_t room = sized ? request->cb / sizeof(wchar_t) : answer.size() + 1;
  if (room > allocated) g_wouldOverflow = true;
  const size_t written = std::min(answer.size(), std::min(room, allocated) - 1);
  std::copy(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(written), out);
  out[written] = L'\0';
  return static_cast<LRESULT>(written);
}

TEST_F(ToolsTest, CopyFromAControlThatGivesCrLfStaysWithinItsBuffer) {
  SetText(L"one\rtwo\rthree");
  richedit::SetSel(noWrap_, 0, 13);
  g_wouldOverflow = false;
  g_systemViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(noWrap_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CrLfControlProc)));
  CopySelection(main_, AppSettings{});
  SetWindowLongPtrW(noWrap_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_systemViewProc));
  EXPECT_FALSE(g_wouldOverflow);
  // The whole answer is copied; each of its CRs gets an LF like any other.
  EXPECT_EQ(ReadClipboardText(main_), L"one\r\n\ntwo\r\n\nthree");
}

std::wstring SystemCmd() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\cmd.exe";
}

TEST_F(ToolsTest, EditorStartsWithPathAndCaretLineThenTheViewerCloses) {
  SetText(L"first\rsecond\rthird\rfourth");
  richedit::SetSel(noWrap_, 2, 15);  // ends in "third": line 3
  const std::wstring out = folder_ + L"\\out.txt";
  // Longer than the 519 characters a fixed command buffer would hold.
  const std::wstring padding(600, L'x');
  AppSettings settings;
  const std::wstring editor = SystemCmd() + L" /c echo " + padding + L" %l %t>\"" + out + L"\"";
  settings.editor.assign(editor.begin(), editor.end());

  LaunchEditor(main_, noWrap_, settings, currentPath_);
  EXPECT_EQ(g_closes, 1);
  ASSERT_TRUE(WaitForFile(out, 15000));
  std::wstring written = ReadWholeFile(out);
  while (!written.empty() && (written.back() == L'\n' || written.back() == L'\r' || written.back() == L' ')) {
    written.pop_back();
  }
  EXPECT_EQ(Narrow(written), Narrow(padding + L" 3 " + currentPath_));
}

TEST_F(ToolsTest, EditorThatWouldRunTheViewedFileStartsNothingAndTheViewerStays) {
  // A viewed batch file: a command whose program is the file itself would run it.
  const std::wstring script = folder_ + L"\\run.bat";
  const std::wstring marker = folder_ + L"\\marker.txt";
  WriteWholeFile(script, "@echo ran> \"" + Narrow(marker) + "\"\r\n");
  SetText(L"text");
  AppSettings settings;
  std::wstring upper = script;
  CharUpperW(upper.data());
  const std::wstring named = upper + L" %l";
  for (const std::u16string& editor :
       {std::u16string(u""), std::u16string(u" \t "), std::u16string(u"%t"), std::u16string(u"\"%t\" %l"),
        std::u16string(named.begin(), named.end())}) {
    settings.editor = editor;
    LaunchEditor(main_, noWrap_, settings, script);
  }
  EXPECT_EQ(g_closes, 0);
  EXPECT_FALSE(WaitForFile(marker, 2000));

  // Another program given the file runs it: the check above could have seen it.
  const std::wstring viaCmd = SystemCmd() + L" /c \"%t\"";
  settings.editor.assign(viaCmd.begin(), viaCmd.end());
  LaunchEditor(main_, noWrap_, settings, script);
  EXPECT_EQ(g_closes, 1);
  EXPECT_TRUE(WaitForFile(marker, 15000));
}

TEST_F(ToolsTest, EditorThatCannotStartLeavesTheViewerOpen) {
  SetText(L"text");
  AppSettings settings;
  settings.editor = u"C:\\no\\such\\folder\\editor.exe %t";
  LaunchEditor(main_, noWrap_, settings, currentPath_);
  // Too long for the system: not started either.
  const std::wstring tooLong = SystemCmd() + L" /c rem " + std::wstring(33000, L'x');
  settings.editor.assign(tooLong.begin(), tooLong.end());
  LaunchEditor(main_, noWrap_, settings, currentPath_);
  EXPECT_EQ(g_closes, 0);
}

}  // namespace
