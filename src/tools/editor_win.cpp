#include "tools/editor_win.h"

#include <climits>
#include <string_view>
#include <vector>

#include "app/wide_win.h"
#include "tools/editor_template.h"
#include "view/richedit_win.h"

namespace {

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }

 private:
  HANDLE handle_;
};

// Starts the command and lets it run on its own: the viewer keeps no handle to it.
bool StartDetached(std::u16string_view command) {
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::vector<wchar_t> commandLine(command.begin(), command.end());
  commandLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process);
  UniqueHandle thread(process.hThread);
  UniqueHandle processHandle(process.hProcess);
  return started != FALSE;
}

// The file system's own case folding, whatever the locale.
bool SamePathIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && a.size() <= INT_MAX &&
         CompareStringOrdinal(W(a.data()), static_cast<int>(a.size()), W(b.data()),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

void LaunchEditor(HWND mainWindow, HWND view, AppSettings settings, const std::wstring& currentPath) {
  // The control's own line count: in the wrapping view a wrapped line counts as several.
  const int line = richedit::LineFromChar(view, richedit::GetSel(view).end) + 1;
  const auto command =
      ExpandEditorTemplate(settings.editor, U(std::wstring_view(currentPath)), line, SamePathIgnoringCase);
  if (!command) return;
  // Only once the editor runs does the viewer make way for it; otherwise the user keeps the place.
  if (StartDetached(*command)) SendMessageW(mainWindow, WM_CLOSE, 0, 0);
}
