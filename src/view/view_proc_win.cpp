// Placeholder until this module is written.
#include "view/view_proc_win.h"
LRESULT CALLBACK ViewWndProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(view, message, wParam, lParam); }
void SubclassView(HWND) {}
void DiscardViewTextCopy() {}
