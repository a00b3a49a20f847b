// The program-wide objects of the running program: created empty, alive until the process ends.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings.h"

extern AppSettings g_appSettings;
extern std::wstring g_iniPath;
extern HMODULE g_richEditLibrary;
extern HWND g_mainWindow;
extern HWND g_wrapView;
extern HWND g_noWrapView;
extern HMENU g_menu;

// The view that wordWrap shows.
inline HWND VisibleView(const AppSettings& settings, HWND noWrapView, HWND wrapView) {
  return settings.wordWrap == 1 ? wrapView : noWrapView;
}
