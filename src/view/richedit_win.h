// Thin typed wrappers for the rich-edit messages the program relies on.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace richedit {

inline void SetText(HWND view, const wchar_t* text) {
  SetWindowTextW(view, text);
}
// Replaces the whole text, handed to the control in pieces (EM_STREAMIN): some controls (Wine's)
// take one large insertion in a time that grows with the square of its length, and pieces keep
// it linear. The content, the caret, the scroll position and the format come out as after
// WM_SETTEXT; the text ends at its first NUL, as a window text does.
void StreamText(HWND view, std::u16string_view text);

// StreamText without the synchronous repaint some controls (Wine's) make when the text is set: the
// view is painted once, at the caller's next update. A hidden view paints nothing anyway, and
// WM_SETREDRAW TRUE would make it visible.
inline void StreamTextDeferringPaint(HWND view, std::u16string_view text) {
  if ((GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE) == 0) {
    StreamText(view, text);
    return;
  }
  SendMessageW(view, WM_SETREDRAW, FALSE, 0);
  StreamText(view, text);
  SendMessageW(view, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(view, nullptr, FALSE);
}
inline int TextLength(HWND view) {
  return GetWindowTextLengthW(view);
}

// The raw text: one code unit per character position, paragraph ends as single CR.
inline std::wstring RawText(HWND view) {
  const int n = TextLength(view);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GETTEXTEX gt{};
  gt.cb = static_cast<DWORD>((static_cast<size_t>(n) + 1) * sizeof(wchar_t));
  gt.flags = GT_RAWTEXT;
  gt.codepage = 1200;
  const LRESULT got =
      SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 && got <= n ? static_cast<size_t>(got) : wcsnlen(text.c_str(), text.size()));
  return text;
}

// The selection's text, NUL-terminated, into a buffer of `units` code units that the control is
// told of (unlike EM_GETSELTEXT). Returns the units written before the terminator.
inline std::size_t SelectedText(HWND view, wchar_t* buffer, std::size_t units) {
  if (units == 0) return 0;
  GETTEXTEX gt{};
  gt.cb = static_cast<DWORD>(std::min<std::size_t>(units, MAXDWORD / sizeof(wchar_t)) * sizeof(wchar_t));
  gt.flags = GT_SELECTION;
  gt.codepage = 1200;
  const LRESULT got =
      SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buffer));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

inline void LimitText(HWND view, unsigned limit) {
  SendMessageW(view, EM_LIMITTEXT, limit, 0);
}
inline unsigned TextLimit(HWND view) {
  return static_cast<unsigned>(SendMessageW(view, EM_GETLIMITTEXT, 0, 0));
}

struct Selection {
  LONG start = 0;
  LONG end = 0;
};
inline Selection GetSel(HWND view) {
  DWORD start = 0, end = 0;
  SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<LONG>(start), static_cast<LONG>(end)};
}
inline void SetSel(HWND view, LONG start, LONG end) {
  SendMessageW(view, EM_SETSEL, start, end);
}
inline void ScrollCaret(HWND view) {
  SendMessageW(view, EM_SCROLLCARET, 0, 0);
}
inline void LineScroll(HWND view, int chars, int lines) {
  SendMessageW(view, EM_LINESCROLL, chars, lines);
}

inline int FirstVisibleLine(HWND view) {
  return static_cast<int>(SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0));
}
inline int LineIndex(HWND view, int line) {
  return static_cast<int>(SendMessageW(view, EM_LINEINDEX, line, 0));
}
inline int LineCount(HWND view) {
  return static_cast<int>(SendMessageW(view, EM_GETLINECOUNT, 0, 0));
}
inline int LineFromChar(HWND view, int pos) {
  return static_cast<int>(SendMessageW(view, EM_LINEFROMCHAR, pos, 0));
}

// Client position of a character, both halves unsigned 16-bit as the control packs them.
struct CharPos {
  unsigned x = 0;
  unsigned y = 0;
};
inline CharPos PosFromChar(HWND view, int pos) {
  const auto packed = static_cast<DWORD>(SendMessageW(view, EM_POSFROMCHAR, pos, 0));
  return {LOWORD(packed), HIWORD(packed)};
}

// Client position of a character in full, asked with a POINTL. The packed form above fails in
// large texts: Wine's control takes a wParam of 0x40000 or more for a POINTL pointer.
inline POINTL PointFromChar(HWND view, int pos) {
  POINTL point{};
  SendMessageW(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), pos);
  return point;
}

// The character at a client point (the nearest one on the row there).
inline int CharFromPos(HWND view, POINTL point) {
  return static_cast<int>(SendMessageW(view, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
}

// The formatting rectangle, in client coordinates, inside which the text is laid out.
inline RECT FormatRect(HWND view) {
  RECT rect{};
  SendMessageW(view, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
  return rect;
}
inline void SetFormatRect(HWND view, const RECT& rect) {
  SendMessageW(view, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
}

// The format that text set later takes.
inline CHARFORMAT2W DefaultCharFormat(HWND view) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  SendMessageW(view, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  return format;
}

inline void SetBackgroundColor(HWND view, COLORREF color) {
  SendMessageW(view, EM_SETBKGNDCOLOR, 0, color);
}
// The default format too: some controls (Wine's) give text set later the default format rather
// than the one of the text replaced, which would show white-on-black text as black on black.
inline void SetCharFormatAll(HWND view, const CHARFORMAT2W& format) {
  SendMessageW(view, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SendMessageW(view, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}
inline void SetTabStop(HWND view, int dialogUnits) {
  SendMessageW(view, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&dialogUnits));
}
// Some rich-edit builds (Wine's among them) ignore EM_SETMARGINS and would draw the text under
// the gutter; there the formatting rectangle keeps the margin instead. Both views are of one
// class, so the first margin set tells for the whole run.
inline void SetLeftMargin(HWND view, int pixels) {
  static int marginsHonoured = -1;  // unknown until a margin is first set
  SendMessageW(view, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(pixels, 0));
  if (marginsHonoured < 0 && pixels > 0) {
    marginsHonoured = static_cast<int>(LOWORD(SendMessageW(view, EM_POSFROMCHAR, 0, 0))) >= pixels ? 1 : 0;
  }
  if (marginsHonoured != 0) return;
  if (pixels == 0) {
    SendMessageW(view, EM_SETRECT, 0, 0);  // the control's own rectangle again
    return;
  }
  RECT format{};
  SendMessageW(view, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  format.left = pixels;
  SendMessageW(view, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

}  // namespace richedit
