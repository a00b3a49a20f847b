// The end-to-end harness: processes, files, settings files, keys, windows and the clipboard.
#include "e2e_harness.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <utility>

namespace e2e {
namespace {

struct UniqueHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit UniqueHandle(HANDLE handle) : h(handle) {}
  ~UniqueHandle() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  bool Ok() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

struct FindHandle {
  HANDLE h;
  explicit FindHandle(HANDLE handle) : h(handle) {}
  ~FindHandle() {
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
};

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() {
    if (dc != nullptr) ReleaseDC(nullptr, dc);
  }
  ScreenDc() = default;
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
};

// The clipboard, open for as long as this object lives. Another process may hold it for a
// moment (the program copying), so opening is retried.
struct OpenClipboardScope {
  bool open = false;
  explicit OpenClipboardScope(HWND owner) {
    open = WaitUntil([&] { return OpenClipboard(owner) != FALSE; }, 2000);
  }
  ~OpenClipboardScope() {
    if (open) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
};

struct GlobalLockScope {
  HGLOBAL memory;
  void* data;
  explicit GlobalLockScope(HGLOBAL m) : memory(m), data(m != nullptr ? GlobalLock(m) : nullptr) {}
  ~GlobalLockScope() {
    if (data != nullptr) GlobalUnlock(memory);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
};

// A window of our own to own the clipboard: with no owner, SetClipboardData is refused.
HWND ClipboardOwner() {
  static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  return owner;
}

std::wstring Trim(std::wstring_view s) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::wstring(s);
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// Quoted so that CommandLineToArgvW gives the argument back unchanged.
std::wstring QuoteArgument(std::wstring_view arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
  if (argv == nullptr) return args;
  for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

bool IsExtendedKey(WORD vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_NUMLOCK:
    case VK_RCONTROL:
    case VK_RMENU:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

bool IsViewClass(std::wstring_view name) {
  return EqualNoCase(name, L"RichEdit20W") || EqualNoCase(name, L"RichEditD2D") ||
         EqualNoCase(name, L"RICHEDIT50W") || EqualNoCase(name, L"Edit");
}

std::wstring MessageText(HWND window, UINT lengthMessage, UINT textMessage) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, lengthMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  // The length a control reports may count line ends differently from the text it gives.
  std::vector<wchar_t> buffer(length + 64);
  for (;;) {
    DWORD_PTR copied = 0;
    buffer[0] = 0;
    if (!SendMessageTimeoutW(window, textMessage, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
      return {};
    }
    if (copied + 1 < buffer.size())
      return std::wstring(buffer.data(), std::min<size_t>(copied, buffer.size() - 1));
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

namespace {
// Waits while answering messages sent to this thread: a program that empties the clipboard
// which this driver owns sends it WM_DESTROYCLIPBOARD and waits for the answer.
void PumpFor(DWORD ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
}  // namespace

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (ready()) return true;
    if (GetTickCount64() >= end) return false;
    PumpFor(10);
  }
}

// ---- Where things are

std::wstring HarnessExePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring BuildDir() {
  std::wstring path = HarnessExePath();
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring VamExePath() {
  return JoinPath(BuildDir(), L"Vam64.exe");
}

std::wstring SourceDir() {
#ifdef VAM_SOURCE_DIR
  std::wstring path = L"Z:" + FromUtf8(VAM_SOURCE_DIR);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
#else
  return {};
#endif
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += name;
  return path;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- Text and files

std::string Utf8(std::wstring_view text) {
  return CodePageBytes(text, CP_UTF8);
}

std::wstring FromUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string Utf16LeBytes(std::wstring_view text, bool withBom) {
  std::string out = withBom ? std::string("\xFF\xFE", 2) : std::string();
  for (wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

std::string Utf16BeBytes(std::wstring_view text, bool withBom) {
  std::string out = withBom ? std::string("\xFE\xFF", 2) : std::string();
  for (wchar_t c : text) {
    out += static_cast<char>((c >> 8) & 0xFF);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

std::string CodePageBytes(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Ok()) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Ok()) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.h, &size)) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))) {
    return std::nullopt;
  }
  bytes.resize(read);
  return bytes;
}

std::wstring DecodeTextFile(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::wstring out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      out += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return out;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return FromUtf8(bytes.substr(3));
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring base = n > 0 && n <= MAX_PATH ? std::wstring(temp, n) : std::wstring(L"C:\\");
  for (;;) {
    const std::wstring candidate =
        JoinPath(base, L"vam-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(++counter) + L"-" + std::to_wstring(GetTickCount64() % 100000));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

std::wstring TempFolder::Put(std::wstring_view name, std::string_view bytes) const {
  std::wstring path = File(name);
  WriteFileBytes(path, bytes);
  return path;
}

std::wstring TempFolder::PutFolder(std::wstring_view name) const {
  std::wstring path = File(name);
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

void RemoveTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW data{};
    FindHandle find(FindFirstFileW(JoinPath(path, L"*").c_str(), &data));
    if (find.h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..") RemoveTree(JoinPath(path, name));
      } while (FindNextFileW(find.h, &data));
    }
    // A program that has just ended may hold its folder for a moment.
    WaitUntil([&] { return RemoveDirectoryW(path.c_str()) != FALSE || !FileExists(path); }, 2000);
  } else {
    WaitUntil([&] { return DeleteFileW(path.c_str()) != FALSE || !FileExists(path); }, 2000);
  }
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data{};
  FindHandle find(FindFirstFileW(JoinPath(folder, L"*").c_str(), &data));
  if (find.h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = data.cFileName;
    if (name != L"." && name != L"..") names.emplace_back(name);
  } while (FindNextFileW(find.h, &data));
  std::sort(names.begin(), names.end());
  return names;
}

// ---- Settings files

std::wstring IniText(std::initializer_list<IniEntry> entries, std::wstring_view section) {
  std::wstring text = L"[" + std::wstring(section) + L"]\r\n";
  for (const IniEntry& e : entries) text += e.key + L"=" + e.value + L"\r\n";
  return text;
}

bool WriteUtf16Ini(const std::wstring& path, std::wstring_view text) {
  return WriteFileBytes(path, Utf16LeBytes(text, true));
}

std::vector<IniEntry> ReadIniSection(const std::wstring& path, std::wstring_view section) {
  std::vector<IniEntry> entries;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return entries;
  const std::wstring text = DecodeTextFile(*bytes);
  bool inSection = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = Trim(std::wstring_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == L';') continue;
    if (line.front() == L'[') {
      const size_t close = line.find(L']');
      inSection = close != std::wstring::npos && EqualNoCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) {
      entries.push_back({line, L""});
    } else {
      entries.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
    }
  }
  return entries;
}

void PrintTo(const IniEntry& entry, std::ostream* out) {
  *out << Utf8(entry.key) << '=' << Utf8(entry.value);
}

std::vector<std::wstring> IniKeys(const std::vector<IniEntry>& entries) {
  std::vector<std::wstring> keys;
  for (const IniEntry& e : entries) keys.push_back(e.key);
  return keys;
}

std::optional<std::wstring> IniValue(const std::vector<IniEntry>& entries, std::wstring_view key) {
  for (const IniEntry& e : entries) {
    if (EqualNoCase(e.key, key)) return e.value;
  }
  return std::nullopt;
}

// ---- Keys

void SendChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) inputs.push_back(KeyInput(vk, false));
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) inputs.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void SendText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (bool up : {false, true}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// ---- Windows

std::wstring WindowText(HWND window) {
  if (window == nullptr) return {};
  return MessageText(window, WM_GETTEXTLENGTH, WM_GETTEXT);
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className) {
  struct Search {
    std::wstring_view className;
    std::vector<HWND> found;
  } search{className, {}};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (s->className.empty() || EqualNoCase(ClassNameOf(child), s->className)) s->found.push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool BringToFront(HWND window) {
  if (window == nullptr) return false;
  if (GetForegroundWindow() == window) return true;
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, 3000);
}

COLORREF ClientPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  ScreenDc screen;
  return screen.dc != nullptr ? GetPixel(screen.dc, p.x, p.y) : CLR_INVALID;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0;
  return thread != 0 && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

HWND OwnerOf(HWND window) {
  return window != nullptr ? GetWindow(window, GW_OWNER) : nullptr;
}

// ---- Clipboard

std::optional<std::wstring> ClipboardText() {
  OpenClipboardScope clipboard(nullptr);
  if (!clipboard.open) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::nullopt;
  GlobalLockScope lock(data);
  if (lock.data == nullptr) return std::nullopt;
  const size_t units = GlobalSize(data) / sizeof(wchar_t);
  const auto* text = static_cast<const wchar_t*>(lock.data);
  return std::wstring(text, std::find(text, text + units, L'\0'));
}

bool SetClipboardText(std::wstring_view text) {
  OpenClipboardScope clipboard(ClipboardOwner());
  if (!clipboard.open || !EmptyClipboard()) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (memory == nullptr) return false;
  {
    GlobalLockScope lock(memory);
    if (lock.data == nullptr) {
      GlobalFree(memory);
      return false;
    }
    auto* out = static_cast<wchar_t*>(lock.data);
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = L'\0';
  }
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
    GlobalFree(memory);
    return false;
  }
  return true;  // the clipboard owns the memory now
}

bool EmptyClipboardNow() {
  OpenClipboardScope clipboard(ClipboardOwner());
  return clipboard.open && EmptyClipboard();
}

ClipboardLock::ClipboardLock() : mutex_(CreateMutexW(nullptr, FALSE, L"vam-e2e-clipboard")) {
  if (mutex_ == nullptr) return;
  // Abandoned: a test ended while holding it; the clipboard is free all the same.
  const DWORD got = WaitForSingleObject(mutex_, 120000);
  held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
}

ClipboardLock::~ClipboardLock() {
  if (held_) ReleaseMutex(mutex_);
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

DWORD ClipboardSequence() {
  return GetClipboardSequenceNumber();
}

std::optional<std::wstring> WaitClipboardChange(DWORD since, DWORD timeoutMs) {
  if (!WaitUntil([&] { return GetClipboardSequenceNumber() != since; }, timeoutMs)) return std::nullopt;
  // The count moves when the copier empties the clipboard, while it still holds it open;
  // ClipboardText waits until it is closed.
  return ClipboardText();
}

// ---- Program

Program::~Program() {
  Terminate();
}

Program::Program(Program&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      processId_(std::exchange(other.processId_, 0)),
      window_(std::exchange(other.window_, nullptr)) {}

Program& Program::operator=(Program&& other) noexcept {
  if (this != &other) {
    Terminate();
    process_ = std::exchange(other.process_, nullptr);
    processId_ = std::exchange(other.processId_, 0);
    window_ = std::exchange(other.window_, nullptr);
  }
  return *this;
}

Program Program::Start(const std::wstring& exe, const std::vector<std::wstring>& args,
                       const std::wstring& workDir) {
  Program program;
  std::wstring commandLine = QuoteArgument(exe);
  for (const std::wstring& arg : args) commandLine += L" " + QuoteArgument(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    program.process_ = info.hProcess;
    program.processId_ = info.dwProcessId;
  }
  return program;
}

bool Program::WaitReady(std::wstring_view windowClass, DWORD timeoutMs) {
  if (process_ == nullptr) return false;
  const ULONGLONG start = GetTickCount64();
  const bool shown = WaitUntil(
      [&] {
        for (HWND w : TopWindows(windowClass)) {
          window_ = w;
          return true;
        }
        return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;  // ended: stop waiting
      },
      timeoutMs);
  if (!shown || window_ == nullptr) return false;
  // The window is shown before the message loop runs; keys sent earlier would be lost.
  const ULONGLONG spent = GetTickCount64() - start;
  const DWORD left = spent < timeoutMs ? static_cast<DWORD>(timeoutMs - spent) : 0;
  if (WaitForInputIdle(process_, left) != 0) return false;
  DWORD_PTR unused = 0;
  return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, left + 1, &unused) != 0;
}

bool Program::WaitTitle(std::wstring_view title, DWORD timeoutMs) const {
  return WaitUntil([&] { return Title() == title; }, timeoutMs);
}

RECT Program::WindowRect() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return r;
}

std::vector<HWND> Program::TopWindows(std::wstring_view className) const {
  struct Search {
    DWORD processId;
    std::wstring_view className;
    std::vector<HWND> found;
  } search{processId_, className, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == s->processId && IsWindowVisible(w) &&
            (s->className.empty() || EqualNoCase(ClassNameOf(w), s->className))) {
          s->found.push_back(w);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Program::WaitTopWindow(std::wstring_view className, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopWindows(className)) {
          if (w != window_) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::vector<HWND> Program::Views() const {
  std::vector<HWND> views;
  for (HWND child : ChildWindows(window_)) {
    if (IsViewClass(ClassNameOf(child))) views.push_back(child);
  }
  return views;
}

HWND Program::VisibleView() const {
  for (HWND view : Views()) {
    if (IsWindowVisible(view)) return view;
  }
  return nullptr;
}

// Told apart by ES_AUTOHSCROLL: the control itself drops WS_HSCROLL while no scroll bar is needed.
HWND Program::WrapView() const {
  for (HWND view : Views()) {
    if ((GetWindowLongW(view, GWL_STYLE) & ES_AUTOHSCROLL) == 0) return view;
  }
  return nullptr;
}

HWND Program::NoWrapView() const {
  for (HWND view : Views()) {
    if ((GetWindowLongW(view, GWL_STYLE) & ES_AUTOHSCROLL) != 0) return view;
  }
  return nullptr;
}

std::wstring Program::ViewText(HWND view) const {
  if (view == nullptr) view = VisibleView();
  return view == nullptr ? std::wstring() : WindowText(view);
}

bool Program::WaitViewText(std::wstring_view text, DWORD timeoutMs) const {
  return WaitUntil([&] { return ViewText() == text; }, timeoutMs);
}

std::pair<DWORD, DWORD> Program::Selection() const {
  DWORD start = 0, end = 0;
  const LRESULT packed = SendMessageW(VisibleView(), EM_GETSEL, 0, 0);
  start = LOWORD(packed);
  end = HIWORD(packed);
  return {start, end};
}

void Program::Select(int start, int end) const {
  SendMessageW(VisibleView(), EM_SETSEL, start, end);
}

bool Program::Activate() const {
  return BringToFront(window_);
}

void Program::Keys(std::initializer_list<WORD> keys) const {
  Activate();
  SendChord(keys);
}

void Program::Type(std::wstring_view text) const {
  Activate();
  SendText(text);
}

bool Program::WaitIdle(DWORD timeoutMs) const {
  return process_ != nullptr && WaitForInputIdle(process_, timeoutMs) == 0;
}

void Program::Command(WORD id) const {
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::optional<DWORD> Program::WaitExit(DWORD timeoutMs) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void Program::Terminate() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  processId_ = 0;
  window_ = nullptr;
}

// ---- VamCopy

VamCopy::VamCopy() {
  exe_ = folder_.File(L"Vam64.exe");
  ini_ = folder_.File(L"Vam64.ini");
  ok_ = !folder_.Path().empty() && CopyFileW(VamExePath().c_str(), exe_.c_str(), FALSE) != FALSE;
}

Program VamCopy::Start(const std::vector<std::wstring>& args, const std::wstring& workDir,
                       bool waitReady) const {
  Program program = Program::Start(exe_, args, workDir);
  if (waitReady) program.WaitReady(L"Vam");
  return program;
}

// ---- Editor probe

EditorProbe::EditorProbe(const TempFolder& folder) : exe_(folder.File(L"editor_probe.exe")) {
  ok_ = CopyFileW(JoinPath(BuildDir(), L"editor_probe.exe").c_str(), exe_.c_str(), FALSE) != FALSE;
}

std::optional<std::wstring> EditorProbe::WaitCommandLine(DWORD timeoutMs) const {
  // The probe writes UTF-16LE without a byte-order mark; read until two looks agree, so a file
  // caught half-written is not taken.
  std::optional<std::string> last;
  const bool written = WaitUntil(
      [&] {
        std::optional<std::string> bytes = ReadFileBytes(exe_ + L".cmdline");
        const bool settled = bytes && !bytes->empty() && bytes == last;
        last = std::move(bytes);
        return settled;
      },
      timeoutMs);
  if (!written) return std::nullopt;
  std::wstring line;
  for (size_t i = 0; i + 1 < last->size(); i += 2) {
    line += static_cast<wchar_t>(static_cast<unsigned char>((*last)[i]) |
                                 (static_cast<unsigned char>((*last)[i + 1]) << 8));
  }
  return line;
}

std::optional<std::vector<std::wstring>> EditorProbe::WaitArguments(DWORD timeoutMs) const {
  const std::optional<std::wstring> line = WaitCommandLine(timeoutMs);
  if (!line) return std::nullopt;
  std::vector<std::wstring> args = SplitCommandLine(*line);
  if (!args.empty()) args.erase(args.begin());
  return args;
}

}  // namespace e2e
