// The views' subclass procedure: flicker-free painting with the overlay laid over the control's
// own rendering, repaints that make the caret rule follow the keys, and the cached text copy.
#include "view/view_proc_win.h"

#include <richedit.h>

#include <new>
#include <optional>

#include "app/program_state_win.h"
#include "view/gdi_win.h"
#include "view/overlay_win.h"
#include "view/view_colors.h"
#include "view/view_text_win.h"

namespace {

constexpr int kGutterStripWidth = 56;

// The control's own procedure, the same for both views (one class).
WNDPROC g_previousViewProc = nullptr;
// Empty while no paint has taken the copy since the last discard.
std::optional<ViewTextCopy> g_viewTextCopy;

LRESULT PassOn(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_previousViewProc == nullptr) return DefWindowProcW(view, message, wParam, lParam);
  return CallWindowProcW(g_previousViewProc, view, message, wParam, lParam);
}

// Messages after which the control lays its text out as before: painting, scrolling, moving the
// selection, focus, and questions. What the overlay learnt of the layout stays good across them;
// any other message makes it start again.
bool KeepsLayout(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_NCPAINT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_MOUSEACTIVATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CONTEXTMENU:
    case WM_TIMER:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETDLGCODE:
    case WM_GETFONT:
    case WM_COPY:
    case EM_GETSEL:
    case EM_SETSEL:
    case EM_EXGETSEL:
    case EM_EXSETSEL:
    case EM_SCROLL:
    case EM_LINESCROLL:
    case EM_SCROLLCARET:
    case EM_GETSCROLLPOS:
    case EM_SETSCROLLPOS:
    case EM_GETFIRSTVISIBLELINE:
    case EM_GETLINECOUNT:
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR:
    case EM_LINELENGTH:
    case EM_GETLINE:
    case EM_POSFROMCHAR:
    case EM_CHARFROMPOS:
    case EM_GETTEXTEX:
    case EM_GETTEXTLENGTHEX:
    case EM_GETTEXTRANGE:
    case EM_GETSELTEXT:
    case EM_FINDTEXTW:
    case EM_FINDTEXTEXW:
    case EM_GETRECT:
    case EM_GETLIMITTEXT:
    case EM_GETMODIFY:
    case EM_HIDESELECTION:
    case EM_SELECTIONTYPE:
      return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // the navigation keys and the modifiers alone
      return (wParam >= VK_PRIOR && wParam <= VK_DOWN) || wParam == VK_SHIFT || wParam == VK_CONTROL ||
             wParam == VK_MENU;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:  // Ctrl with the wheel zooms
      return (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) == 0;
    case WM_CHAR:  // the text is read-only; control characters may be formatting shortcuts
      return wParam >= 0x20;
    default:
      return false;
  }
}

void FillGutterStrip(HWND view, HDC dc, const AppSettings& settings) {
  RECT strip{};
  GetClientRect(view, &strip);
  strip.right = kGutterStripWidth;
  const GdiObject<HBRUSH> brush(CreateSolidBrush(ViewBackground(settings.blackBack)));
  if (brush.get() != nullptr) FillRect(dc, &strip, brush.get());
}

// Draws the overlay off screen and copies every pixel of it that is not black onto the view.
void ComposeOverlay(HWND view, HDC windowDc, const AppSettings& settings) {
  RECT client{};
  GetClientRect(view, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  const MemoryDc memoryDc(windowDc);
  // A new compatible bitmap is black throughout: black is the transparent colour.
  const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(windowDc, width, height));
  if (memoryDc.get() == nullptr || bitmap.get() == nullptr) return;
  const SelectedObject selected(memoryDc.get(), bitmap.get());
  const OverlayExtent extent = DrawViewOverlayExtent(settings, memoryDc.get());
  // Only where the overlay drew: elsewhere the bitmap is black and the transfer would skip every
  // pixel, at a cost that grows with the area.
  for (const RECT& drawn : {extent.marks, extent.caretRule}) {
    RECT part{};
    if (!IntersectRect(&part, &drawn, &client)) continue;
    const int w = part.right - part.left;
    const int h = part.bottom - part.top;
    TransparentBlt(windowDc, part.left, part.top, w, h, memoryDc.get(), part.left, part.top, w, h,
                   RGB(0, 0, 0));
  }
}

LRESULT OnPaint(HWND view, WPARAM wParam, LPARAM lParam) {
  // Without the copy there is nothing to scan: the control's own painting is shown alone.
  if (!TakeViewTextCopy(view)) return PassOn(view, WM_PAINT, wParam, lParam);
  const AppSettings settings = g_appSettings;
  LRESULT painted = 0;
  {
    const WindowDc windowDc(view);
    if (windowDc.get() != nullptr) FillGutterStrip(view, windowDc.get(), settings);
    painted = PassOn(view, WM_PAINT, wParam, lParam);
    if (windowDc.get() != nullptr) ComposeOverlay(view, windowDc.get(), settings);
  }
  // The control validated the update region above. Passed on once more only while something is
  // left to paint: with nothing to paint the control still walks the whole document, which in a
  // large file costs as much as the paint itself.
  if (!GetUpdateRect(view, nullptr, FALSE)) return painted;
  return PassOn(view, WM_PAINT, wParam, lParam);
}

void OnKeyDown(HWND view, WPARAM key) {
  if (key >= VK_LEFT && key <= VK_DOWN) InvalidateRect(view, nullptr, FALSE);
}

void OnKeyUp(HWND view, WPARAM key) {
  if (key == VK_PRIOR || key == VK_NEXT) InvalidateRect(view, nullptr, FALSE);
}

LRESULT PassOnTrackingLayout(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  if (KeepsLayout(message, wParam)) return PassOn(view, message, wParam, lParam);
  // Before, and after too: the control may paint while it handles the message.
  ForgetViewLayout(view);
  const LRESULT result = PassOn(view, message, wParam, lParam);
  ForgetViewLayout(view);
  return result;
}

}  // namespace

const ViewTextCopy* CurrentViewTextCopy() {
  return g_viewTextCopy ? &*g_viewTextCopy : nullptr;
}

bool TakeViewTextCopy(HWND view) {
  if (g_viewTextCopy) return true;
  const int n = GetWindowTextLengthW(view);
  if (n < 0) return false;
  try {
    ViewTextCopy copy;
    // Zero-filled, so the copy ends with NUL whatever the control writes.
    copy.text.assign(static_cast<size_t>(n) + 1, u'\0');
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>((static_cast<size_t>(n) + 1) * sizeof(char16_t));
    request.flags = GT_RAWTEXT;
    request.codepage = 1200;
    SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(copy.text.data()));
    copy.text.back() = u'\0';
    copy.lines = BuildLineStarts(copy.text);
    g_viewTextCopy = std::move(copy);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

LRESULT CALLBACK ViewWndProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      return OnPaint(view, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;  // never erased: the control paints every pixel, so nothing flickers
    case WM_NCDESTROY:
      DiscardViewTextCopy();
      break;
    case WM_KEYDOWN:
      OnKeyDown(view, wParam);
      break;
    case WM_KEYUP:
      OnKeyUp(view, wParam);
      break;
    default:
      break;
  }
  return PassOnTrackingLayout(view, message, wParam, lParam);
}

void SubclassView(HWND view) {
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ViewWndProc)));
  // Kept once: installing again on a view returns ViewWndProc itself.
  if (g_previousViewProc == nullptr && previous != nullptr && previous != &ViewWndProc) {
    g_previousViewProc = previous;
  }
}

void DiscardViewTextCopy() {
  g_viewTextCopy.reset();
  ForgetViewLayout(nullptr);
}
