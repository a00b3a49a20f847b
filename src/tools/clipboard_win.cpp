// Placeholder until this module is written.
#include "tools/clipboard_win.h"
void CopySelection(HWND, const AppSettings&) {}
