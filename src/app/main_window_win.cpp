#include "app/main_window_win.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

#include "app/commands.h"
#include "app/program_state_win.h"
#include "app/settings_win.h"
#include "app/wide_win.h"
#include "document/folder_list_win.h"
#include "document/loader_win.h"
#include "tools/clipboard_win.h"
#include "tools/find_win.h"
#include "view/richedit_win.h"
#include "view/view_colors.h"
#include "view/view_commands_win.h"
#include "view/view_proc_win.h"
#include "view/view_window_win.h"

namespace {

constexpr wchar_t kSection[] = L"SystemSetting";

HWND VisibleView() {
  return VisibleView(g_appSettings, g_noWrapView, g_wrapView);
}

// The executable's path with its extension replaced by ".ini", so each build keeps its own file.
std::wstring BuildIniPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const size_t slash = path.find_last_of(L"\\/");
      const size_t dot = path.find_last_of(L'.');
      if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.resize(dot);
      return path + L".ini";
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The first argument after the program, made absolute and long; empty when there is none or it
// cannot be handled whole (a cut path could name another file).
std::wstring CommandLineFile() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return {};
  std::wstring path;
  if (argc > 1 && argv[1][0] != L'\0') path = NormalizeDocumentPath(argv[1]);
  LocalFree(argv);
  return path;
}

void SetTitle(HWND mainWindow, const std::wstring& path) {
  const std::wstring title = !path.empty() && PathFileExistsW(path.c_str()) ? FolderTitle() : L"Vam";
  SetWindowTextW(mainWindow, title.c_str());
}

// The library named by the `dll` key with its own class, or the system's rich edit. When the
// named library loads but its class makes no view, the system's control is used instead, so the
// program never opens without views.
void CreateViews(HWND mainWindow, HINSTANCE instance, const RECT& client) {
  wchar_t dll[MAX_PATH] = {};
  GetPrivateProfileStringW(kSection, L"dll", L"", dll, MAX_PATH, g_iniPath.c_str());
  if (dll[0] != L'\0') {
    g_richEditLibrary = LoadLibraryW(dll);
    if (g_richEditLibrary != nullptr) {
      g_wrapView = CreateViewWindow(mainWindow, instance, L"RichEditD2D", kWrapViewStyle, client);
      g_noWrapView = CreateViewWindow(mainWindow, instance, L"RichEditD2D", kNoWrapViewStyle, client);
      if (g_wrapView != nullptr && g_noWrapView != nullptr) return;
      if (g_wrapView != nullptr) DestroyWindow(g_wrapView);
      if (g_noWrapView != nullptr) DestroyWindow(g_noWrapView);
      g_wrapView = g_noWrapView = nullptr;
      FreeLibrary(g_richEditLibrary);
    }
  }
  g_richEditLibrary = LoadLibraryW(L"Riched20.dll");
  g_wrapView = CreateViewWindow(mainWindow, instance, L"RichEdit20W", kWrapViewStyle, client);
  g_noWrapView = CreateViewWindow(mainWindow, instance, L"RichEdit20W", kNoWrapViewStyle, client);
}

void FormatViews(const AppSettings& settings) {
  const CHARFORMAT2W format = ViewCharFormat(settings);
  const COLORREF background = format.crBackColor;
  for (HWND view : {g_noWrapView, g_wrapView}) richedit::SetBackgroundColor(view, background);
  for (HWND view : {g_noWrapView, g_wrapView}) richedit::SetCharFormatAll(view, format);
  for (HWND view : {g_noWrapView, g_wrapView}) richedit::SetTabStop(view, settings.tab4 == 1 ? 16 : 32);
  if (settings.numberLine == 1) {
    for (HWND view : {g_wrapView, g_noWrapView}) richedit::SetLeftMargin(view, kGutterWidth);
  }
  const bool wrap = settings.wordWrap == 1;
  ShowWindow(g_wrapView, wrap ? SW_SHOW : SW_HIDE);
  ShowWindow(g_noWrapView, wrap ? SW_HIDE : SW_SHOW);
}

void Repaint(HWND mainWindow) {
  InvalidateRect(mainWindow, nullptr, FALSE);
  UpdateWindow(mainWindow);
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW& create) {
  g_mainWindow = window;
  g_findDialogState.message = RegisterWindowMessageW(FINDMSGSTRINGW);
  DragAcceptFiles(window, TRUE);
  g_iniPath = BuildIniPath();

  const std::wstring path = CommandLineFile();
  RebuildFolderFileList(path);
  SetTitle(window, path);

  g_menu = GetMenu(window);
  LoadSettings(window, g_appSettings);

  RECT client{};
  GetClientRect(window, &client);
  CreateViews(window, create.hInstance, client);
  SubclassView(g_noWrapView);
  SubclassView(g_wrapView);
  FormatViews(g_appSettings);
  Repaint(window);

  LoadTextFile(window, g_noWrapView, g_wrapView, path, g_appSettings, g_menu);
  SetFocus(VisibleView());
  SendMessageW(window, WM_PAINT, 0, 0);
  return 0;
}

void OnDestroy() {
  DestroyMenu(g_menu);
  g_menu = nullptr;
  // The text copy is freed here directly: a WM_NCDESTROY sent by hand would make the controls
  // tear down their own state while their windows still exist.
  DiscardViewTextCopy();
  PostQuitMessage(0);
}

void OnSize(HWND window) {
  // The settings load resizes the window during creation, before the views exist.
  if (g_noWrapView == nullptr || g_wrapView == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  MoveWindow(g_noWrapView, 0, 0, client.right, client.bottom, TRUE);
  MoveWindow(g_wrapView, 0, 0, client.right, client.bottom, TRUE);
}

void OnActivate(WPARAM wParam) {
  // Focusing a view while the window loses activation would pull the activation back.
  if (LOWORD(wParam) == WA_INACTIVE) return;
  if (HWND view = VisibleView()) SetFocus(view);
}

void OnClose(HWND window) {
  SaveSettings(window, g_appSettings);
  DestroyWindow(window);
}

void OnGetMinMaxInfo(LPARAM lParam) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (info == nullptr) return;
  info->ptMinTrackSize = {320, 240};
  info->ptMaxTrackSize = {2048, 2048};
}

void OnOpen(HWND window) {
  static const wchar_t kFilter[] = L"テキストファイル\0*.txt;*.text;\0すべてのファイル(*.*)\0*.*\0";
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = window;
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOTESTFILECREATE;
  // A name that does not fit the buffer makes the dialog fail: nothing is loaded then.
  if (GetOpenFileNameW(&ofn)) LoadDocument(window, file);
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_OPEN:
      OnOpen(window);
      return 0;
    case IDM_COPY:
      CopySelection(window, g_appSettings);
      return 0;
    case IDM_PREV_FILE:
    case IDM_NEXT_FILE:
      StepFolderFile(LOWORD(wParam));
      return 0;
    default:
      break;
  }
  const HWND focus = GetFocus();
  if (focus == nullptr || (focus != g_noWrapView && focus != g_wrapView)) {
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
  }
  HandleViewCommand(window, g_noWrapView, g_wrapView, wParam, lParam, g_menu, g_appSettings,
                    g_folderFileList);
  return 0;
}

void OnDropFiles(HWND window, HDROP drop) {
  // Only the first item; a path too long for the buffers is refused rather than cut.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring path;
  if (length > 0 && length < MAX_PATH) {
    path.resize(length + 1);
    DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(length);
  }
  DragFinish(drop);
  if (path.empty() || PathIsDirectoryW(path.c_str())) return;
  LoadDocument(window, path);
}

void OnFindMessage(HWND window) {
  // The hidden view first, so the visible one ends with the focus.
  const std::wstring path = CurrentPath();
  if (g_appSettings.wordWrap == 1) {
    FindInView(window, g_noWrapView, path, false);
    FindInView(window, g_wrapView, path, true);
  } else {
    FindInView(window, g_wrapView, path, true);
    FindInView(window, g_noWrapView, path, false);
  }
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  // The visible view covers the whole client area; the frame paints nothing itself.
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszMenuName = L"Vam_MENU";
  wc.lpszClassName = L"Vam";
  return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  HMENU menu = LoadMenuW(instance, L"VAM_MENU");
  HWND window =
      CreateWindowExW(WS_EX_COMPOSITED, L"Vam", L"Vam", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, nullptr);
  if (window == nullptr && menu != nullptr) DestroyMenu(menu);
  return window;
}

void LoadDocument(HWND mainWindow, const std::wstring& chosen) {
  const std::wstring path = NormalizeDocumentPath(chosen);
  if (path.empty()) return;
  RebuildFolderFileList(path);
  SetWindowTextW(mainWindow, FolderTitle().c_str());
  LoadTextFile(mainWindow, g_noWrapView, g_wrapView, path, g_appSettings, g_menu);
  SendMessageW(mainWindow, WM_PAINT, 0, 0);
  Repaint(mainWindow);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SIZE:
      OnSize(window);
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(lParam);
      return 0;
    case WM_COMMAND:
      return OnCommand(window, wParam, lParam);
    case WM_DROPFILES:
      OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    default:
      break;
  }
  if (message != 0 && message == g_findDialogState.message) {
    OnFindMessage(window);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
