#include "document/folder_list_win.h"

#include <shlwapi.h>

#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "document/folder_list.h"
#include "document/loader_win.h"
#include "view/view_proc_win.h"
#include "view/view_window_win.h"

FolderFileList g_folderFileList;

namespace {

// Hidden, system and directory entries are not listed (this also drops "." and "..").
constexpr DWORD kSkippedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
// The title buffer the window had always used: 264 units with the terminator.
constexpr size_t kTitleUnits = 263;

int CaseInsensitive(const char16_t* a, const char16_t* b) {
  return _wcsicmp(W(a), W(b));
}
int Linguistic(const char16_t* a, const char16_t* b) {
  return lstrcmpiW(W(a), W(b));
}
constexpr NameComparisons kComparisons{CaseInsensitive, Linguistic};

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (valid()) FindClose(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::vector<std::u16string_view> Views(const std::vector<std::wstring>& entries) {
  std::vector<std::u16string_view> views;
  views.reserve(entries.size());
  for (const std::wstring& entry : entries) views.push_back(U(entry));
  return views;
}

bool IsPlainFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// path shorter than MAX_PATH with its last component removed.
std::wstring FolderOf(const std::wstring& path) {
  wchar_t folder[MAX_PATH] = {};
  path.copy(folder, MAX_PATH - 1);
  PathRemoveFileSpecW(folder);
  return folder;
}

// The plain files of folder, unsorted. Names that would not fit MAX_PATH once joined to the
// folder are left out: a cut path could name another file.
void ListFolder(const std::wstring& folder, std::vector<std::wstring>& entries) {
  entries.clear();
  wchar_t pattern[MAX_PATH] = {};
  if (folder.empty() || PathCombineW(pattern, folder.c_str(), L"*.*") == nullptr) return;
  WIN32_FIND_DATAW found{};
  FindHandle find(FindFirstFileW(pattern, &found));
  if (!find.valid()) return;
  do {
    if ((found.dwFileAttributes & kSkippedAttributes) != 0) continue;
    wchar_t full[MAX_PATH] = {};
    if (PathCombineW(full, folder.c_str(), found.cFileName) != nullptr) entries.emplace_back(full);
  } while (FindNextFileW(find.get(), &found));
}

void SortEntries(std::vector<std::wstring>& entries) {
  const std::vector<size_t> order = FolderEntryOrder(Views(entries), kComparisons);
  std::vector<std::wstring> sorted;
  sorted.reserve(entries.size());
  for (size_t i : order) sorted.push_back(std::move(entries[i]));
  entries = std::move(sorted);
}

// Returns the result of a Win32 call that fills a buffer of a size it names, or empty when it
// fails.
template <typename Call>
std::wstring Grown(Call call) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(n + 1);  // n is the size needed, terminator included
  }
  return {};
}

void Repaint(HWND mainWindow) {
  InvalidateRect(mainWindow, nullptr, FALSE);
  UpdateWindow(mainWindow);
}

}  // namespace

std::wstring NormalizeDocumentPath(const std::wstring& path) {
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return {};
  std::wstring full = Grown(
      [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
  if (full.empty()) return {};
  // Short 8.3 components become long ones; a file that does not exist keeps its full form.
  const std::wstring longForm =
      Grown([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
  if (!longForm.empty()) full = longForm;
  if (full.size() >= MAX_PATH) return {};
  return full;
}

void RebuildFolderFileList(const std::wstring& given) {
  FolderFileList& list = g_folderFileList;
  list.entries.clear();
  list.currentIndex = 0;
  list.lastIndex = -1;
  // Without a file there is nothing to step through: the list stays empty rather than showing
  // some unrelated folder.
  const std::wstring path = NormalizeDocumentPath(given);
  if (path.empty() || !IsPlainFile(path)) return;
  ListFolder(FolderOf(path), list.entries);
  SortEntries(list.entries);
  const std::vector<std::u16string_view> views = Views(list.entries);
  if (const std::optional<size_t> found = FindEntryIndex(views, U(path), CaseInsensitive)) {
    list.currentIndex = static_cast<int>(*found);
  } else {
    // A hidden or system file shown by name: it joins the list where it sorts, so the title, find,
    // the editor and stepping all act on the file on screen.
    const size_t at = SortedInsertIndex(views, U(path), kComparisons);
    list.entries.insert(list.entries.begin() + static_cast<std::ptrdiff_t>(at), path);
    list.currentIndex = static_cast<int>(at);
  }
  list.lastIndex = static_cast<int>(list.entries.size()) - 1;
}

std::wstring CurrentPath() {
  const FolderFileList& list = g_folderFileList;
  if (list.currentIndex < 0 || static_cast<size_t>(list.currentIndex) >= list.entries.size()) return {};
  return list.entries[static_cast<size_t>(list.currentIndex)];
}

std::wstring FolderTitle() {
  const std::wstring path = CurrentPath();
  if (path.empty()) return L"Vam";
  const FolderFileList& list = g_folderFileList;
  return std::wstring(W(FolderTitleText(list.currentIndex + 1, list.lastIndex + 1,
                                        U(PathFindFileNameW(path.c_str())), kTitleUnits)));
}

void StepFolderFile(int command) {
  if (command != IDM_PREV_FILE && command != IDM_NEXT_FILE) return;
  FolderFileList& list = g_folderFileList;
  const std::optional<int> next = SteppedIndex(list.currentIndex, list.lastIndex, command == IDM_NEXT_FILE);
  if (!next) return;
  list.currentIndex = *next;
  // The title names the entry before the file is looked at, so a vanished file shows its place.
  SetWindowTextW(g_mainWindow, FolderTitle().c_str());
  const std::wstring path = CurrentPath();
  if (PathFileExistsW(path.c_str())) {
    LoadTextFile(g_mainWindow, g_noWrapView, g_wrapView, path, g_appSettings, g_menu);
    SendMessageW(g_mainWindow, WM_PAINT, 0, 0);
  } else {
    // Deleted or moved since the list was made: nothing to show; the next step goes on from here.
    EmptyView(g_noWrapView, g_appSettings);
    EmptyView(g_wrapView, g_appSettings);
    DiscardViewTextCopy();
  }
  Repaint(g_mainWindow);
}
