// The platform structures the program fills, at the sizes the system expects of each build.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#ifdef _WIN64
static_assert(sizeof(WNDCLASSEXW) == 80);
static_assert(sizeof(OPENFILENAMEW) == 152);
static_assert(sizeof(FINDREPLACEW) == 80);
static_assert(sizeof(CHOOSEFONTW) == 104);
static_assert(sizeof(STARTUPINFOW) == 104);
static_assert(sizeof(PROCESS_INFORMATION) == 24);
static_assert(sizeof(GETTEXTEX) == 28);
#else
static_assert(sizeof(WNDCLASSEXW) == 48);
static_assert(sizeof(OPENFILENAMEW) == 88);
static_assert(sizeof(FINDREPLACEW) == 40);
static_assert(sizeof(CHOOSEFONTW) == 60);
static_assert(sizeof(STARTUPINFOW) == 68);
static_assert(sizeof(PROCESS_INFORMATION) == 16);
static_assert(sizeof(GETTEXTEX) == 20);
#endif
static_assert(sizeof(CHARFORMAT2W) == 116);
static_assert(sizeof(LOGFONTW) == 92);
static_assert(sizeof(MENUITEMINFOW) == (sizeof(void*) == 8 ? 80 : 48));
static_assert(sizeof(WINDOWPLACEMENT) == 44);
static_assert(sizeof(ACCEL) == 6);
