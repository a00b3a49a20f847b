// The views' subclass procedure and the cached copy of their text.
#pragma once

#include <windows.h>

#include <string>

LRESULT CALLBACK ViewWndProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam);
// Installs ViewWndProc on view, keeping the control's own procedure once.
void SubclassView(HWND view);
// Frees the text copy; the next paint takes a fresh one.
void DiscardViewTextCopy();
