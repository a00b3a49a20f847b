// The commands that change the view, force an encoding, find, launch the editor or close.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "document/folder_list_win.h"

void HandleViewCommand(HWND mainWindow, HWND& noWrapView, HWND& wrapView, WPARAM wParam, LPARAM lParam,
                       HMENU menu, AppSettings& settings, const FolderFileList& list);
