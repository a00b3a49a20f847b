// Copies the visible view's selection as plain Unicode text with CR LF line ends.
#pragma once

#include <windows.h>

#include "app/settings.h"

void CopySelection(HWND mainWindow, const AppSettings& settings);
