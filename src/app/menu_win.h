// Menu check marks, set by command identifier.
#pragma once

#include <windows.h>

inline void SetMenuCheck(HMENU menu, UINT command, bool checked) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STATE;
  info.fState = checked ? MFS_CHECKED : 0;
  SetMenuItemInfoW(menu, command, FALSE, &info);
}
