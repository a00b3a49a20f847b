// Reads one file into both views and relabels the encoding menu item. A view may be replaced by a
// fresh twin on the way (see EmptyView): the handles passed in then name the new views.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings.h"

void LoadTextFile(HWND mainWindow, HWND& noWrapView, HWND& wrapView, const std::wstring& path,
                  AppSettings settings, HMENU menu);
