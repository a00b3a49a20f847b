// Reads one file into both views and relabels the encoding menu item.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings.h"

void LoadTextFile(HWND mainWindow, HWND noWrapView, HWND wrapView, const std::wstring& path,
                  AppSettings settings, HMENU menu);
