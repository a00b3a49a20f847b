#include "view/view_window_win.h"

#include <richedit.h>

#include "app/commands.h"
#include "app/wide_win.h"
#include "view/richedit_win.h"
#include "view/view_colors.h"
#include "view/view_proc_win.h"

namespace {

// Up to this many rows the control deletes them faster than a twin is made.
constexpr int kRowsEmptiedInPlace = 256;


// An empty view made and formatted like `view`, in its place; nullptr when none can be made.
HWND CreateTwin(HWND view, const AppSettings& settings) {
  wchar_t className[64] = {};
  if (GetClassNameW(view, className, 64) == 0) return nullptr;
  // The style it was made with: the control drops the scroll bars' bits while it needs none, and
  // a view made without them would never show them.
  const auto shown = static_cast<DWORD>(GetWindowLongW(view, GWL_STYLE));
  const DWORD style = ((shown & ES_AUTOHSCROLL) != 0 ? kNoWrapViewStyle : kWrapViewStyle) & ~WS_VISIBLE;
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(view, GWL_EXSTYLE));
  const HWND parent = GetParent(view);
  RECT place{};
  GetWindowRect(view, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  const HWND twin = CreateWindowExW(
      exStyle, className, L"", style, place.left, place.top, place.right - place.left,
      place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(view))),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(view, GWLP_HINSTANCE)), nullptr);
  if (twin == nullptr) return nullptr;
  SubclassView(twin);
  richedit::SetBackgroundColor(twin, ViewBackground(settings.blackBack));
  // The character format as the view has it: it may come from a font the user chose.
  richedit::SetCharFormatAll(twin, richedit::DefaultCharFormat(view));
  richedit::SetTabStop(twin, settings.tab4 == 1 ? 16 : 32);
  if (settings.numberLine == 1) richedit::SetLeftMargin(twin, kGutterWidth);
  richedit::LimitText(twin, richedit::TextLimit(view));
  SetWindowPos(twin, view, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if ((shown & WS_VISIBLE) != 0) ShowWindow(twin, SW_SHOWNA);
  if (GetFocus() == view) SetFocus(twin);
  return twin;
}

}  // namespace

HWND CreateViewWindow(HWND parent, HINSTANCE instance, const wchar_t* className, DWORD style, const RECT& client) {
  return CreateWindowExW(WS_EX_CLIENTEDGE, className, L"", style, 0, 0, client.right, client.bottom, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(VIEW_CHILD_ID)), instance, nullptr);
}

CHARFORMAT2W ViewCharFormat(const AppSettings& settings) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_BACKCOLOR;
  format.yHeight = settings.fontSize * 20;
  lstrcpynW(format.szFaceName, W(settings.fontName), LF_FACESIZE);
  format.bCharSet = ANSI_CHARSET;
  format.crTextColor = ViewTextColor(settings.blackBack);
  format.crBackColor = ViewBackground(settings.blackBack);
  return format;
}

void EmptyView(HWND& view, const AppSettings& settings) {
  if (richedit::LineCount(view) > kRowsEmptiedInPlace) {
    if (const HWND twin = CreateTwin(view, settings)) {
      DestroyWindow(view);
      view = twin;
      return;
    }
  }
  richedit::StreamTextDeferringPaint(view, u"");
}
