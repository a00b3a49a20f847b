#include "app/accelerators_win.h"

#include "app/commands.h"

namespace {

// Keys without FSHIFT/FCONTROL/FALT match only with all three up, so Shift+Tab, Ctrl+Return and
// the main-keyboard digits reach the view as ordinary keys.
constexpr BYTE kPlain = FVIRTKEY;
constexpr BYTE kShift = FVIRTKEY | FSHIFT;
constexpr BYTE kCtrl = FVIRTKEY | FCONTROL;

const AcceleratorTable kTable = {{
    {kPlain, VK_RETURN, IDM_KEY_RETURN},
    {kShift, VK_RETURN, IDM_KEY_RETURN},
    {kPlain, VK_ESCAPE, IDM_KEY_ESCAPE},
    {kPlain, VK_F3, IDM_KEY_F3},
    {kPlain, 'F', IDM_FIND},
    {kCtrl, 'F', IDM_FIND},
    {kPlain, VK_SPACE, IDM_KEY_SPACE},
    {kPlain, VK_F3, IDM_KEY_F3},
    {kPlain, VK_ADD, IDM_KEY_ADD},
    {kPlain, VK_SUBTRACT, IDM_KEY_SUBTRACT},
    {kPlain, VK_NUMPAD0, IDM_CODE_AUTO},
    {kPlain, VK_NUMPAD1, IDM_CODE_SHIFTJIS},
    {kPlain, VK_NUMPAD2, IDM_CODE_UTF8},
    {kPlain, VK_NUMPAD3, IDM_CODE_UTF16LE},
    {kPlain, VK_TAB, IDM_TAB4},
    {kCtrl, 'O', IDM_OPEN},
    {kCtrl, 'C', IDM_COPY},
    {kCtrl, VK_LEFT, IDM_PREV_FILE},
    {kCtrl, VK_RIGHT, IDM_NEXT_FILE},
}};

}  // namespace

const AcceleratorTable& VamAccelerators() {
  return kTable;
}

HACCEL CreateVamAccelerators() {
  AcceleratorTable table = kTable;  // the API takes a non-const array
  return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}
