// Placeholder until this module is written.
#include "tools/find_win.h"
FindDialogState g_findDialogState;
void FindInView(HWND, HWND, const std::wstring&, bool) {}
