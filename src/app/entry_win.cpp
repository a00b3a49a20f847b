// Program entry: the window class, the main window, the accelerators and the message loop.
#include <windows.h>

#include "app/accelerators_win.h"
#include "app/commands.h"
#include "app/heap_win.h"
#include "app/main_window_win.h"
#include "app/program_state_win.h"
#include "tools/find_win.h"

namespace {

struct WindowIcons {
  HICON large = nullptr;
  HICON smallIcon = nullptr;
  ~WindowIcons() {
    if (large != nullptr) DestroyIcon(large);
    if (smallIcon != nullptr) DestroyIcon(smallIcon);
  }
};

void SetIcons(HWND window, HINSTANCE instance, WindowIcons& icons) {
  icons.large = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_VAM_LARGE), IMAGE_ICON, 32, 32, LR_LOADTRANSPARENT));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.large));
  icons.smallIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_VAM_SMALL), IMAGE_ICON, 16, 16, LR_LOADTRANSPARENT));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.smallIcon));
}

WPARAM RunMessageLoop(HWND window, HACCEL accelerators) {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    // Keys for the find dialog are never taken as accelerators.
    if (g_findDialogState.dialog != nullptr && IsDialogMessageW(g_findDialogState.dialog, &msg)) continue;
    if (TranslateAcceleratorW(window, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return msg.wParam;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  UseLowFragmentationHeap();
  if (!RegisterMainWindowClass(instance)) return 0;
  HWND window = CreateMainWindow(instance);
  if (window == nullptr) {
    // No window means no WM_QUIT would ever arrive: end here.
    if (g_richEditLibrary != nullptr) FreeLibrary(g_richEditLibrary);
    return 0;
  }
  ShowWindow(window, showCommand);
  WindowIcons icons;
  SetIcons(window, instance, icons);
  HACCEL accelerators = CreateVamAccelerators();
  const WPARAM exitCode = RunMessageLoop(window, accelerators);
  if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
  if (g_richEditLibrary != nullptr) FreeLibrary(g_richEditLibrary);
  return static_cast<int>(exitCode);
}
