// The main window: set-up of the views at creation, routing of commands, drops and find requests.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Loads a file chosen by the user (open dialog, drop): folder list, title, text, repaint.
void LoadDocument(HWND mainWindow, const std::wstring& path);
