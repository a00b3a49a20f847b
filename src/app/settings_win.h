// Reading and writing the settings file through the private-profile functions.
#pragma once

#include <windows.h>

#include "app/settings.h"

// Fills settings from g_iniPath, places mainWindow at the saved rectangle and sets the check
// marks of g_menu.
void LoadSettings(HWND mainWindow, AppSettings& settings);
// Writes settings and mainWindow's restored rectangle to g_iniPath.
void SaveSettings(HWND mainWindow, AppSettings settings);
