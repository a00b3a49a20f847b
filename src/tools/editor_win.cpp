// Placeholder until this module is written.
#include "tools/editor_win.h"
void LaunchEditor(HWND, HWND, AppSettings, const std::wstring&) {}
