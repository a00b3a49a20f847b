// Drives the real Vam64.exe from outside, as a user would: real processes, real files, real keys.
// Runs inside a Wine virtual desktop (or on a Windows desktop), where SendInput reaches the
// focused window and the clipboard is shared between processes.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// How long a wait for something the program should do lasts before the test gives up.
inline constexpr DWORD kWaitMs = 10000;

// Polls ready every few milliseconds until it answers true (true) or timeoutMs pass (false).
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs = kWaitMs);

// ---- Where things are

std::wstring HarnessExePath();  // this test driver
std::wstring BuildDir();        // the folder of the driver, where Vam64.exe is built too
std::wstring VamExePath();      // BuildDir()\Vam64.exe
std::wstring SourceDir();       // the repository, as a Windows path ("Z:\...")
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);
bool FileExists(const std::wstring& path);

// ---- Text and files

std::string Utf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);
std::string Utf16LeBytes(std::wstring_view text, bool withBom);
std::string Utf16BeBytes(std::wstring_view text, bool withBom);
std::string CodePageBytes(std::wstring_view text, UINT codePage);  // e.g. 932 for Shift_JIS

bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// Text of a file as the profile functions leave it: UTF-16LE after FF FE, UTF-8 after EF BB BF,
// otherwise the ANSI code page.
std::wstring DecodeTextFile(std::string_view bytes);

// A fresh folder under the temporary folder, removed with everything in it (hidden, read-only
// and system files too) when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring File(std::wstring_view name) const { return JoinPath(path_, name); }
  // Writes name with exactly these bytes and returns its full path.
  std::wstring Put(std::wstring_view name, std::string_view bytes) const;
  // Creates a sub-folder and returns its full path.
  std::wstring PutFolder(std::wstring_view name) const;

 private:
  std::wstring path_;
};

// Removes a file or a folder tree; attributes that would refuse the removal are cleared first.
void RemoveTree(const std::wstring& path);
// The names in a folder (hidden ones too, no "." or ".."), sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);

// ---- Settings files

struct IniEntry {
  std::wstring key;
  std::wstring value;  // the text after '=' without surrounding blanks (Wine drops them, Windows keeps)
  friend bool operator==(const IniEntry&, const IniEntry&) = default;
};
void PrintTo(const IniEntry& entry, std::ostream* out);  // key=value in UTF-8, for test messages

// "[SystemSetting]" followed by key=value lines, CR LF.
std::wstring IniText(std::initializer_list<IniEntry> entries, std::wstring_view section = L"SystemSetting");
// Writes text as UTF-16LE with FF FE, the form in which the profile functions keep non-ASCII names.
bool WriteUtf16Ini(const std::wstring& path, std::wstring_view text);
// The entries of one section in file order; empty when the file or the section is missing.
std::vector<IniEntry> ReadIniSection(const std::wstring& path, std::wstring_view section = L"SystemSetting");
std::vector<std::wstring> IniKeys(const std::vector<IniEntry>& entries);
std::optional<std::wstring> IniValue(const std::vector<IniEntry>& entries, std::wstring_view key);

// ---- Keys (to whichever window has the keyboard focus)

// Presses the keys in order and releases them in reverse: {VK_CONTROL, VK_RIGHT} is Ctrl+Right.
void SendChord(std::initializer_list<WORD> keys);
// Types text as Unicode characters.
void SendText(std::wstring_view text);

// ---- Windows of any process

std::wstring WindowText(HWND window);  // WM_GETTEXT, works across processes
std::wstring ClassNameOf(HWND window);
// Descendants of parent, in Z order; with className empty every class matches.
std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className = L"");
// Makes window the foreground window (a dialog of the program, say) and waits until it is.
bool BringToFront(HWND window);
// Screen colour at a point of window's client area (what the window painted there).
COLORREF ClientPixel(HWND window, int x, int y);
// The keyboard focus of the thread that owns window (any process), or null.
HWND FocusOf(HWND window);
// The window that owns a top-level window (a dialog's owner), or null.
HWND OwnerOf(HWND window);

// ---- Clipboard

std::optional<std::wstring> ClipboardText();  // CF_UNICODETEXT, or nothing
bool SetClipboardText(std::wstring_view text);
bool EmptyClipboardNow();
// There is one clipboard for every desktop of the session (under Wine, for every virtual desktop
// of the prefix, so for every test running at the same time). A test that uses it holds this
// lock for as long as it does.
class ClipboardLock {
 public:
  ClipboardLock();  // waits while another test holds it
  ~ClipboardLock();
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};
// The clipboard's change count. Opening the clipboard while the program copies makes the
// program's OpenClipboard fail, so wait for the count to move before reading:
//   const DWORD before = ClipboardSequence();  ...Ctrl+C...  WaitClipboardChange(before);
DWORD ClipboardSequence();
// The clipboard's text once its count differs from since, or nothing after timeoutMs.
std::optional<std::wstring> WaitClipboardChange(DWORD since, DWORD timeoutMs = kWaitMs);

// ---- A started program

// One process started by the test. Ended (terminated) when the object goes if it still runs.
class Program {
 public:
  Program() = default;
  ~Program();
  Program(Program&& other) noexcept;
  Program& operator=(Program&& other) noexcept;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts exe with the arguments (each quoted) in workDir (empty: the driver's current folder).
  static Program Start(const std::wstring& exe, const std::vector<std::wstring>& args = {},
                       const std::wstring& workDir = L"");
  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return processId_; }
  HANDLE Handle() const { return process_; }

  // Waits until the process shows a top-level window of windowClass and waits for input.
  bool WaitReady(std::wstring_view windowClass = L"Vam", DWORD timeoutMs = kWaitMs);
  HWND Window() const { return window_; }
  std::wstring Title() const { return WindowText(window_); }
  bool WaitTitle(std::wstring_view title, DWORD timeoutMs = kWaitMs) const;
  RECT WindowRect() const;
  // Visible top-level windows of this process (dialogs, message boxes), optionally of one class.
  std::vector<HWND> TopWindows(std::wstring_view className = L"") const;
  // Waits for a visible top-level window of this process other than the main window.
  HWND WaitTopWindow(std::wstring_view className, DWORD timeoutMs = kWaitMs) const;

  // The text views: rich-edit children of the main window (or edit controls, for other programs).
  std::vector<HWND> Views() const;
  HWND VisibleView() const;
  HWND WrapView() const;                             // the view that wraps lines (no ES_AUTOHSCROLL)
  HWND NoWrapView() const;                           // the one that scrolls sideways (ES_AUTOHSCROLL)
  std::wstring ViewText(HWND view = nullptr) const;  // default: the visible view
  bool WaitViewText(std::wstring_view text, DWORD timeoutMs = kWaitMs) const;
  // EM_GETSEL / EM_SETSEL on the visible view (character positions; the packed answer of
  // EM_GETSEL holds positions below 65536 only).
  std::pair<DWORD, DWORD> Selection() const;
  void Select(int start, int end) const;

  // The keyboard focus of the program's GUI thread.
  HWND Focus() const { return FocusOf(window_); }
  // Brings the main window to the foreground and waits until it is there.
  bool Activate() const;
  // Activate, then the keys. Nothing here tells when the program has handled them: wait for
  // what they should change (WaitTitle, WaitViewText...). To show that a key changed nothing,
  // follow it with one whose effect can be seen: keys are handled in order.
  void Keys(std::initializer_list<WORD> keys) const;
  void Type(std::wstring_view text) const;
  // WaitForInputIdle: dependable for the first idle after start (WaitReady uses it).
  bool WaitIdle(DWORD timeoutMs = kWaitMs) const;
  // Posts WM_COMMAND with id to the main window (for commands without a key).
  void Command(WORD id) const;

  // The exit code, once the process has ended within timeoutMs.
  std::optional<DWORD> WaitExit(DWORD timeoutMs = kWaitMs);
  void Terminate();

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
};

// A copy of Vam64.exe in a fresh folder of its own, so that its settings file (Vam64.ini beside
// it) starts absent or as the test writes it.
class VamCopy {
 public:
  VamCopy();
  bool Ok() const { return ok_; }
  const std::wstring& Folder() const { return folder_.Path(); }
  const std::wstring& Exe() const { return exe_; }
  const std::wstring& Ini() const { return ini_; }
  bool WriteIni(std::initializer_list<IniEntry> entries) const {
    return WriteUtf16Ini(ini_, IniText(entries));
  }
  std::vector<IniEntry> ReadIni() const { return ReadIniSection(ini_); }
  // Starts the copy with these arguments and, unless told not to (a start that asks a question
  // before the window shows), waits until its window is ready.
  Program Start(const std::vector<std::wstring>& args = {}, const std::wstring& workDir = L"",
                bool waitReady = true) const;

 private:
  TempFolder folder_;
  std::wstring exe_;
  std::wstring ini_;
  bool ok_ = false;
};

// ---- The editor stand-in
// editor_probe.exe (built beside the driver) writes the command line it was started with to
// "<its own path>.cmdline". A copy per test in the test's own folder keeps tests that run at the
// same time apart. Put Exe() into the program's editor setting.

class EditorProbe {
 public:
  explicit EditorProbe(const TempFolder& folder);
  bool Ok() const { return ok_; }
  const std::wstring& Exe() const { return exe_; }
  // The whole command line the probe received, once it has been written.
  std::optional<std::wstring> WaitCommandLine(DWORD timeoutMs = kWaitMs) const;
  // Its arguments after the program name, split by CommandLineToArgvW.
  std::optional<std::vector<std::wstring>> WaitArguments(DWORD timeoutMs = kWaitMs) const;

 private:
  std::wstring exe_;
  bool ok_ = false;
};

}  // namespace e2e
