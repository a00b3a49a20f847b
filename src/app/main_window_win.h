// The main window: set-up of the views at creation, routing of commands, drops and find requests.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterMainWindowClass(HINSTANCE instance);
// The main window with the program's menu, not shown yet; null when it cannot be made.
HWND CreateMainWindow(HINSTANCE instance);

// Loads a file chosen by the user (open dialog, drop): folder list, title, text, repaint.
void LoadDocument(HWND mainWindow, const std::wstring& path);
