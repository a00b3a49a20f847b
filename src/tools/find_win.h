// Find in a view's text, for the find dialog and the find-again keys.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

struct FindDialogState {
  FINDREPLACEW record{};
  wchar_t findText[256] = {};
  HWND dialog = nullptr;
  UINT message = 0;  // "commdlg_FindReplace"
};

extern FindDialogState g_findDialogState;

void FindInView(HWND mainWindow, HWND view, const std::wstring& currentPath, bool reportNotFound);
