// What the view procedure and the overlay share: the cached text copy, where the overlay drew,
// and what it keeps of a view's layout between paints.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings.h"
#include "view/overlay.h"

// The raw text of the views (one code unit per character position, NUL-terminated) and its
// logical line starts, both taken once per load.
struct ViewTextCopy {
  std::u16string text;
  LineStarts lines;
};

// The copy, or nullptr while there is none.
const ViewTextCopy* CurrentViewTextCopy();
// Takes the copy from view unless there is one; false when it cannot be allocated.
bool TakeViewTextCopy(HWND view);

// Where a paint of the overlay drew on its bitmap; the rest of the bitmap stays black.
struct OverlayExtent {
  RECT marks{};  // numbers, separator, marks and [EOF]
  RECT caretRule{};
};
// Draws as DrawViewOverlay does and tells where.
OverlayExtent DrawViewOverlayExtent(const AppSettings& settings, HDC memoryDc);
// The same drawing with every question asked of the view itself and nothing kept: what the
// measured answers are held to, and what they save.
OverlayExtent DrawViewOverlayAsked(const AppSettings& settings, HDC memoryDc);

// Forgets what the overlay learnt of view's layout (nullptr: of both views). Called whenever the
// text, the formatting or the size of a view may have changed.
void ForgetViewLayout(HWND view);
