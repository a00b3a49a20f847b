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
#include "document/folder_list_win.h"
#include "tools/clipboard_win.h"
#include "tools/editor_win.h"
#include "tools/find_win.h"
#include "view/richedit_win.h"
#include "win_fixture.h"

namespace {

std::wstring ReadWholeFile(const std::wstring& path) {
  FILE* file = nullptr;
  if (_wfopen_s(&file, path.c_str(), L"rb") != 0 || file == nullptr) return L"";
  std::string bytes;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
  fclose(file);
  return std::wstring(bytes.begin(), bytes.end());  // ASCII paths only in these tests
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

class ToolsTest : public WinFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(frame_.Ok());
    main_ = frame_.Window();
    noWrap_ = frame_.NoWrapView();
    wrap_ = frame_.WrapView();
    currentPath_ = folder_.Put(L"notes.txt", "shown text\r\n");
    // The file shown, for the searches the frame hands to the main window's procedure.
    g_folderFileList.entries = {currentPath_};
    g_folderFileList.lastIndex = 0;
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
    const BoxAnswerer answerer;
    FindInView(main_, noWrap_, path, reportNotFound);
    return richedit::GetSel(noWrap_);
  }
  richedit::Selection Find(bool reportNotFound) { return Find(reportNotFound, currentPath_); }

  TestFrame frame_{FrameOptions{800, 600, false, true}};
  TempFolder folder_;
  HWND main_ = nullptr;
  HWND noWrap_ = nullptr;
  HWND wrap_ = nullptr;
  std::wstring currentPath_;
};

// "alpha beta\r" is 0-10, "gamma beta\r" 11-21, "delta" 22-26.
constexpr const wchar_t* kThreeLines = L"alpha beta\rgamma beta\rdelta";

TEST_F(ToolsTest, FindSelectsTheHitClosesTheDialogAndFindsAgainWithWrap) {
  SetText(kThreeLines);
  // The real dialog: its Find Next writes the flags and sends the registered message, which the
  // main window turns into a search.
  g_findDialogState.message = RegisterWindowMessageW(FINDMSGSTRINGW);
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
  PrepareFind(L"omega", FR_DOWN | FR_HIDEWHOLEWORD);
  g_findDialogState.dialog = FindTextW(&g_findDialogState.record);
  ASSERT_NE(g_findDialogState.dialog, nullptr);
  const HWND dialog = g_findDialogState.dialog;

  {
    const BoxAnswerer answerer;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  }

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

  for (const std::wstring& path : {folder_.File(L"gone.txt"), std::wstring()}) {
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
  const std::wstring out = folder_.File(L"out.txt");
  // Longer than the 519 characters a fixed command buffer would hold.
  const std::wstring padding(600, L'x');
  AppSettings settings;
  const std::wstring editor = SystemCmd() + L" /c echo " + padding + L" %l %t>\"" + out + L"\"";
  settings.editor.assign(editor.begin(), editor.end());

  LaunchEditor(main_, noWrap_, settings, currentPath_);
  EXPECT_EQ(g_closeCount, 1);
  ASSERT_TRUE(WaitForFile(out, 15000));
  std::wstring written = ReadWholeFile(out);
  while (!written.empty() && (written.back() == L'\n' || written.back() == L'\r' || written.back() == L' ')) {
    written.pop_back();
  }
  EXPECT_EQ(Narrow(written), Narrow(padding + L" 3 " + currentPath_));
}

TEST_F(ToolsTest, EditorThatWouldRunTheViewedFileStartsNothingAndTheViewerStays) {
  // A viewed batch file: a command whose program is the file itself would run it.
  const std::wstring marker = folder_.File(L"marker.txt");
  const std::wstring script = folder_.Put(L"run.bat", "@echo ran> \"" + Narrow(marker) + "\"\r\n");
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
  EXPECT_EQ(g_closeCount, 0);
  EXPECT_FALSE(WaitForFile(marker, 2000));

  // Another program given the file runs it: the check above could have seen it.
  const std::wstring viaCmd = SystemCmd() + L" /c \"%t\"";
  settings.editor.assign(viaCmd.begin(), viaCmd.end());
  LaunchEditor(main_, noWrap_, settings, script);
  EXPECT_EQ(g_closeCount, 1);
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
  EXPECT_EQ(g_closeCount, 0);
}

}  // namespace
