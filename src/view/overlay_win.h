// Line numbers, marks, [EOF] and the caret rule of the visible view, drawn into memoryDc.
#pragma once

#include <windows.h>

#include "app/settings.h"

void DrawViewOverlay(AppSettings settings, HDC memoryDc);
