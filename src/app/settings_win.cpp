#include "app/settings_win.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/menu_win.h"
#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "tools/editor_template.h"

namespace {

constexpr wchar_t kSection[] = L"SystemSetting";
constexpr DWORD kStringBuffer = MAX_PATH;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// An empty path would make the profile functions use a file in the Windows folder.
int ReadInt(const wchar_t* key, int fallback) {
  if (g_iniPath.empty()) return fallback;
  return static_cast<int>(GetPrivateProfileIntW(kSection, key, fallback, g_iniPath.c_str()));
}

std::wstring ReadString(const wchar_t* key, const wchar_t* fallback, DWORD bufferSize = kStringBuffer) {
  if (g_iniPath.empty()) return fallback;
  std::vector<wchar_t> buffer(bufferSize, L'\0');
  GetPrivateProfileStringW(kSection, key, fallback, buffer.data(), bufferSize, g_iniPath.c_str());
  buffer.back() = L'\0';
  return buffer.data();
}

// The editor command as the user wrote it, quotes included. One longer than any command line the
// system takes is refused whole: cut, it could end inside a quoted argument and start something
// else.
std::u16string ReadEditor() {
  if (g_iniPath.empty()) return {};
  std::vector<wchar_t> buffer(32 * 1024);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD n = GetPrivateProfileSectionW(kSection, buffer.data(), size, g_iniPath.c_str());
    if (n + 2 < size || buffer.size() >= (1u << 24)) {
      const std::u16string_view section(U(buffer.data()), std::min<size_t>(n + 1, buffer.size()));
      const std::optional<std::u16string_view> value = FindRawValue(section, u"editor");
      if (!value || value->size() > kMaxEditorCommandLength) return {};
      return std::u16string(*value);
    }
    buffer.resize(buffer.size() * 2);  // the section did not fit
  }
}

void Write(const wchar_t* key, std::wstring_view value) {
  const std::wstring text(value);
  WritePrivateProfileStringW(kSection, key, text.c_str(), g_iniPath.c_str());
}

void WriteNumber(const wchar_t* key, int value) {
  Write(key, W(SettingNumberText(value)));
}

int ReadFlag(const wchar_t* key, const wchar_t* fallback, UINT command) {
  const int flag = FlagFromWord(U(ReadString(key, fallback)));
  SetMenuCheck(g_menu, command, flag == 1);
  return flag;
}

UINT EncodingCommand(int encoding) {
  switch (encoding) {
    case 1:
      return IDM_CODE_SHIFTJIS;
    case 2:
      return IDM_CODE_UTF8;
    case 4:
      return IDM_CODE_UTF16LE;
    default:
      return IDM_CODE_AUTO;
  }
}

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back({r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

// A hand-edited or stale rectangle (a monitor since unplugged) must not open the window out of
// sight. Checked on the window's real rectangle, after the system has applied its size limits.
void KeepOnScreen(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  std::vector<ScreenRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&monitors));
  const ScreenRect placed = PlaceOnMonitors({r.left, r.top, r.right, r.bottom}, monitors);
  if (placed.left != r.left || placed.top != r.top) {
    SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  }
}

void PlaceWindow(HWND window) {
  const int x = ReadInt(L"x", 0);
  const int y = ReadInt(L"y", 0);
  const int height = ReadInt(L"height", 0);
  const int width = ReadInt(L"width", 0);
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
  KeepOnScreen(window);
}

// The restored rectangle in screen coordinates. GetWindowPlacement gives it in workspace
// coordinates (relative to the work area), which differ when a taskbar sits at the top or left;
// SetWindowPos at the next start takes screen coordinates, so the window would creep otherwise.
std::optional<RECT> RestoredRect(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(window, &placement)) return std::nullopt;
  RECT r = placement.rcNormalPosition;
  if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
      OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
    }
  }
  return r;
}

// A file made by WritePrivateProfileStringW is ANSI and loses every face name outside the code
// page; one that starts with the UTF-16LE byte-order mark is kept in Unicode.
void CreateUnicodeFileIfMissing() {
  FileHandle file(
      CreateFileW(g_iniPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return;  // exists already, or cannot be made: the writes below decide
  static const unsigned char kBom[] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file.get(), kBom, sizeof(kBom), &written, nullptr);
}

}  // namespace

void LoadSettings(HWND mainWindow, AppSettings& settings) {
  settings.fontSize = FontSizeInBounds(ReadInt(L"fontSize", kDefaultFontSize));
  SetFontName(settings, U(ReadString(L"fontName", W(kDefaultFontName))));
  PlaceWindow(mainWindow);
  settings.editor = ReadEditor();
  settings.tab4 = ReadFlag(L"tab4", L"OFF", IDM_TAB4);
  DrawMenuBar(mainWindow);
  settings.blackBack = ReadFlag(L"blackBack", L"OFF", IDM_BLACK_BACK);
  settings.wordWrap = ReadFlag(L"wordWrap", L"OFF", IDM_WORD_WRAP);
  settings.encoding = EncodingFromWord(U(ReadString(L"encoding", L"AUTO")));
  SetMenuCheck(g_menu, EncodingCommand(settings.encoding), true);
  settings.numberLine = ReadFlag(L"numberLine", L"ON", IDM_NUMBER_LINE);
}

void SaveSettings(HWND mainWindow, AppSettings settings) {
  if (g_iniPath.empty()) return;
  CreateUnicodeFileIfMissing();
  WriteNumber(L"fontSize", settings.fontSize);
  Write(L"fontName", W(FaceName(settings)));
  // Without a window the previous rectangle stays in the file.
  if (const std::optional<RECT> r = RestoredRect(mainWindow)) {
    WriteNumber(L"x", r->left);
    WriteNumber(L"y", r->top);
    WriteNumber(L"width", r->right - r->left);
    WriteNumber(L"height", r->bottom - r->top);
  }
  Write(L"tab4", W(WordFromFlag(settings.tab4)));
  Write(L"blackBack", W(WordFromFlag(settings.blackBack)));
  Write(L"wordWrap", W(WordFromFlag(settings.wordWrap)));
  Write(L"encoding", W(WordFromEncoding(settings.encoding)));
  Write(L"numberLine", W(WordFromFlag(settings.numberLine)));
}
