// The build runs real Win32 code under Wine: the menu resource loads and a rich-edit view exists.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, MenuResourceAndRichEditLoad) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"VAM_MENU");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 3);
  DestroyMenu(menu);
  HMODULE lib = LoadLibraryW(L"Riched20.dll");
  ASSERT_NE(lib, nullptr);
  HWND view =
      CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(view, nullptr);
  DestroyWindow(view);
  FreeLibrary(lib);
}
