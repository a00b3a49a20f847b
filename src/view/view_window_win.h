// The two views' windows: how they are made, formatted and emptied.
#pragma once

#include <windows.h>
#include <richedit.h>

#include "app/settings.h"

inline constexpr DWORD kWrapViewStyle = 0x50200804;    // child, visible, vscroll, multiline, read-only
inline constexpr DWORD kNoWrapViewStyle = 0x50300884;  // the same with hscroll and auto-hscroll: no wrapping
inline constexpr int kGutterWidth = 56;

// A view of className over the parent's client area, not yet subclassed or formatted.
HWND CreateViewWindow(HWND parent, HINSTANCE instance, const wchar_t* className, DWORD style, const RECT& client);

// The views' character format from the settings: face, size and colours.
CHARFORMAT2W ViewCharFormat(const AppSettings& settings);

// Empties a view. Some controls (Wine's) delete text in a time that grows with the square of its
// paragraphs: minutes for a few megabytes. A view with many rows is therefore replaced by an empty
// twin (same class, styles, place, subclass, format and focus) and destroyed, which takes a time
// that grows with the text only; `view` then names the twin.
void EmptyView(HWND& view, const AppSettings& settings);
