// A whole session of the real Vam64.exe over a folder, then the files as they were: a viewer
// never writes what it shows, read-only or not.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/commands.h"
#include "e2e_harness.h"

namespace {

using e2e::EditorProbe;
using e2e::Program;
using e2e::TempFolder;
using e2e::Utf8;
using e2e::VamCopy;

// What a file or folder is on disk, down to its last-write time.
struct FileState {
  std::wstring path;
  DWORD attributes = 0;
  ULONGLONG size = 0;
  ULONGLONG lastWrite = 0;
  std::optional<std::string> bytes;  // files only
  friend bool operator==(const FileState&, const FileState&) = default;
  friend void PrintTo(const FileState& s, std::ostream* out) {
    *out << Utf8(s.path) << " attributes " << s.attributes << ", " << s.size << " bytes, written "
         << s.lastWrite;
  }
};

// Everything under folder, sorted by path.
void Snapshot(const std::wstring& folder, std::vector<FileState>& states) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(e2e::JoinPath(folder, L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    FileState state;
    state.path = e2e::JoinPath(folder, name);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (GetFileAttributesExW(state.path.c_str(), GetFileExInfoStandard, &info)) {
      state.attributes = info.dwFileAttributes;
      state.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
      state.lastWrite = (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                        info.ftLastWriteTime.dwLowDateTime;
    }
    if ((state.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      state.size = 0;  // a folder's own size and time follow what is in it
      Snapshot(state.path, states);
    } else {
      state.bytes = e2e::ReadFileBytes(state.path);
    }
    states.push_back(state);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

std::vector<FileState> Snapshot(const std::wstring& folder) {
  std::vector<FileState> states;
  Snapshot(folder, states);
  std::sort(states.begin(), states.end(),
            [](const FileState& a, const FileState& b) { return a.path < b.path; });
  return states;
}

struct Viewed {
  const wchar_t* name;
  std::string bytes;
  std::wstring shown;
};

// Ctrl+C, and the clipboard's text once the program has replaced it.
std::wstring Copied(const Program& vam) {
  const DWORD before = e2e::ClipboardSequence();
  vam.Keys({VK_CONTROL, 'C'});
  return e2e::WaitClipboardChange(before).value_or(L"(clipboard unchanged)");
}

// What a user does to a file once it shows: each forced encoding and back to automatic, every
// view setting there and back, the font a point larger and smaller, and find again.
void UseEveryViewCommand(const Program& vam) {
  for (WORD key : {VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD0}) vam.Keys({key});
  vam.Keys({VK_TAB});
  vam.Keys({VK_TAB});
  for (WORD command : {IDM_NUMBER_LINE, IDM_WORD_WRAP, IDM_BLACK_BACK}) {
    vam.Command(command);
    vam.Command(command);
  }
  vam.Keys({VK_ADD});
  vam.Keys({VK_SUBTRACT});
  vam.Keys({VK_F3});
}

// Opens the find dialog, searches for text and waits until the hit has closed the dialog.
::testing::AssertionResult FindWithTheDialog(const Program& vam, std::wstring_view text) {
  vam.Keys({'F'});
  const HWND dialog = vam.WaitTopWindow(L"#32770");
  if (dialog == nullptr) return ::testing::AssertionFailure() << "no find dialog";
  const std::vector<HWND> edits = e2e::ChildWindows(dialog, L"Edit");
  if (edits.empty() || !e2e::BringToFront(dialog) ||
      !e2e::WaitUntil([&] { return vam.Focus() == edits.front(); })) {
    return ::testing::AssertionFailure() << "the find dialog's text box has no focus";
  }
  e2e::SendText(text);
  e2e::SendChord({VK_RETURN});
  if (!e2e::WaitUntil([&] { return !IsWindow(dialog); })) return ::testing::AssertionFailure() << "no hit";
  return ::testing::AssertionSuccess();
}

// The font dialog, accepted as it opens.
::testing::AssertionResult ChooseTheFontAsOffered(const Program& vam) {
  vam.Activate();
  vam.Command(IDM_FONT);
  const HWND dialog = vam.WaitTopWindow(L"#32770");
  if (dialog == nullptr) return ::testing::AssertionFailure() << "no font dialog";
  if (!e2e::BringToFront(dialog)) return ::testing::AssertionFailure() << "font dialog not in front";
  e2e::SendChord({VK_RETURN});
  if (!e2e::WaitUntil([&] { return !IsWindow(dialog); }))
    return ::testing::AssertionFailure() << "stays open";
  return ::testing::AssertionSuccess();
}

TEST(SessionE2E, AWholeSessionLeavesEveryViewedFileAsItWasReadOnlyOrNot) {
  const e2e::ClipboardLock clipboard;
  ASSERT_TRUE(clipboard.Held());
  TempFolder folder;
  const std::vector<Viewed> viewed = {
      {L"a-utf8.txt", Utf8(L"needle 日本語 UTF-8"), L"needle 日本語 UTF-8"},
      {L"b-utf8-bom.txt", "\xEF\xBB\xBF" + Utf8(L"needle 日本語 BOM"), L"needle 日本語 BOM"},
      {L"c-sjis.txt", e2e::CodePageBytes(L"needle 日本語 Shift_JIS", 932), L"needle 日本語 Shift_JIS"},
      {L"d-utf16le.txt", e2e::Utf16LeBytes(L"needle 日本語 LE", true), L"needle 日本語 LE"},
      {L"e-utf16be.txt", e2e::Utf16BeBytes(L"needle 日本語 BE", true), L"needle 日本語 BE"},
      {L"f-binary.bin", std::string("needle\0binary\x01", 14), L"needle binary "},
      {L"g-read-only.txt", "needle read-only", L"needle read-only"},
  };
  for (const Viewed& v : viewed) ASSERT_TRUE(e2e::WriteFileBytes(folder.File(v.name), v.bytes));
  ASSERT_TRUE(SetFileAttributesW(folder.File(L"g-read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring locked = folder.PutFolder(L"read-only folder");
  const std::wstring inside = e2e::JoinPath(locked, L"inside.txt");
  ASSERT_TRUE(e2e::WriteFileBytes(inside, "needle inside"));
  ASSERT_TRUE(SetFileAttributesW(inside.c_str(), FILE_ATTRIBUTE_READONLY));
  // Windows keeps the mark on a folder; Wine does not, and the folder stays as writable as any.
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<FileState> before = Snapshot(folder.Path());
  ASSERT_EQ(before.size(), viewed.size() + 2);

  TempFolder tools;
  const EditorProbe probe(tools);
  ASSERT_TRUE(probe.Ok());
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  ASSERT_TRUE(copy.WriteIni({{L"editor", probe.Exe() + L" %l \"%t\""}}));
  {
    Program vam = copy.Start({folder.File(viewed.front().name)});
    const std::wstring count = std::to_wstring(viewed.size());
    for (size_t i = 0; i < viewed.size(); ++i) {
      SCOPED_TRACE(Utf8(viewed[i].name));
      if (i > 0) vam.Keys({VK_CONTROL, VK_RIGHT});
      ASSERT_TRUE(vam.WaitTitle(L"(" + std::to_wstring(i + 1) + L"/" + count + L")" + viewed[i].name))
          << Utf8(vam.Title());
      EXPECT_TRUE(vam.WaitViewText(viewed[i].shown)) << Utf8(vam.ViewText());
      if (i == 0) {
        // The keys and commands below reach the program: a forced encoding shows another text,
        // word wrap the other view.
        vam.Keys({VK_NUMPAD3});
        EXPECT_TRUE(e2e::WaitUntil([&] { return vam.ViewText() != viewed[i].shown; }));
        vam.Keys({VK_NUMPAD0});
        EXPECT_TRUE(vam.WaitViewText(viewed[i].shown)) << Utf8(vam.ViewText());
        const HWND shownView = vam.VisibleView();
        vam.Command(IDM_WORD_WRAP);
        EXPECT_TRUE(e2e::WaitUntil([&] { return vam.VisibleView() != shownView; }));
        vam.Command(IDM_WORD_WRAP);
        EXPECT_TRUE(e2e::WaitUntil([&] { return vam.VisibleView() == shownView; }));
        EXPECT_TRUE(FindWithTheDialog(vam, L"needle"));
        vam.Select(0, 6);
        EXPECT_EQ(Utf8(Copied(vam)), "needle");
      }
      UseEveryViewCommand(vam);
    }
    EXPECT_TRUE(ChooseTheFontAsOffered(vam));
    vam.Keys({VK_SHIFT, VK_RETURN});
    const auto args = probe.WaitArguments();
    ASSERT_TRUE(args.has_value()) << "the editor was not started";
    EXPECT_EQ(args->back(), folder.File(viewed.back().name));
    EXPECT_EQ(vam.WaitExit(), 0u);
  }
  {
    Program vam = copy.Start({inside});
    ASSERT_TRUE(vam.WaitTitle(L"(1/1)inside.txt")) << Utf8(vam.Title());
    EXPECT_TRUE(vam.WaitViewText(L"needle inside")) << Utf8(vam.ViewText());
    EXPECT_TRUE(FindWithTheDialog(vam, L"inside"));
    EXPECT_EQ(Utf8(Copied(vam)), "inside");
    UseEveryViewCommand(vam);
    vam.Keys({VK_ESCAPE});
    EXPECT_EQ(vam.WaitExit(), 0u);
  }
  EXPECT_EQ(Snapshot(folder.Path()), before);
}

}  // namespace
