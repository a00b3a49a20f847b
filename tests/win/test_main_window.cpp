// The menu resource and the accelerator table, read back from the real objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/accelerators_win.h"
#include "app/commands.h"
#include "view/richedit_win.h"

namespace {

struct MenuRow {
  const wchar_t* label;  // nullptr: separator
  UINT id;
};

std::wstring ItemText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 128;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return text;
}

TEST(MainMenu, LabelsOrderSeparatorsAndIdsAsShipped) {
  HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), L"VAM_MENU");
  ASSERT_NE(bar, nullptr);
  const std::vector<std::pair<const wchar_t*, std::vector<MenuRow>>> expected = {
      {L"ファイル(&F)",
       {{L"開く...(O)", IDM_OPEN},
        {nullptr, 0},
        {L"検索...(&F)", IDM_FIND},
        {L"エディタ(&E)", IDM_EDITOR},
        {nullptr, 0},
        {L"終了(&X)", IDM_EXIT}}},
      {L"表示(&V)",
       {{L"フォント...(&F)", IDM_FONT},
        {nullptr, 0},
        {L"行番号(&N)", IDM_NUMBER_LINE},
        {L"タブ４(&T)", IDM_TAB4},
        {L"折り返し(&W)", IDM_WORD_WRAP},
        {L"黒背景(&B)", IDM_BLACK_BACK}}},
      {L"CODE",
       {{L"自動判別(&0)", IDM_CODE_AUTO},
        {L"ShiftJIS(&1)", IDM_CODE_SHIFTJIS},
        {L"UTF-8(&2)", IDM_CODE_UTF8},
        {L"UTF-16LE(&3)", IDM_CODE_UTF16LE}}},
  };
  ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(expected.size()));
  for (UINT p = 0; p < expected.size(); ++p) {
    EXPECT_EQ(ItemText(bar, p), expected[p].first);
    HMENU popup = GetSubMenu(bar, static_cast<int>(p));
    ASSERT_NE(popup, nullptr);
    const auto& rows = expected[p].second;
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(rows.size())) << "popup " << p;
    for (UINT i = 0; i < rows.size(); ++i) {
      const UINT state = GetMenuState(popup, i, MF_BYPOSITION);
      if (rows[i].label == nullptr) {
        EXPECT_TRUE(state & MF_SEPARATOR) << "popup " << p << " item " << i;
        continue;
      }
      EXPECT_EQ(ItemText(popup, i), rows[i].label);
      EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), rows[i].id);
      EXPECT_FALSE(state & MF_CHECKED) << "nothing is checked in the resource";
    }
  }
  DestroyMenu(bar);
}

TEST(Accelerators, NineteenEntriesInOrderSurviveCreation) {
  struct Row {
    BYTE flags;
    WORD key;
    WORD id;
  };
  const Row expected[] = {
      {0x01, VK_RETURN, 13},     {0x05, VK_RETURN, 13},     {0x01, VK_ESCAPE, 27},
      {0x01, VK_F3, 114},        {0x01, 'F', 10002},        {0x09, 'F', 10002},
      {0x01, VK_SPACE, 32},      {0x01, VK_F3, 114},        {0x01, VK_ADD, 107},
      {0x01, VK_SUBTRACT, 109},  {0x01, VK_NUMPAD0, 20004}, {0x01, VK_NUMPAD1, 20005},
      {0x01, VK_NUMPAD2, 20006}, {0x01, VK_NUMPAD3, 20007}, {0x01, VK_TAB, 20002},
      {0x09, 'O', 40003},        {0x09, 'C', 32770},        {0x09, VK_LEFT, 32771},
      {0x09, VK_RIGHT, 32772},
  };
  HACCEL table = CreateVamAccelerators();
  ASSERT_NE(table, nullptr);
  ACCEL copied[32] = {};
  ASSERT_EQ(CopyAcceleratorTableW(table, copied, 32), 19);
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(copied[i].fVirt & 0x7F, expected[i].flags) << "entry " << i + 1;
    EXPECT_EQ(copied[i].key, expected[i].key) << "entry " << i + 1;
    EXPECT_EQ(copied[i].cmd, expected[i].id) << "entry " << i + 1;
  }
  DestroyAcceleratorTable(table);
}

TEST(ViewFormat, TextSetAfterTheFormatKeepsItsColours) {
  // A white-on-black view must show a file loaded afterwards in white, not black on black.
  HMODULE library = LoadLibraryW(L"Riched20.dll");
  ASSERT_NE(library, nullptr);
  HWND view = CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(view, nullptr);
  CHARFORMAT2W white{};
  white.cbSize = sizeof(white);
  white.dwMask = CFM_COLOR | CFM_BACKCOLOR;
  white.crTextColor = RGB(255, 255, 255);
  white.crBackColor = RGB(0, 0, 0);
  richedit::SetCharFormatAll(view, white);
  SetWindowTextW(view, L"abc\rdef");
  richedit::SetSel(view, 0, -1);
  CHARFORMAT2W got{};
  got.cbSize = sizeof(got);
  SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got.crTextColor, RGB(255, 255, 255));
  EXPECT_FALSE(got.dwEffects & CFE_AUTOCOLOR);
  DestroyWindow(view);
  FreeLibrary(library);
}

}  // namespace
