// The real Vam64.exe, started as a user starts it and driven with real keys.
#include <windows.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/commands.h"
#include "e2e_harness.h"

namespace {

using e2e::IniEntry;
using e2e::Program;
using e2e::TempFolder;
using e2e::Utf8;
using e2e::VamCopy;

// Three small files; the program sorts them a, b, c.
struct ThreeFiles {
  TempFolder folder;
  std::wstring a = folder.Put(L"a.txt", "alpha");
  std::wstring b = folder.Put(L"b.txt", "bravo");
  std::wstring c = folder.Put(L"c.txt", "charlie");
};

// Waits for the title and the text that a step should show, and says which one is wrong.
::testing::AssertionResult Shows(const Program& vam, std::wstring_view title, std::wstring_view text) {
  const bool titleOk = vam.WaitTitle(title);
  const bool textOk = vam.WaitViewText(text);
  if (titleOk && textOk) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "title \"" << Utf8(vam.Title()) << "\", text \"" << Utf8(vam.ViewText()) << "\"; wanted \""
         << Utf8(title) << "\", \"" << Utf8(text) << "\"";
}

TEST(ProgramE2E, StepsThroughTheFolderWithCtrlArrowsAndStopsAtTheEnds) {
  ThreeFiles files;
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({files.b});
  ASSERT_NE(vam.Window(), nullptr);
  EXPECT_TRUE(Shows(vam, L"(2/3)b.txt", L"bravo"));

  vam.Keys({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(Shows(vam, L"(3/3)c.txt", L"charlie"));
  // At the last file Ctrl+Right must do nothing; had it wrapped to the first, Ctrl+Left would
  // then stay there instead of coming back to the second.
  vam.Keys({VK_CONTROL, VK_RIGHT});
  vam.Keys({VK_CONTROL, VK_LEFT});
  EXPECT_TRUE(Shows(vam, L"(2/3)b.txt", L"bravo"));

  vam.Keys({VK_CONTROL, VK_LEFT});
  EXPECT_TRUE(Shows(vam, L"(1/3)a.txt", L"alpha"));
  vam.Keys({VK_CONTROL, VK_LEFT});
  vam.Keys({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(Shows(vam, L"(2/3)b.txt", L"bravo"));
}

// A file of thousands of lines leaves views that the next step replaces by fresh ones (deleting
// so many rows one by one takes minutes in Wine's control): stepping off it and back, the
// views must go on showing, wrapping, taking the focus and copying as before.
TEST(ProgramE2E, ViewsLeftByALargeFileGoOnWorkingAfterTheStepsOffAndBack) {
  TempFolder folder;
  std::wstring large;
  for (int line = 1; line <= 3000; ++line) large += L"行 " + std::to_wstring(line) + L"\tテキスト\x3000text\r\n";
  const std::wstring a = folder.Put(L"a.txt", Utf8(large));
  folder.Put(L"b.txt", "bravo");
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({a});
  std::wstring shown = large;  // WM_GETTEXT gives every paragraph end as CR LF
  ASSERT_TRUE(Shows(vam, L"(1/2)a.txt", shown));

  vam.Keys({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(Shows(vam, L"(2/2)b.txt", L"bravo"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(vam.WrapView()) == L"bravo"; }));
  vam.Keys({VK_CONTROL, VK_LEFT});
  EXPECT_TRUE(Shows(vam, L"(1/2)a.txt", shown));
  EXPECT_TRUE(e2e::WaitUntil([&] { return vam.Focus() == vam.VisibleView(); })) << "the focus is in the shown view";
  EXPECT_EQ(vam.Views().size(), 2u);

  const HWND unwrapped = vam.VisibleView();
  vam.Command(IDM_WORD_WRAP);
  EXPECT_TRUE(e2e::WaitUntil([&] { return vam.VisibleView() == vam.WrapView(); }));
  EXPECT_TRUE(e2e::WindowText(vam.WrapView()) == shown);
  EXPECT_NE(vam.VisibleView(), unwrapped);

  e2e::ClipboardLock lock;
  ASSERT_TRUE(lock.Held());
  vam.Select(0, 8);
  const DWORD before = e2e::ClipboardSequence();
  vam.Keys({VK_CONTROL, 'C'});
  const std::optional<std::wstring> copied = e2e::WaitClipboardChange(before);
  ASSERT_TRUE(copied.has_value());
  EXPECT_EQ(*copied, L"行 1\tテキスト");
}

TEST(ProgramE2E, StepOntoAFileDeletedMeanwhileEmptiesBothViewsAndSteppingGoesOn) {
  ThreeFiles files;
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({files.a});
  ASSERT_TRUE(Shows(vam, L"(1/3)a.txt", L"alpha"));
  ASSERT_NE(vam.WrapView(), nullptr);
  ASSERT_NE(vam.NoWrapView(), nullptr);
  ASSERT_TRUE(DeleteFileW(files.b.c_str()));

  vam.Keys({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(vam.WaitTitle(L"(2/3)b.txt")) << Utf8(vam.Title());
  EXPECT_TRUE(e2e::WaitUntil([&] {
    return e2e::WindowText(vam.WrapView()).empty() && e2e::WindowText(vam.NoWrapView()).empty();
  })) << "views still hold \""
      << Utf8(vam.ViewText()) << "\"";

  vam.Keys({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(Shows(vam, L"(3/3)c.txt", L"charlie"));
}

// How the file is named at start; each gives the same place in the folder.
struct StartCase {
  const char* name;
  const wchar_t* title;
  // From the folder of a.txt, b.txt, c.txt: the argument and the current folder to start in.
  std::function<std::pair<std::wstring, std::wstring>(ThreeFiles&)> argument;
  friend void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }
};

class StartTitle : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartTitle, ShowsThePlaceOfTheFileInItsFolder) {
  ThreeFiles files;
  const auto [argument, workDir] = GetParam().argument(files);
  ASSERT_FALSE(argument.empty()) << "this system cannot name the file that way";
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({argument}, workDir);
  ASSERT_NE(vam.Window(), nullptr);
  EXPECT_TRUE(Shows(vam, GetParam().title, L"bravo"));
}

std::wstring ShortPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

INSTANTIATE_TEST_SUITE_P(
    ProgramE2E, StartTitle,
    ::testing::Values(
        StartCase{"FullPath", L"(2/3)b.txt",
                  [](ThreeFiles& f) {
                    return std::pair{f.b, std::wstring()};
                  }},
        // Relative to the current folder, not to the root of the drive.
        StartCase{"RelativePath", L"(2/3)b.txt",
                  [](ThreeFiles& f) {
                    return std::pair{std::wstring(L"b.txt"), f.folder.Path()};
                  }},
        // A hidden file is shown at its sorted place, not as the last entry.
        StartCase{"HiddenFile", L"(2/3)b.txt",
                  [](ThreeFiles& f) {
                    SetFileAttributesW(f.b.c_str(), FILE_ATTRIBUTE_HIDDEN);
                    return std::pair{f.b, std::wstring()};
                  }},
        // A short 8.3 name is the same file as its long name.
        StartCase{"ShortName", L"(2/3)bravo-with-a-long-name.txt",
                  [](ThreeFiles& f) {
                    const std::wstring longName = f.folder.Put(L"bravo-with-a-long-name.txt", "bravo");
                    DeleteFileW(f.b.c_str());
                    f.b = longName;
                    const std::wstring shortName = ShortPath(longName);
                    return std::pair{shortName != longName ? shortName : std::wstring(), std::wstring()};
                  }}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST(ProgramE2E, StartedWithoutAFileTitledVamAndSteppingDoesNothing) {
  ThreeFiles files;  // the current folder holds files, which must not be listed
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({}, files.folder.Path());
  ASSERT_NE(vam.Window(), nullptr);
  EXPECT_EQ(vam.Title(), L"Vam");
  EXPECT_EQ(vam.ViewText(), L"");

  vam.Keys({VK_CONTROL, VK_RIGHT});
  vam.Keys({VK_CONTROL, VK_LEFT});
  vam.Keys({VK_ESCAPE});
  // Keys are handled in order: every title seen until Esc has closed the window is "Vam".
  std::vector<std::wstring> titles;
  e2e::WaitUntil([&] {
    if (!IsWindow(vam.Window())) return true;
    const std::wstring title = vam.Title();
    if (title != L"Vam" && !title.empty()) titles.push_back(title);
    return false;
  });
  EXPECT_TRUE(titles.empty()) << Utf8(titles.front());
  EXPECT_EQ(vam.WaitExit(), 0u);
}

struct CloseKey {
  const char* name;
  WORD key;
  friend void PrintTo(const CloseKey& c, std::ostream* out) { *out << c.name; }
};

class CloseWithKey : public ::testing::TestWithParam<CloseKey> {};

TEST_P(CloseWithKey, EndsTheProgramWithExitCodeZero) {
  ThreeFiles files;
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({files.a});
  ASSERT_TRUE(vam.WaitTitle(L"(1/3)a.txt")) << Utf8(vam.Title());
  vam.Keys({GetParam().key});
  EXPECT_EQ(vam.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ProgramE2E, CloseWithKey,
                         ::testing::Values(CloseKey{"Enter", VK_RETURN}, CloseKey{"Esc", VK_ESCAPE}),
                         [](const ::testing::TestParamInfo<CloseKey>& info) {
                           return std::string(info.param.name);
                         });

TEST(ProgramE2E, SettingsWrittenAtCloseRestoreTheWindowAtTheNextStart) {
  ThreeFiles files;
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  ASSERT_FALSE(e2e::FileExists(copy.Ini()));
  {
    Program vam = copy.Start({files.a});
    ASSERT_TRUE(vam.WaitTitle(L"(1/3)a.txt")) << Utf8(vam.Title());
    ASSERT_TRUE(SetWindowPos(vam.Window(), nullptr, 100, 80, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE));
    vam.Keys({VK_ESCAPE});
    ASSERT_EQ(vam.WaitExit(), 0u);
  }
  // First start, no file before: the defaults and the window's rectangle, in this order.
  const std::vector<IniEntry> expected = {{L"fontSize", L"10"},  {L"fontName", L"ＭＳ ゴシック"},
                                          {L"x", L"100"},        {L"y", L"80"},
                                          {L"width", L"640"},    {L"height", L"480"},
                                          {L"tab4", L"OFF"},     {L"blackBack", L"OFF"},
                                          {L"wordWrap", L"OFF"}, {L"encoding", L"AUTO"},
                                          {L"numberLine", L"ON"}};
  const std::vector<IniEntry> written = copy.ReadIni();
  EXPECT_EQ(e2e::IniKeys(written), e2e::IniKeys(expected));
  EXPECT_EQ(written, expected);

  Program again = copy.Start({files.b});
  ASSERT_TRUE(again.WaitTitle(L"(2/3)b.txt")) << Utf8(again.Title());
  const RECT r = again.WindowRect();
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);
}

}  // namespace
