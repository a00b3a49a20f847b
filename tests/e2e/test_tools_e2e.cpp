// Find, copy and the editor hand-over of the real Vam64.exe, driven with real keys.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_harness.h"

namespace {

using e2e::EditorProbe;
using e2e::Program;
using e2e::TempFolder;
using e2e::Utf8;
using e2e::VamCopy;

constexpr wchar_t kNotFound[] = L"見つかりませんでした。";

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer);
  return static_cast<LRESULT>(answer);
}

std::pair<DWORD, DWORD> SelectionOf(HWND view) {
  const LRESULT packed = Ask(view, EM_GETSEL);
  return {LOWORD(packed), HIWORD(packed)};
}

int LineOf(HWND view, int position) {
  return static_cast<int>(Ask(view, EM_LINEFROMCHAR, position));
}

int FirstVisibleLine(HWND view) {
  return static_cast<int>(Ask(view, EM_GETFIRSTVISIBLELINE));
}

std::wstring OnOff(bool on) {
  return on ? L"ON" : L"OFF";
}

// The program's "not found" box: a dialog titled "Vam" other than the find dialog.
std::vector<HWND> MessageBoxes(const Program& vam) {
  std::vector<HWND> boxes;
  for (HWND w : vam.TopWindows(L"#32770")) {
    if (e2e::WindowText(w) == L"Vam") boxes.push_back(w);
  }
  return boxes;
}

HWND WaitMessageBox(const Program& vam, DWORD timeoutMs = e2e::kWaitMs) {
  HWND box = nullptr;
  e2e::WaitUntil(
      [&] {
        const std::vector<HWND> boxes = MessageBoxes(vam);
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

std::vector<std::wstring> StaticTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND s : e2e::ChildWindows(dialog, L"Static")) {
    if (std::wstring text = e2e::WindowText(s); !text.empty()) texts.push_back(text);
  }
  return texts;
}

// Checks the "not found" box, answers it with Enter, and makes sure no second one follows.
::testing::AssertionResult NotFoundShownOnce(const Program& vam) {
  HWND box = WaitMessageBox(vam);
  if (box == nullptr) return ::testing::AssertionFailure() << "no message box";
  const std::vector<std::wstring> texts = StaticTexts(box);
  if (texts != std::vector<std::wstring>{kNotFound}) {
    auto failure = ::testing::AssertionFailure() << "box texts:";
    for (const std::wstring& t : texts) failure << " \"" << Utf8(t) << "\"";
    return failure;
  }
  if (e2e::OwnerOf(box) != vam.Window()) return ::testing::AssertionFailure() << "box not owned by Vam";
  if (!e2e::BringToFront(box)) return ::testing::AssertionFailure() << "box cannot be brought to the front";
  e2e::SendChord({VK_RETURN});
  if (!e2e::WaitUntil([&] { return !IsWindow(box); })) return ::testing::AssertionFailure() << "box stays";
  // A second search reporting its miss would show its box straight after the first closed.
  if (e2e::WaitUntil([&] { return !MessageBoxes(vam).empty(); }, 1500)) {
    return ::testing::AssertionFailure() << "a second box followed";
  }
  return ::testing::AssertionSuccess();
}

// Opens the find dialog with F; edit is its text box once that has the keyboard focus, else null.
HWND OpenFindDialog(const Program& vam, HWND& edit) {
  vam.Keys({'F'});
  HWND dialog = vam.WaitTopWindow(L"#32770");
  edit = nullptr;
  if (dialog == nullptr) return nullptr;
  const std::vector<HWND> edits = e2e::ChildWindows(dialog, L"Edit");
  if (edits.empty() || !e2e::BringToFront(dialog)) return dialog;
  if (e2e::WaitUntil([&] { return vam.Focus() == edits.front(); })) edit = edits.front();
  return dialog;
}

// 200 numbered lines, "needle" on three of them, far from the last screenful.
struct NeedleFile {
  std::string text;
  std::vector<int> lines = {20, 60, 100};
  std::vector<int> hits;  // character positions (LF and the view's CR both count one)
  NeedleFile() {
    for (int i = 0; i < 200; ++i) {
      char line[32];
      std::snprintf(line, sizeof line, "line %03d", i);
      text += line;
      if (std::find(lines.begin(), lines.end(), i) != lines.end()) {
        text += " has a ";
        hits.push_back(static_cast<int>(text.size()));
        text += "needle";
      }
      text += "\n";
    }
  }
};

class FindE2E : public ::testing::TestWithParam<bool> {};

TEST_P(FindE2E, FindNextSelectsTheHitFindAgainWrapsAndAMissIsReportedOnce) {
  const bool wrap = GetParam();
  const NeedleFile needles;
  TempFolder folder;
  const std::wstring file = folder.Put(L"needles.txt", needles.text);
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  ASSERT_TRUE(copy.WriteIni({{L"wordWrap", OnOff(wrap)}, {L"width", L"640"}, {L"height", L"480"}}));
  Program vam = copy.Start({file});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)needles.txt")) << Utf8(vam.Title());
  HWND view = vam.VisibleView();
  ASSERT_EQ(view, wrap ? vam.WrapView() : vam.NoWrapView());
  HWND hidden = wrap ? vam.NoWrapView() : vam.WrapView();
  ASSERT_TRUE(e2e::WaitUntil([&] { return !vam.ViewText().empty(); }));

  // Each hit: selected in both views, its line at the top of the visible one, the focus there.
  auto expectHit = [&](int index, const char* step) {
    SCOPED_TRACE(step);
    const DWORD at = static_cast<DWORD>(needles.hits[index]);
    const std::pair<DWORD, DWORD> wanted{at, at + 6};
    EXPECT_TRUE(e2e::WaitUntil([&] { return SelectionOf(view) == wanted; }))
        << "selection " << SelectionOf(view).first << ".." << SelectionOf(view).second << ", wanted " << at;
    EXPECT_EQ(SelectionOf(hidden), wanted);
    EXPECT_EQ(FirstVisibleLine(view), needles.lines[index]);
    EXPECT_EQ(vam.Focus(), view);
  };

  HWND edit = nullptr;
  HWND dialog = OpenFindDialog(vam, edit);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(e2e::OwnerOf(dialog), vam.Window());
  ASSERT_NE(edit, nullptr);
  e2e::SendText(L"Needle");  // the dialog opens case-insensitive
  e2e::SendChord({VK_RETURN});
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dialog); })) << "a hit closes the dialog";
  expectHit(0, "Find Next");

  vam.Keys({VK_F3});
  expectHit(1, "F3");
  vam.Keys({VK_SPACE});
  expectHit(2, "Space");
  vam.Keys({VK_F3});
  expectHit(0, "F3 past the last hit wraps to the first");

  // A miss from the dialog: the box once, the dialog stays open with the focus back in it.
  dialog = OpenFindDialog(vam, edit);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(e2e::WindowText(edit), L"Needle") << "the dialog shows the last text again";
  Ask(edit, EM_SETSEL, 0, -1);
  e2e::SendText(L"zebra");
  e2e::SendChord({VK_RETURN});
  EXPECT_TRUE(NotFoundShownOnce(vam));
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(e2e::WaitUntil([&] {
    HWND focus = vam.Focus();
    return focus == dialog || IsChild(dialog, focus);
  })) << "focus not back in the find dialog";
  EXPECT_EQ(SelectionOf(view), (std::pair<DWORD, DWORD>(needles.hits[0], needles.hits[0] + 6)));

  // Closed with Esc, the dialog leaves its text to the find-again keys: one box again.
  ASSERT_TRUE(e2e::BringToFront(dialog));
  e2e::SendChord({VK_ESCAPE});
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dialog); }));
  vam.Keys({VK_F3});
  EXPECT_TRUE(NotFoundShownOnce(vam));
  EXPECT_TRUE(e2e::WaitUntil([&] { return vam.Focus() == view; }));

  vam.Keys({VK_ESCAPE});
  EXPECT_EQ(vam.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ToolsE2E, FindE2E, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "WordWrapOn" : "WordWrapOff");
                         });

// Ctrl+C, and the clipboard's text once the program has replaced it.
std::string Copied(const Program& vam) {
  const DWORD before = e2e::ClipboardSequence();
  vam.Keys({VK_CONTROL, 'C'});
  const std::optional<std::wstring> text = e2e::WaitClipboardChange(before);
  return text ? Utf8(*text) : std::string("(clipboard unchanged)");
}

class CopyE2E : public ::testing::TestWithParam<bool> {};

TEST_P(CopyE2E, CtrlCPutsTheVisibleSelectionOnTheClipboardWithCrLf) {
  const bool wrap = GetParam();
  const e2e::ClipboardLock clipboard;
  ASSERT_TRUE(clipboard.Held());
  TempFolder folder;
  const std::wstring file = folder.Put(L"lines.txt", Utf8(L"first 日本語\nsecond line\nthird line\n"));
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  ASSERT_TRUE(copy.WriteIni({{L"wordWrap", OnOff(wrap)}}));
  Program vam = copy.Start({file});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)lines.txt")) << Utf8(vam.Title());
  HWND view = vam.VisibleView();
  ASSERT_EQ(view, wrap ? vam.WrapView() : vam.NoWrapView());
  HWND hidden = wrap ? vam.NoWrapView() : vam.WrapView();
  ASSERT_TRUE(e2e::WaitUntil([&] { return !vam.ViewText().empty(); }));

  // The hidden view's selection must play no part.
  Ask(hidden, EM_SETSEL, 12, 16);
  Ask(view, EM_SETSEL, 0, 0);
  ASSERT_TRUE(e2e::SetClipboardText(L"before"));
  vam.Keys({VK_SHIFT, VK_DOWN});
  vam.Keys({VK_SHIFT, VK_DOWN});
  EXPECT_EQ(Copied(vam), Utf8(L"first 日本語\r\nsecond line\r\n"));

  vam.Select(17, 21);  // "line" of the second line
  EXPECT_EQ(Copied(vam), "line");
  // Nothing selected: an empty text, not what was there before.
  vam.Select(5, 5);
  EXPECT_EQ(Copied(vam), "");
}

INSTANTIATE_TEST_SUITE_P(ToolsE2E, CopyE2E, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "WordWrapOn" : "WordWrapOff");
                         });

// A first line long enough to wrap several times in a 640-pixel window, then short ones.
std::string WrappingFile() {
  std::string text;
  for (int i = 0; i < 80; ++i) text += "word ";
  text += "\nb\nc\nd\ne\n";
  return text;
}
constexpr int kLineBStart = 401;  // 400 characters and the line end
constexpr int kInLineD = 406;     // just after the "d" of the fourth line

struct EditorCase {
  const char* name;
  bool wrap;
  // From the probe's path: the editor setting, and the arguments the probe should get for a
  // line number and the file's path.
  std::wstring (*templateFor)(const std::wstring& probe);
  std::vector<std::wstring> (*argumentsFor)(const std::wstring& line, const std::wstring& path);
  friend void PrintTo(const EditorCase& c, std::ostream* out) { *out << c.name; }
};

class EditorE2E : public ::testing::TestWithParam<EditorCase> {};

TEST_P(EditorE2E, ShiftEnterStartsTheEditorAtTheCaretLineAndCloses) {
  const EditorCase& c = GetParam();
  TempFolder folder;
  const std::wstring file = folder.Put(L"wrapping.txt", WrappingFile());
  TempFolder tools;
  const EditorProbe probe(tools);
  ASSERT_TRUE(probe.Ok());
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  ASSERT_TRUE(copy.WriteIni({{L"width", L"640"},
                             {L"height", L"480"},
                             {L"wordWrap", OnOff(c.wrap)},
                             {L"editor", c.templateFor(probe.Exe())}}));
  Program vam = copy.Start({file});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)wrapping.txt")) << Utf8(vam.Title());
  HWND view = vam.VisibleView();
  ASSERT_EQ(view, c.wrap ? vam.WrapView() : vam.NoWrapView());
  ASSERT_TRUE(e2e::WaitUntil([&] { return !vam.ViewText().empty(); }));

  // The line is the one holding the selection's end, counted as the visible view counts lines.
  vam.Select(kLineBStart, kInLineD);
  const int line = LineOf(view, kInLineD) + 1;
  if (c.wrap) {
    EXPECT_GT(line, 4) << "the first line did not wrap";
  } else {
    EXPECT_EQ(line, 4);
  }
  vam.Keys({VK_SHIFT, VK_RETURN});
  const auto args = probe.WaitArguments();
  ASSERT_TRUE(args.has_value()) << "the editor was not started";
  EXPECT_EQ(*args, c.argumentsFor(std::to_wstring(line), file));
  EXPECT_EQ(vam.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ToolsE2E, EditorE2E,
    ::testing::Values(EditorCase{"PathPlaceholderWordWrapOff", false,
                                 [](const std::wstring& probe) { return probe + L" +%l \"%t\""; },
                                 [](const std::wstring& line, const std::wstring& path) {
                                   return std::vector<std::wstring>{L"+" + line, path};
                                 }},
                      // Without "%t" the path comes last, quoted.
                      EditorCase{"PathAppendedWordWrapOn", true,
                                 [](const std::wstring& probe) { return L"\"" + probe + L"\" -n%l"; },
                                 [](const std::wstring& line, const std::wstring& path) {
                                   return std::vector<std::wstring>{L"-n" + line, path};
                                 }}),
    [](const ::testing::TestParamInfo<EditorCase>& info) { return std::string(info.param.name); });

struct NoEditorCase {
  const char* name;
  const wchar_t* editor;  // null: no editor key
  friend void PrintTo(const NoEditorCase& c, std::ostream* out) { *out << c.name; }
};

class NoEditorE2E : public ::testing::TestWithParam<NoEditorCase> {};

TEST_P(NoEditorE2E, ShiftEnterStartsNothingAndTheViewerStaysOpen) {
  TempFolder folder;
  // The file shown is a batch file, which a command of its quoted path alone runs on Windows
  // (Wine's CreateProcessW refuses the leading blank): run, it leaves a file behind.
  const std::wstring shown = folder.Put(L"shown.bat", "@echo off\r\necho started> \"%~dp0started.txt\"\r\n");
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  if (GetParam().editor != nullptr) {
    ASSERT_TRUE(copy.WriteIni({{L"editor", GetParam().editor}}));
  }
  Program vam = copy.Start({shown});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)shown.bat")) << Utf8(vam.Title());
  ASSERT_TRUE(e2e::WaitUntil([&] { return !vam.ViewText().empty(); }));

  vam.Keys({VK_SHIFT, VK_RETURN});
  EXPECT_FALSE(vam.WaitExit(1000).has_value()) << "the viewer closed";
  EXPECT_FALSE(e2e::WaitUntil([&] { return e2e::FileExists(folder.File(L"started.txt")); }, 500))
      << "the file shown was run";
  vam.Keys({VK_ESCAPE});
  EXPECT_EQ(vam.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ToolsE2E, NoEditorE2E,
    ::testing::Values(NoEditorCase{"NoEditorKey", nullptr}, NoEditorCase{"EmptyEditor", L""},
                      // The editor cannot be started: the viewer keeps the user's place.
                      NoEditorCase{"MissingEditorProgram", L"C:\\no\\such\\editor.exe +%l \"%t\""}),
    [](const ::testing::TestParamInfo<NoEditorCase>& info) { return std::string(info.param.name); });

}  // namespace
