// Placeholder until this module is written.
#include "document/loader_win.h"
void LoadTextFile(HWND, HWND, HWND, const std::wstring&, AppSettings, HMENU) {}
