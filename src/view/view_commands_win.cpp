// Placeholder until this module is written.
#include "view/view_commands_win.h"
void HandleViewCommand(HWND, HWND, HWND, WPARAM, LPARAM, HMENU, AppSettings&, const FolderFileList&) {}
