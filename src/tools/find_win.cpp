#include "tools/find_win.h"

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string_view>

#include "app/file_win.h"
#include "app/wide_win.h"
#include "tools/find.h"
#include "view/richedit_win.h"

FindDialogState g_findDialogState;

namespace {

// The file shown may have gone since it was loaded; then a search does nothing.
bool CanOpenForReading(const std::wstring& path) {
  return OpenSharedForReading(path, L"r") != nullptr;
}

// The run-time library's comparison, so that case folds by the process's locale: only A-Z under
// the classic one, by the user's locale once a Shift_JIS load has switched to it.
bool RuntimeCaseInsensitiveEqual(const char16_t* a, const char16_t* b, std::size_t count) {
  return _wcsnicmp(W(a), W(b), count) == 0;
}

void ShowHit(HWND mainWindow, HWND view, int textLength, int hit, int hitLength) {
  SetFocus(view);
  // Scrolled to the end first, the caret then comes back into view from below: the hit's line
  // ends up at the top of the view.
  SendMessageW(mainWindow, WM_SETREDRAW, FALSE, 0);
  richedit::LineScroll(view, 0, textLength);
  SendMessageW(mainWindow, WM_SETREDRAW, TRUE, 0);
  richedit::SetSel(view, hit, hit + hitLength);
  richedit::ScrollCaret(view);
  InvalidateRect(mainWindow, nullptr, FALSE);
  // A hit closes the dialog; further hits come from the find-again keys.
  if (g_findDialogState.dialog != nullptr) {
    DestroyWindow(g_findDialogState.dialog);
    g_findDialogState.dialog = nullptr;
    SetFocus(view);
  }
}

void ReportNotFound(HWND mainWindow, bool reportNotFound) {
  if (reportNotFound) MessageBoxW(mainWindow, L"見つかりませんでした。", L"Vam", MB_OK);
  // Back to the open dialog, if any, for another try.
  SetFocus(g_findDialogState.dialog);
}

}  // namespace

void FindInView(HWND mainWindow, HWND view, const std::wstring& currentPath, bool reportNotFound) {
  const FINDREPLACEW& record = g_findDialogState.record;
  if (record.Flags & FR_DIALOGTERM) g_findDialogState.dialog = nullptr;  // it destroys itself
  if (!(record.Flags & FR_FINDNEXT)) return;
  // Find-again before the dialog was ever opened: there is no find text to search for.
  if (record.lpstrFindWhat == nullptr) return;
  if (!CanOpenForReading(currentPath)) return;

  const std::wstring text = richedit::RawText(view);
  const std::wstring_view what(record.lpstrFindWhat, wcsnlen(record.lpstrFindWhat, record.wFindWhatLen));
  RingSearch search;
  search.text = U(std::wstring_view(text));
  search.what = U(what);
  search.start = richedit::GetSel(view).start;
  search.forward = (record.Flags & FR_DOWN) != 0;
  search.matchCase = (record.Flags & FR_MATCHCASE) != 0;
  search.caseInsensitiveEqual = RuntimeCaseInsensitiveEqual;
  const DWORD flags = record.Flags;
  if (const auto hit = FindInRing(search)) {
    ShowHit(mainWindow, view, static_cast<int>(text.size()), *hit, static_cast<int>(what.size()));
  } else {
    ReportNotFound(mainWindow, reportNotFound);
  }
  // Some find dialogs (Wine's) clear the flags on any notification they get, focus changes
  // included; the other view's search and the find-again keys still need this request's.
  g_findDialogState.record.Flags = flags;
}
