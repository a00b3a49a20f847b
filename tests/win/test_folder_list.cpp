// The folder file list on a real folder: the listing, the platform's order, the file shown found
// or put in its place, and stepping with real views.
#include <windows.h>

#include <gtest/gtest.h>

#include <locale.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/program_state_win.h"
#include "document/folder_list_win.h"
#include "view/richedit_win.h"
#include "win_fixture.h"

namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

// Base names in lstrcmpiW order, extensions of equal bases too.
bool InOrder(const std::wstring& a, const std::wstring& b) {
  const auto split = [](const std::wstring& path) {
    const wchar_t* name = PathFindFileNameW(path.c_str());
    const wchar_t* extension = PathFindExtensionW(name);
    return std::pair{std::wstring(name, extension), std::wstring(extension)};
  };
  const auto [baseA, extA] = split(a);
  const auto [baseB, extB] = split(b);
  const int c = lstrcmpiW(baseA.c_str(), baseB.c_str());
  return c < 0 || (c == 0 && lstrcmpiW(extA.c_str(), extB.c_str()) <= 0);
}

class FolderList : public WinFixture {
 protected:
  void SetUp() override {
    folder_ = temp_.Path();
    ASSERT_FALSE(folder_.empty());
  }

  std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
  std::wstring MakeFile(const std::wstring& name, const std::string& content = "text\n",
                        DWORD attributes = 0) {
    const std::wstring path = TryMakeFile(name, content, attributes);
    EXPECT_FALSE(path.empty()) << Narrow(name);
    return path;
  }
  // Empty when the file system cannot hold the name.
  std::wstring TryMakeFile(const std::wstring& name, const std::string& content = "text\n",
                           DWORD attributes = 0) {
    const std::wstring path = Path(name);
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (attributes != 0) SetFileAttributesW(path.c_str(), attributes);
    return path;
  }
  void MakeFolder(const std::wstring& name) { temp_.PutFolder(name); }
  std::vector<std::wstring> Paths(const std::vector<std::wstring>& names) const {
    std::vector<std::wstring> paths;
    for (const auto& name : names) paths.push_back(Path(name));
    return paths;
  }
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const auto& entry : g_folderFileList.entries) names.push_back(entry.substr(folder_.size() + 1));
    return names;
  }

  // The seven names and friends, and everything the listing must leave out.
  std::vector<std::wstring> MakeMixedFolder() {
    const std::vector<std::wstring> plain = {L"b.txt",      L"a.txt",      L"a.log",  L"readme",
                                             L"Readme.md",  L"x.tar.gz",   L"x.txt",  L"file2.txt",
                                             L"file10.txt", L"_notes.txt", L"B2.txt", L"read-only.txt"};
    for (const auto& name : plain) MakeFile(name);
    SetFileAttributesW(Path(L"read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFile(L"hidden.txt", "secret\n", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(L"system.txt", "system\n", FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(L"sub");
    MakeFolder(L"sub.txt");
    MakeFile(L"sub\\inner.txt");
    return plain;
  }

  TempFolder temp_;
  std::wstring folder_;
};

TEST_F(FolderList, ListsPlainFilesInThePlatformsOrder) {
  const std::vector<std::wstring> plain = MakeMixedFolder();
  RebuildFolderFileList(Path(L"b.txt"));
  // lstrcmpiW: symbols before letters, case ignored, digits one by one, the hyphen all but ignored
  // (a word sort); base name first, then the extension.
  const std::vector<std::wstring> expected = {L"_notes.txt", L"a.log",         L"a.txt",     L"b.txt",
                                              L"B2.txt",     L"file10.txt",    L"file2.txt", L"readme",
                                              L"Readme.md",  L"read-only.txt", L"x.txt",     L"x.tar.gz"};
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(g_folderFileList.currentIndex, 3);
  EXPECT_EQ(g_folderFileList.lastIndex, 11);
  EXPECT_EQ(CurrentPath(), Path(L"b.txt"));
  EXPECT_EQ(FolderTitle(), L"(4/12)b.txt");
}

TEST_F(FolderList, OrderHoldsUnderTheUsersLocaleToo) {
  // After a Shift_JIS load the process runs under the user's locale, where _wcsicmp folds more.
  setlocale(LC_ALL, "");
  const std::vector<std::wstring> plain = MakeMixedFolder();
  // Wine stores such names only when its Unix locale has a UTF-8 character set.
  size_t extra = 0;
  std::wstring shown = Path(L"B2.txt");
  for (const wchar_t* name : {L"ＡＢＣ.txt", L"ａｂｃ.md", L"あいう.txt", L"アイウ.txt"}) {
    if (!TryMakeFile(name).empty()) ++extra, shown = Path(name);
  }
  RebuildFolderFileList(shown);
  EXPECT_EQ(g_folderFileList.entries.size(), plain.size() + extra);
  EXPECT_EQ(CurrentPath(), shown);
  const auto& entries = g_folderFileList.entries;
  for (size_t i = 1; i < entries.size(); ++i) EXPECT_TRUE(InOrder(entries[i - 1], entries[i])) << i;
  setlocale(LC_ALL, "C");
}

TEST_F(FolderList, HiddenOrSystemFileShownByNameJoinsAtItsPlace) {
  const std::vector<std::wstring> plain = MakeMixedFolder();
  struct Case {
    const wchar_t* name;
    int index;
  };
  for (const Case& c : {Case{L"hidden.txt", 7}, Case{L"system.txt", 10}}) {
    RebuildFolderFileList(Path(c.name));
    EXPECT_EQ(g_folderFileList.entries.size(), plain.size() + 1);
    EXPECT_EQ(g_folderFileList.currentIndex, c.index);
    EXPECT_EQ(g_folderFileList.lastIndex, static_cast<int>(plain.size()));
    EXPECT_EQ(CurrentPath(), Path(c.name));
    EXPECT_EQ(FolderTitle(), L"(" + std::to_wstring(c.index + 1) + L"/13)" + c.name);
  }
}

TEST_F(FolderList, PathsAreMadeAbsoluteAndLong) {
  MakeFile(L"a.txt");
  const std::wstring longPath = MakeFile(L"a long file name.text");
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  EXPECT_EQ(NormalizeDocumentPath(L"a.txt"), Path(L"a.txt"));
  const std::wstring leaf = folder_.substr(folder_.find_last_of(L'\\') + 1);
  EXPECT_EQ(NormalizeDocumentPath(L"..\\" + leaf + L"\\.\\a.txt"), Path(L"a.txt"));
  RebuildFolderFileList(L"a.txt");
  EXPECT_EQ(CurrentPath(), Path(L"a.txt"));
  EXPECT_EQ(g_folderFileList.entries.size(), 2u);
  SetCurrentDirectoryW(before);

  wchar_t shortPath[MAX_PATH] = {};
  const DWORD n = GetShortPathNameW(longPath.c_str(), shortPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || longPath == shortPath) GTEST_SKIP() << "no short names here";
  EXPECT_EQ(NormalizeDocumentPath(shortPath), longPath);
  RebuildFolderFileList(shortPath);
  EXPECT_EQ(CurrentPath(), longPath);
  EXPECT_EQ(g_folderFileList.entries.size(), 2u) << "found in the listing, not added twice";
}

TEST_F(FolderList, SpellingOfCaseDoesNotMatter) {
  MakeFile(L"a.txt");
  MakeFile(L"Mixed.Case.txt");
  RebuildFolderFileList(Path(L"MIXED.case.TXT"));
  EXPECT_EQ(g_folderFileList.entries.size(), 2u);
  EXPECT_EQ(g_folderFileList.currentIndex, 1);
}

TEST_F(FolderList, NoFileMeansAnEmptyList) {
  MakeFile(L"a.txt");
  MakeFolder(L"sub");
  const std::wstring tooLong = Path(std::wstring(300, L'n') + L".txt");
  for (const std::wstring& path : {std::wstring(), Path(L"missing.txt"), Path(L"sub"), folder_, tooLong}) {
    RebuildFolderFileList(Path(L"a.txt"));
    ASSERT_EQ(g_folderFileList.entries.size(), 1u);
    RebuildFolderFileList(path);
    EXPECT_TRUE(g_folderFileList.entries.empty()) << Narrow(path);
    EXPECT_EQ(g_folderFileList.currentIndex, 0);
    EXPECT_EQ(g_folderFileList.lastIndex, -1);
    EXPECT_EQ(CurrentPath(), L"");
    EXPECT_EQ(FolderTitle(), L"Vam");
  }
  EXPECT_EQ(NormalizeDocumentPath(tooLong), L"");
  EXPECT_EQ(NormalizeDocumentPath(L""), L"");
}

TEST_F(FolderList, NameAtThePathLimitIsListed) {
  // A path of 259 characters still fits the buffers: listed, found, and a bounded title.
  const size_t room = MAX_PATH - 1 - folder_.size() - 1;
  const std::wstring name = std::wstring(room - 4, L'n') + L".txt";
  MakeFile(name);
  for (int i = 0; i < 10; ++i) MakeFile(L"f" + std::to_wstring(i) + L".txt");
  RebuildFolderFileList(Path(L"f0.txt"));
  EXPECT_EQ(g_folderFileList.entries.size(), 11u) << "listed, not only added as the file shown";
  RebuildFolderFileList(Path(name));
  ASSERT_EQ(CurrentPath(), Path(name));
  const std::wstring title = FolderTitle();
  EXPECT_LE(title.size(), 263u);
  EXPECT_EQ(title.substr(0, 7), L"(11/11)");
}

class FolderSteps : public FolderList {
 protected:
  void SetUp() override {
    FolderList::SetUp();
    ASSERT_TRUE(frame_.Ok());
    SetWindowTextW(g_mainWindow, L"before");
  }
  std::wstring Title() const {
    wchar_t title[300] = {};
    GetWindowTextW(g_mainWindow, title, 300);
    return title;
  }
  void SetViews(const wchar_t* text) {
    SetWindowTextW(g_noWrapView, text);
    SetWindowTextW(g_wrapView, text);
  }

  TestFrame frame_{FrameOptions{400, 300, false, false}};
};

TEST_F(FolderSteps, StepsWithinBoundsWithoutWrapping) {
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) MakeFile(name);
  RebuildFolderFileList(Path(L"a.txt"));
  StepFolderFile(IDM_PREV_FILE);
  EXPECT_EQ(g_folderFileList.currentIndex, 0);
  EXPECT_EQ(Title(), L"before") << "nothing happens at the first entry";

  const std::vector<std::pair<int, std::wstring>> forward = {{1, L"(2/3)b.txt"}, {2, L"(3/3)c.txt"}};
  for (const auto& [index, title] : forward) {
    StepFolderFile(IDM_NEXT_FILE);
    EXPECT_EQ(g_folderFileList.currentIndex, index);
    EXPECT_EQ(Title(), title);
  }
  SetWindowTextW(g_mainWindow, L"at the end");
  StepFolderFile(IDM_NEXT_FILE);
  EXPECT_EQ(g_folderFileList.currentIndex, 2);
  EXPECT_EQ(Title(), L"at the end");
  StepFolderFile(IDM_PREV_FILE);
  EXPECT_EQ(Title(), L"(2/3)b.txt");
  StepFolderFile(IDM_FIND);  // not a step command
  EXPECT_EQ(g_folderFileList.currentIndex, 1);
}

TEST_F(FolderSteps, OneFileAndEmptyListDoNothing) {
  MakeFile(L"only.txt");
  RebuildFolderFileList(Path(L"only.txt"));
  EXPECT_EQ(FolderTitle(), L"(1/1)only.txt");
  for (int command : {IDM_NEXT_FILE, IDM_PREV_FILE}) {
    StepFolderFile(command);
    EXPECT_EQ(g_folderFileList.currentIndex, 0);
    EXPECT_EQ(Title(), L"before");
  }
  RebuildFolderFileList(L"");
  SetViews(L"kept");
  for (int command : {IDM_NEXT_FILE, IDM_PREV_FILE}) StepFolderFile(command);
  EXPECT_EQ(Title(), L"before");
  EXPECT_EQ(richedit::RawText(g_noWrapView), L"kept");
}

TEST_F(FolderSteps, VanishedFileEmptiesBothViewsAndSteppingGoesOn) {
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) MakeFile(name);
  RebuildFolderFileList(Path(L"a.txt"));
  ASSERT_TRUE(DeleteFileW(Path(L"b.txt").c_str()));
  SetViews(L"text of a");
  StepFolderFile(IDM_NEXT_FILE);
  EXPECT_EQ(Title(), L"(2/3)b.txt");
  EXPECT_EQ(g_folderFileList.currentIndex, 1);
  EXPECT_EQ(CurrentPath(), Path(L"b.txt"));
  EXPECT_EQ(richedit::RawText(g_noWrapView), L"");
  EXPECT_EQ(richedit::RawText(g_wrapView), L"");
  StepFolderFile(IDM_NEXT_FILE);
  EXPECT_EQ(Title(), L"(3/3)c.txt");
  EXPECT_EQ(g_folderFileList.currentIndex, 2);
}

TEST_F(FolderSteps, StepLoadsTheEntryIntoBothViews) {
  MakeFile(L"a.txt", "first file\r\n");
  MakeFile(L"b.txt", "second file\r\n");
  RebuildFolderFileList(Path(L"a.txt"));
  SetViews(L"text of a");
  StepFolderFile(IDM_NEXT_FILE);
  EXPECT_EQ(Title(), L"(2/2)b.txt");
  EXPECT_EQ(richedit::RawText(g_noWrapView), L"second file\r");
  EXPECT_EQ(richedit::RawText(g_wrapView), L"second file\r");
}

}  // namespace
