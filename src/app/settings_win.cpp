// Placeholder until this module is written.
#include "app/settings_win.h"
void LoadSettings(HWND, AppSettings&) {}
void SaveSettings(HWND, AppSettings) {}
