// Hands the current file to the external editor at the caret's line, then closes the viewer.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings.h"

void LaunchEditor(HWND mainWindow, HWND view, AppSettings settings, const std::wstring& currentPath);
