// Timed runs of what a user waits for, against baselines measured in the same run:
//   start-up: Vam64.exe started on a small file until its text is in the view, against Wine's
//             notepad.exe started on the same file until the text is in its edit control;
//   step:     Ctrl+Right onto a small file until its text is shown, against one bare
//             SetWindowTextW of the same text into a RichEdit20W control.
// Keys need a desktop with focus: run it inside a Wine virtual desktop, e.g.
//   xvfb-run -a scripts/wine-desktop-run.sh build/win64/startup_wine.exe
// (that script passes VAM_E2E_LOG and VAM_E2E_EXIT; the figures go to the log, then the console).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kStartRuns = 5;
constexpr int kStepRuns = 20;
constexpr int kSetRuns = 200;
constexpr DWORD kTimeoutMs = 15000;
// The program's step commands (the ids its accelerators send).
constexpr WPARAM kPrevFile = 32771;
constexpr WPARAM kNextFile = 32772;

struct Handle {
  HANDLE h = nullptr;
  Handle() = default;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(Handle&& o) noexcept : h(std::exchange(o.h, nullptr)) {}
  Handle& operator=(Handle&& o) noexcept {
    std::swap(h, o.h);
    return *this;
  }
};

struct Library {
  HMODULE h;
  explicit Library(const wchar_t* name) : h(LoadLibraryW(name)) {}
  ~Library() {
    if (h != nullptr) FreeLibrary(h);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
};

struct Window {
  HWND h;
  explicit Window(HWND w) : h(w) {}
  ~Window() {
    if (h != nullptr) DestroyWindow(h);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
};

double NowMs() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  return folder + L"\\" + name;
}

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path, n < MAX_PATH ? n : 0);
  return s.substr(0, s.find_last_of(L'\\'));
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  Handle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.h != INVALID_HANDLE_VALUE &&
         WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// The same text as a file (ASCII, CR LF) and as it should read back, line ends left out, since
// the two controls report paragraph ends differently.
struct SmallText {
  std::string file;
  std::wstring shown;
  std::wstring set;  // what SetWindowTextW gets
};

SmallText MakeText(const char* tag) {
  SmallText t;
  for (int i = 1; i <= 40; ++i) {
    const std::string line = std::string(tag) + " line " + std::to_string(i) + ": the quick brown fox jumps";
    t.file += line + "\r\n";
    t.shown += std::wstring(line.begin(), line.end());
    t.set += std::wstring(line.begin(), line.end()) + L"\r\n";
  }
  return t;
}

std::wstring WithoutLineEnds(std::wstring s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }), s.end());
  return s;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
  std::vector<wchar_t> buffer(length + 64);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return {};
  }
  return std::wstring(buffer.data(), std::min<size_t>(copied, buffer.size() - 1));
}

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return name;
}

HWND TopWindowOf(DWORD pid, const wchar_t* className) {
  struct Search {
    DWORD pid;
    const wchar_t* className;
    HWND found;
  } s{pid, className, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == s->pid && IsWindowVisible(w) && ClassOf(w) == s->className) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND VisibleChildOf(HWND parent, const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } s{className, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (IsWindowVisible(w) && ClassOf(w) == s->className) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

struct Started {
  Handle process;
  DWORD pid = 0;
  HWND window = nullptr;
  HWND view = nullptr;
  double ms = -1;  // start to text shown; negative when it never showed
};

// Starts exe on file and polls, without sleeping, until the view of viewClass shows the text.
Started StartUntilShown(const std::wstring& exe, const std::wstring& file, const wchar_t* frameClass,
                        const wchar_t* viewClass, const std::wstring& shown) {
  Started s;
  std::wstring commandLine = L"\"" + exe + L"\" \"" + file + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const double t0 = NowMs();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return s;
  }
  CloseHandle(info.hThread);
  s.process = Handle(info.hProcess);
  s.pid = info.dwProcessId;
  while (NowMs() - t0 < kTimeoutMs && WaitForSingleObject(s.process.h, 0) == WAIT_TIMEOUT) {
    if (s.window == nullptr) s.window = TopWindowOf(s.pid, frameClass);
    if (s.window != nullptr) s.view = VisibleChildOf(s.window, viewClass);
    if (s.view != nullptr && WithoutLineEnds(TextOf(s.view)) == shown) {
      s.ms = NowMs() - t0;
      break;
    }
    Sleep(0);
  }
  return s;
}

void Close(Started& s) {
  if (s.process.h == nullptr) return;
  if (s.window != nullptr) PostMessageW(s.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(s.process.h, 5000) != WAIT_OBJECT_0) TerminateProcess(s.process.h, 1);
}

void SendChord(WORD modifier, WORD key) {
  INPUT in[4] = {};
  const WORD keys[4] = {modifier, key, key, modifier};
  for (int i = 0; i < 4; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = keys[i];
    in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(keys[i], MAPVK_VK_TO_VSC));
    in[i].ki.dwFlags = (i >= 2 ? KEYEVENTF_KEYUP : 0) | (keys[i] == key ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  SendInput(4, in, sizeof(INPUT));
}

// Until the visible view shows the text, after send() has asked for it.
template <typename Send>
double UntilShown(const Started& vam, Send send, const std::wstring& shown) {
  const double t0 = NowMs();
  send();
  while (NowMs() - t0 < kTimeoutMs) {
    HWND view = VisibleChildOf(vam.window, L"RichEdit20W");
    if (view != nullptr && WithoutLineEnds(TextOf(view)) == shown) return NowMs() - t0;
    Sleep(0);
  }
  return -1;
}

// How long a key takes to reach another program and show: one character typed into notepad.
double TypedIntoNotepad(const std::wstring& notepad, const std::wstring& file, const std::wstring& shown) {
  Started pad = StartUntilShown(notepad, file, L"Notepad", L"Edit", shown);
  if (pad.ms < 0) return -1;
  WaitForInputIdle(pad.process.h, 5000);
  SetForegroundWindow(pad.window);
  for (int i = 0; i < 100 && GetForegroundWindow() != pad.window; ++i) Sleep(10);
  std::vector<double> times;
  std::wstring expected = shown;
  for (int i = 0; i < kStepRuns; ++i) {
    INPUT in[2] = {};
    for (int k = 0; k < 2; ++k) {
      in[k].type = INPUT_KEYBOARD;
      in[k].ki.wScan = L'x';
      in[k].ki.dwFlags = KEYEVENTF_UNICODE | (k == 1 ? KEYEVENTF_KEYUP : 0);
    }
    expected.insert(expected.begin() + i, L'x');  // typed at the caret, which starts at the top
    const double t0 = NowMs();
    SendInput(2, in, sizeof(INPUT));
    while (NowMs() - t0 < kTimeoutMs && WithoutLineEnds(TextOf(pad.view)) != expected) Sleep(0);
    times.push_back(NowMs() - t0);
  }
  // Typed into: closing would ask whether to save.
  TerminateProcess(pad.process.h, 0);
  WaitForSingleObject(pad.process.h, 5000);
  return Median(times);
}

// One RichEdit20W in a window of this process, styled as the program's unwrapped view and as
// large as its window. With paint, the frame is composited as the program's is, and each set is
// followed by a synchronous paint of the frame.
double BareSetWindowText(const SmallText& a, const SmallText& b, SIZE size, bool paint) {
  Library riched(L"Riched20.dll");
  Window frame(CreateWindowExW(paint ? WS_EX_COMPOSITED : 0, L"STATIC", L"bench",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, size.cx, size.cy, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr));
  RECT client{};
  GetClientRect(frame.h, &client);
  Window edit(CreateWindowExW(
      WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL, 0, 0,
      client.right, client.bottom, frame.h, nullptr, GetModuleHandleW(nullptr), nullptr));
  if (edit.h == nullptr) return -1;
  std::vector<double> times;
  for (int i = 0; i < kSetRuns; ++i) {
    const std::wstring& text = (i % 2 == 0 ? b : a).set;
    const double t0 = NowMs();
    SetWindowTextW(edit.h, text.c_str());
    if (paint) {
      InvalidateRect(frame.h, nullptr, FALSE);
      UpdateWindow(frame.h);
    }
    times.push_back(NowMs() - t0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return Median(times);
}

struct TempFolder {
  std::wstring path;
  std::vector<std::wstring> files;
  TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path = std::wstring(temp) + L"vam-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::wstring& f : files) DeleteFileW(f.c_str());
    RemoveDirectoryW(path.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::wstring Add(const std::wstring& name) {
    files.push_back(Join(path, name));
    return files.back();
  }
};

void RedirectOutput() {
  if (const wchar_t* log = _wgetenv(L"VAM_E2E_LOG"); log != nullptr && *log != L'\0') {
    if (_wfreopen(log, L"a", stdout) != nullptr) setvbuf(stdout, nullptr, _IONBF, 0);
    if (_wfreopen(log, L"a", stderr) != nullptr) setvbuf(stderr, nullptr, _IONBF, 0);
  }
}

void WriteExitCode(int code) {
  if (const wchar_t* path = _wgetenv(L"VAM_E2E_EXIT"); path != nullptr && *path != L'\0') {
    const std::unique_ptr<FILE, int (*)(FILE*)> f(_wfopen(path, L"w"), &std::fclose);
    if (f) std::fprintf(f.get(), "%d", code);
  }
}

int Run() {
  TempFolder folder;
  // A copy of its own, so its settings file is written there and not beside the build.
  const std::wstring vamExe = folder.Add(L"Vam64.exe");
  folder.Add(L"Vam64.ini");
  if (!CopyFileW(Join(ModuleFolder(), L"Vam64.exe").c_str(), vamExe.c_str(), FALSE)) {
    std::printf("startup_wine: Vam64.exe not found beside this program\n");
    return 1;
  }
  const SmallText a = MakeText("alpha"), b = MakeText("bravo");
  const std::wstring fileA = folder.Add(L"a.txt"), fileB = folder.Add(L"b.txt");
  if (!WriteBytes(fileA, a.file) || !WriteBytes(fileB, b.file)) return 1;
  const std::wstring notepad = L"C:\\windows\\system32\\notepad.exe";

  // Start-up, alternating the two programs; the first round warms the caches and is not counted.
  std::vector<double> vamStart, notepadStart;
  for (int i = 0; i <= kStartRuns; ++i) {
    Started vam = StartUntilShown(vamExe, fileA, L"Vam", L"RichEdit20W", a.shown);
    Close(vam);
    Started pad = StartUntilShown(notepad, fileA, L"Notepad", L"Edit", a.shown);
    Close(pad);
    if (vam.ms < 0 || pad.ms < 0) {
      std::printf("startup_wine: %s never showed the text\n", vam.ms < 0 ? "Vam64.exe" : "notepad.exe");
      return 1;
    }
    if (i > 0) {
      vamStart.push_back(vam.ms);
      notepadStart.push_back(pad.ms);
    }
  }

  // Stepping back and forth between the two files.
  std::vector<double> steps, postedSteps, sentSteps;
  SIZE vamSize{};
  double observe = 0;
  {
    Started vam = StartUntilShown(vamExe, fileA, L"Vam", L"RichEdit20W", a.shown);
    if (vam.ms < 0) return 1;
    WaitForInputIdle(vam.process.h, 5000);
    SetForegroundWindow(vam.window);
    for (int i = 0; i < 100 && GetForegroundWindow() != vam.window; ++i) Sleep(10);
    for (int i = 0; i < kStepRuns; ++i) {
      const double next = UntilShown(
          vam, [] { SendChord(VK_CONTROL, VK_RIGHT); }, b.shown);
      const double prev = UntilShown(
          vam, [] { SendChord(VK_CONTROL, VK_LEFT); }, a.shown);
      // The same steps as posted commands: the program's own share, without the key's way in.
      const double nextPosted = UntilShown(
          vam, [&] { PostMessageW(vam.window, WM_COMMAND, kNextFile, 0); }, b.shown);
      const double prevPosted = UntilShown(
          vam, [&] { PostMessageW(vam.window, WM_COMMAND, kPrevFile, 0); }, a.shown);
      // Sent and waited for: the command handler alone, no wake-up or look at the view.
      for (const WPARAM id : {kNextFile, kPrevFile}) {
        DWORD_PTR unused = 0;
        const double t0 = NowMs();
        SendMessageTimeoutW(vam.window, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &unused);
        sentSteps.push_back(NowMs() - t0);
      }
      if (next < 0 || prev < 0 || nextPosted < 0 || prevPosted < 0) {
        std::printf("startup_wine: a step did not show its file\n");
        Close(vam);
        return 1;
      }
      steps.push_back(next);
      steps.push_back(prev);
      postedSteps.push_back(nextPosted);
      postedSteps.push_back(prevPosted);
    }
    // What one look at the view costs from here: part of every step time above.
    std::vector<double> looks;
    for (int i = 0; i < 50; ++i) {
      const double t0 = NowMs();
      TextOf(VisibleChildOf(vam.window, L"RichEdit20W"));
      looks.push_back(NowMs() - t0);
    }
    observe = Median(looks);
    RECT r{};
    GetWindowRect(vam.window, &r);
    vamSize = {r.right - r.left, r.bottom - r.top};
    Close(vam);
  }
  const double bare = BareSetWindowText(a, b, vamSize, false);
  const double barePainted = BareSetWindowText(a, b, vamSize, true);
  const double typed = TypedIntoNotepad(notepad, fileA, a.shown);

  const double vs = Median(vamStart), ns = Median(notepadStart), st = Median(steps);
  std::printf("startup_wine: medians over %d start-ups, %zu steps, %d bare sets (%zu characters)\n",
              kStartRuns, steps.size(), kSetRuns, b.set.size());
  std::printf("  start to text shown   Vam64.exe %8.2f ms   notepad.exe %8.2f ms   ratio %.2f\n", vs, ns,
              vs / ns);
  std::printf("  Ctrl+Right to shown   Vam64.exe %8.2f ms   bare SetWindowTextW %8.3f ms   ratio %.2f\n", st,
              bare, bare > 0 ? st / bare : 0.0);
  std::printf("  where a step's time goes:\n");
  std::printf("    the step as a sent command, until handled       %8.2f ms\n", Median(sentSteps));
  std::printf("    the step as a posted command, until shown       %8.2f ms\n", Median(postedSteps));
  std::printf("    one look at the view from here (in every figure) %7.3f ms\n", observe);
  std::printf("    a key typed into notepad, until shown           %8.2f ms\n", typed);
  std::printf("    bare SetWindowTextW and a paint of a composited %ldx%ld frame %.3f ms\n", vamSize.cx,
              vamSize.cy, barePainted);
  return 0;
}

}  // namespace

int main() {
  RedirectOutput();
  const int code = Run();
  std::fflush(stdout);
  WriteExitCode(code);
  return code;
}
