// Placeholder until this module is written.
#include "view/overlay_win.h"
void DrawViewOverlay(AppSettings, HDC) {}
