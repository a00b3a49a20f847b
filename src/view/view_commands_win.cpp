// The commands that change how the document is shown, force an encoding, find, launch the editor
// or close. Each changes the one settings record in place; the main window saves it at close.
#include "view/view_commands_win.h"

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "app/commands.h"
#include "app/menu_win.h"
#include "app/program_state_win.h"
#include "app/settings.h"
#include "app/wide_win.h"
#include "document/loader_win.h"
#include "tools/editor_win.h"
#include "tools/find_win.h"
#include "view/font_size.h"
#include "view/richedit_win.h"
#include "view/view_colors.h"
#include "view/view_proc_win.h"

namespace {

// A window's device context, released on every path.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An owned font, deleted when replaced or at process end.
class OwnedFont {
 public:
  OwnedFont() = default;
  explicit OwnedFont(HFONT font) : font_(font) {}
  ~OwnedFont() { reset(); }
  OwnedFont(const OwnedFont&) = delete;
  OwnedFont& operator=(const OwnedFont&) = delete;
  OwnedFont& operator=(OwnedFont&& other) noexcept {
    if (this != &other) {
      reset();
      font_ = other.font_;
      other.font_ = nullptr;
    }
    return *this;
  }
  HFONT get() const { return font_; }

 private:
  void reset() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
  }
  HFONT font_ = nullptr;
};

// The font that the last confirmed font dialog made; the views use it until the next one.
OwnedFont g_viewFont;

// On/off settings: only 1 counts as on.
int Toggled(int value) {
  return value == 1 ? 0 : 1;
}

std::wstring CurrentPathOf(const FolderFileList& list) {
  if (list.currentIndex < 0 || static_cast<size_t>(list.currentIndex) >= list.entries.size()) return {};
  return list.entries[static_cast<size_t>(list.currentIndex)];
}

COLORREF BackgroundOf(const AppSettings& settings) {
  return ViewBackground(settings.blackBack);
}
COLORREF TextColorOf(const AppSettings& settings) {
  return ViewTextColor(settings.blackBack);
}

CHARFORMAT2W ColorFormat(const AppSettings& settings, DWORD mask) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = mask;
  format.crTextColor = TextColorOf(settings);
  format.crBackColor = BackgroundOf(settings);
  format.bCharSet = 0;
  return format;
}

struct Views {
  HWND mainWindow;
  HWND& noWrapView;  // a reload may replace the views
  HWND& wrapView;
  HMENU menu;
};

void SetCharFormatBoth(const Views& v, const CHARFORMAT2W& format) {
  richedit::SetCharFormatAll(v.noWrapView, format);
  richedit::SetCharFormatAll(v.wrapView, format);
}

void SetBackgroundBoth(const Views& v, COLORREF color) {
  richedit::SetBackgroundColor(v.noWrapView, color);
  richedit::SetBackgroundColor(v.wrapView, color);
}

void Close(const Views& v) {
  SendMessageW(v.mainWindow, WM_CLOSE, 0, 0);
}

void OpenEditor(const Views& v, const AppSettings& settings, const FolderFileList& list) {
  LaunchEditor(v.mainWindow, VisibleView(settings, v.noWrapView, v.wrapView), settings, CurrentPathOf(list));
}

void OpenFindDialog(const Views& v) {
  FindDialogState& state = g_findDialogState;
  // The open dialog still reads and writes the record: bring it forward rather than open a second
  // one over the same record.
  if (state.dialog && IsWindow(state.dialog)) {
    SetActiveWindow(state.dialog);
    return;
  }
  state.record = FINDREPLACEW{};
  state.record.lStructSize = sizeof(state.record);
  state.record.hwndOwner = v.mainWindow;
  state.record.Flags = FR_DOWN | FR_HIDEWHOLEWORD;
  // The text of the previous search is kept, so the dialog opens with it.
  state.record.lpstrFindWhat = state.findText;
  state.record.wFindWhatLen = static_cast<WORD>(std::size(state.findText));
  state.dialog = FindTextW(&state.record);
}

void FindNext(const Views& v, const AppSettings& settings, const FolderFileList& list) {
  FindDialogState& state = g_findDialogState;
  // Never opened: there is no search text yet.
  if (!state.record.lpstrFindWhat) return;
  state.record.Flags |= FR_FINDNEXT;
  const std::wstring path = CurrentPathOf(list);
  FindInView(v.mainWindow, v.wrapView, path, true);
  FindInView(v.mainWindow, v.noWrapView, path, false);
  SetFocus(VisibleView(settings, v.noWrapView, v.wrapView));
}

// The font dialog's choice, or nothing when the user cancelled.
void ChooseViewFont(const Views& v, AppSettings& settings) {
  const WindowDC dc(v.noWrapView);
  const int pixelsPerInch = GetDeviceCaps(dc.get(), LOGPIXELSY);

  LOGFONTW logFont{};
  const std::wstring_view face = W(FaceName(settings));
  std::copy_n(face.begin(), std::min(face.size(), std::size(logFont.lfFaceName) - 1), logFont.lfFaceName);
  logFont.lfHeight = -MulDiv(settings.fontSize, pixelsPerInch, 72);

  CHOOSEFONTW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = v.mainWindow;
  choose.hDC = dc.get();
  choose.lpLogFont = &logFont;
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontW(&choose)) return;

  OwnedFont font(CreateFontIndirectW(&logFont));
  if (!font.get()) return;
  SendMessageW(v.noWrapView, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), 0);
  SendMessageW(v.wrapView, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), 0);
  // Both views now use the new font; the one made before is no longer referenced.
  g_viewFont = std::move(font);

  SetBackgroundBoth(v, BackgroundOf(settings));
  SetCharFormatBoth(v, ColorFormat(settings, CFM_COLOR | CFM_CHARSET | CFM_BACKCOLOR));
  InvalidateRect(v.mainWindow, nullptr, TRUE);

  if (pixelsPerInch > 0) settings.fontSize = PointSizeFromHeight(logFont.lfHeight, pixelsPerInch);
  SetFontName(settings, U(std::wstring_view(logFont.lfFaceName, wcsnlen(logFont.lfFaceName, LF_FACESIZE))));

  SetFocus(VisibleView(settings, v.noWrapView, v.wrapView));
}

void StepViewFontSize(const Views& v, AppSettings& settings, int delta) {
  settings.fontSize = StepFontSize(settings.fontSize, delta);
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_SIZE;
  format.yHeight = settings.fontSize * 20;
  SetCharFormatBoth(v, format);
  InvalidateRect(v.mainWindow, nullptr, TRUE);
}

void ToggleTab4(const Views& v, AppSettings& settings) {
  settings.tab4 = Toggled(settings.tab4);
  const int distance = settings.tab4 == 1 ? 16 : 32;
  richedit::SetTabStop(v.noWrapView, distance);
  richedit::SetTabStop(v.wrapView, distance);
  SetMenuCheck(v.menu, IDM_TAB4, settings.tab4 == 1);
  InvalidateRect(v.mainWindow, nullptr, TRUE);
}

void ToggleBlackBack(const Views& v, AppSettings& settings) {
  settings.blackBack = Toggled(settings.blackBack);
  SetBackgroundBoth(v, BackgroundOf(settings));
  SetMenuCheck(v.menu, IDM_BLACK_BACK, settings.blackBack == 1);
  SetCharFormatBoth(v, ColorFormat(settings, CFM_COLOR | CFM_BACKCOLOR));
  InvalidateRect(v.mainWindow, nullptr, TRUE);
}

void ToggleWordWrap(const Views& v, AppSettings& settings) {
  const HWND oldView = VisibleView(settings, v.noWrapView, v.wrapView);
  settings.wordWrap = Toggled(settings.wordWrap);
  const HWND newView = VisibleView(settings, v.noWrapView, v.wrapView);

  const richedit::Selection selection = richedit::GetSel(oldView);
  ShowWindow(newView, SW_SHOW);
  richedit::SetSel(newView, selection.start, selection.end);
  richedit::ScrollCaret(newView);
  ShowWindow(oldView, SW_HIDE);

  SetFocus(newView);
  SetMenuCheck(v.menu, IDM_WORD_WRAP, settings.wordWrap == 1);
  InvalidateRect(v.noWrapView, nullptr, TRUE);
}

void ToggleNumberLine(const Views& v, AppSettings& settings) {
  settings.numberLine = Toggled(settings.numberLine);
  const int margin = settings.numberLine == 1 ? 56 : 0;
  richedit::SetLeftMargin(v.wrapView, margin);
  richedit::SetLeftMargin(v.noWrapView, margin);
  SetMenuCheck(v.menu, IDM_NUMBER_LINE, settings.numberLine == 1);
  SendMessageW(v.mainWindow, WM_PAINT, 0, 0);
}

void ForceEncoding(const Views& v, AppSettings& settings, const FolderFileList& list, UINT command) {
  static constexpr struct {
    UINT command;
    int encoding;
  } kEncodings[] = {{IDM_CODE_AUTO, 0}, {IDM_CODE_SHIFTJIS, 1}, {IDM_CODE_UTF8, 2}, {IDM_CODE_UTF16LE, 4}};
  for (const auto& e : kEncodings) SetMenuCheck(v.menu, e.command, false);
  SetMenuCheck(v.menu, command, true);
  for (const auto& e : kEncodings) {
    if (e.command == command) settings.encoding = e.encoding;
  }

  LoadTextFile(v.mainWindow, v.noWrapView, v.wrapView, CurrentPathOf(list), settings, v.menu);
  SendMessageW(v.mainWindow, WM_PAINT, 0, 0);
  InvalidateRect(v.mainWindow, nullptr, FALSE);
  UpdateWindow(v.mainWindow);
}

}  // namespace

void HandleViewCommand(HWND mainWindow, HWND& noWrapView, HWND& wrapView, WPARAM wParam, LPARAM /*lParam*/,
                       HMENU menu, AppSettings& settings, const FolderFileList& list) {
  const Views v{mainWindow, noWrapView, wrapView, menu};
  const UINT command = LOWORD(wParam);
  switch (command) {
    case IDM_KEY_RETURN:
      if (GetKeyState(VK_SHIFT) < 0) {
        OpenEditor(v, settings, list);
      } else {
        Close(v);
      }
      break;
    case IDM_KEY_ESCAPE:
    case IDM_EXIT:
      Close(v);
      break;
    case IDM_EDITOR:
      OpenEditor(v, settings, list);
      break;
    case IDM_FIND:
      OpenFindDialog(v);
      break;
    case IDM_KEY_SPACE:
    case IDM_KEY_F3:
      FindNext(v, settings, list);
      break;
    case IDM_FONT:
      ChooseViewFont(v, settings);
      break;
    case IDM_KEY_ADD:
      StepViewFontSize(v, settings, +1);
      break;
    case IDM_KEY_SUBTRACT:
      StepViewFontSize(v, settings, -1);
      break;
    case IDM_TAB4:
      ToggleTab4(v, settings);
      break;
    case IDM_BLACK_BACK:
      ToggleBlackBack(v, settings);
      break;
    case IDM_WORD_WRAP:
      ToggleWordWrap(v, settings);
      break;
    case IDM_NUMBER_LINE:
      ToggleNumberLine(v, settings);
      break;
    case IDM_CODE_AUTO:
    case IDM_CODE_SHIFTJIS:
    case IDM_CODE_UTF8:
    case IDM_CODE_UTF16LE:
      ForceEncoding(v, settings, list, command);
      break;
    default:
      break;  // anything else, such as the views' own notifications, is not a view command
  }
}
