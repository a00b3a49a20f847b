#include "app/program_state_win.h"

AppSettings g_appSettings;
std::wstring g_iniPath;
HMODULE g_richEditLibrary = nullptr;
HWND g_mainWindow = nullptr;
HWND g_wrapView = nullptr;
HWND g_noWrapView = nullptr;
HMENU g_menu = nullptr;
