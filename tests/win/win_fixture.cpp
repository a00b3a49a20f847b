#include "win_fixture.h"

#include "app/heap_win.h"

#include <psapi.h>

#include <clocale>

#include "app/commands.h"
#include "app/main_window_win.h"
#include "app/program_state_win.h"
#include "document/folder_list_win.h"
#include "tools/find_win.h"
#include "view/view_proc_win.h"

int g_closeCount = 0;
int g_paintCount = 0;
std::vector<SeenBox> g_boxes;
int g_boxAnswer = IDOK;

namespace {

// As the main window makes its views.
constexpr DWORD kWrapViewStyle = 0x50200804;    // child, visible, vscroll, multiline, read-only
constexpr DWORD kNoWrapViewStyle = 0x50300884;  // the same with hscroll and auto-hscroll
constexpr wchar_t kFrameClass[] = L"VamTestFrame";

// Boxes already answered that have not gone yet.
std::vector<HWND> g_answeredBoxes;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++g_closeCount;
    return 0;
  }
  if (message == WM_PAINT && wParam == 0 && lParam == 0) ++g_paintCount;
  if (message != 0 && message == g_findDialogState.message)
    return MainWndProc(window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterFrameClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kFrameClass;
  RegisterClassExW(&wc);  // fails harmlessly from the second frame on
}

HWND CreateView(HWND frame, DWORD style) {
  RECT client{};
  GetClientRect(frame, &client);
  return CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", style, 0, 0, client.right, client.bottom,
                         frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(VIEW_CHILD_ID)),
                         GetModuleHandleW(nullptr), nullptr);
}

// A message box: a dialog with the text control, but, unlike the find dialog, no edit field.
bool IsMessageBox(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return wcscmp(className, L"#32770") == 0 && GetDlgItem(window, 0xFFFF) != nullptr &&
         FindWindowExW(window, nullptr, L"Edit", nullptr) == nullptr;
}

BOOL CALLBACK AnswerIfBox(HWND window, LPARAM) {
  if (!IsMessageBox(window)) return TRUE;
  for (HWND answered : g_answeredBoxes) {
    if (answered == window) return TRUE;
  }
  g_answeredBoxes.push_back(window);
  SeenBox box;
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  box.caption = buffer;
  GetDlgItemTextW(window, 0xFFFF, buffer, 256);
  box.text = buffer;
  box.owner = GetWindow(window, GW_OWNER);
  box.yesNoCancel = GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO) && GetDlgItem(window, IDCANCEL) &&
                    !GetDlgItem(window, IDOK);
  g_boxes.push_back(box);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(g_boxAnswer, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, g_boxAnswer)));
  return TRUE;
}

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerIfBox, 0);
}

}  // namespace

WinFixture::WinFixture() {
  UseLowFragmentationHeap();  // the heap the program runs with
  // A find dialog left open reads and writes the record that is about to be cleared.
  if (g_findDialogState.dialog != nullptr && IsWindow(g_findDialogState.dialog)) {
    DestroyWindow(g_findDialogState.dialog);
  }
  g_findDialogState = FindDialogState{};
  g_appSettings = AppSettings{};
  g_iniPath.clear();
  g_mainWindow = g_wrapView = g_noWrapView = nullptr;
  g_menu = nullptr;
  g_folderFileList = FolderFileList{};
  DiscardViewTextCopy();
  std::setlocale(LC_ALL, "C");  // a Shift_JIS load switches to the user's locale
  BYTE keys[256] = {};
  SetKeyboardState(keys);
  // Posted commands, closes or a quit request of the last test would reach this one's windows
  // or end its modal loops.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
  g_closeCount = 0;
  g_paintCount = 0;
  g_boxes.clear();
  g_answeredBoxes.clear();
  g_boxAnswer = IDOK;
}

TestFrame::TestFrame(const FrameOptions& options) {
  library_ = LoadLibraryW(L"Riched20.dll");
  RegisterFrameClass();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (options.menu) menu_ = LoadMenuW(instance, L"VAM_MENU");
  window_ = CreateWindowExW(0, kFrameClass, L"Vam", WS_OVERLAPPEDWINDOW, 0, 0, options.width, options.height,
                            nullptr, menu_, instance, nullptr);
  if (window_ == nullptr) {
    if (menu_ != nullptr) DestroyMenu(menu_);
    menu_ = nullptr;
    return;
  }
  wrapView_ = CreateView(window_, kWrapViewStyle);
  noWrapView_ = CreateView(window_, kNoWrapViewStyle);
  const bool wrap = g_appSettings.wordWrap == 1;
  ShowWindow(wrapView_, wrap ? SW_SHOW : SW_HIDE);
  ShowWindow(noWrapView_, wrap ? SW_HIDE : SW_SHOW);
  g_mainWindow = window_;
  g_wrapView = wrapView_;
  g_noWrapView = noWrapView_;
  g_menu = menu_;
  if (options.show) ShowWindow(window_, SW_SHOW);
}

TestFrame::~TestFrame() {
  if (window_ != nullptr) DestroyWindow(window_);  // its menu and its views with it
  if (g_mainWindow == window_) g_mainWindow = nullptr;
  if (g_wrapView == wrapView_) g_wrapView = nullptr;
  if (g_noWrapView == noWrapView_) g_noWrapView = nullptr;
  if (g_menu == menu_) g_menu = nullptr;
  DiscardViewTextCopy();
  if (library_ != nullptr) FreeLibrary(library_);
}

BoxAnswerer::BoxAnswerer() : timer_(SetTimer(nullptr, 0, 20, AnswerBoxes)) {}

BoxAnswerer::~BoxAnswerer() {
  KillTimer(nullptr, timer_);
}

int GdiObjectCount() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count != 0) return static_cast<int>(count);
  int live = 0;
  for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
    live += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
  return live;
}

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// This process's windows with all their descendants, the message-only ones too.
int WindowCount() {
  struct Search {
    DWORD self = GetCurrentProcessId();
    std::vector<HWND> tops;
  } search;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->self) s->tops.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.self) search.tops.push_back(window);
  }
  int count = static_cast<int>(search.tops.size());
  for (HWND top : search.tops) EnumChildWindows(top, CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

int UserObjectCount() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (count != 0) return static_cast<int>(count);
  // Wine numbers its USER handles 0x20, 0x22, ... 0xFFEE in one table for every kind; asking about
  // a handle of another kind or process costs no trip to the server, except for windows.
  using CursorFrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
  const auto cursorFrameInfo = reinterpret_cast<CursorFrameInfo>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
  int live = WindowCount();
  for (ULONG_PTR slot = 0x20; slot < 0xFFF0; slot += 2) {
    const auto handle = reinterpret_cast<HANDLE>(slot);
    DWORD rate = 0, steps = 0;
    live +=
        IsMenu(static_cast<HMENU>(handle)) ||
        CopyAcceleratorTableW(static_cast<HACCEL>(handle), nullptr, 0) > 0 ||
        (cursorFrameInfo != nullptr && cursorFrameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps));
  }
  return live;
}

int KernelHandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return static_cast<int>(count);
  // Wine hands out the lowest free value; a process of this size holds a few dozen.
  int live = 0;
  DWORD flags = 0;
  for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
    live += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
  }
  return live;
}

SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof(memory))) {
    return 0;
  }
  return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
}
