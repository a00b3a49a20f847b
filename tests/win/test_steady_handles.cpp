// A long session in the program's own main window: a thousand steps through a folder of every
// encoding, with repaints, font size steps and word wrap toggles between, must leave the drawing,
// window and kernel objects where they started and the private memory flat.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_window_win.h"
#include "app/program_state_win.h"
#include "document/folder_list_win.h"
#include "win_fixture.h"

namespace {

// The program's main window, as WinMain makes and shows it. Its settings file is the test
// program's own (absent); the window is destroyed without a close, so none is written.
HWND CreateProgramWindow() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterMainWindowClass(instance);  // fails harmlessly when registered before
  HWND window = CreateMainWindow(instance);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  return window;
}

void DestroyProgramWindow(HWND window) {
  DestroyWindow(window);
  // The main window ends the message loop as it goes; no loop runs here.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (g_richEditLibrary != nullptr) FreeLibrary(g_richEditLibrary);
  g_richEditLibrary = nullptr;
}

// What the message loop would do with whatever is waiting.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A command as an accelerator sends it, with the keyboard focus in the visible view.
void Command(HWND window, int id) {
  SetFocus(VisibleView(g_appSettings, g_noWrapView, g_wrapView));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

// Lines of each kind the views mark: tabs, full-width spaces, lines that wrap.
std::wstring MixedText(int seed) {
  std::wstring text;
  for (int line = 0; line < 20; ++line) {
    text += L"行 " + std::to_wstring(seed * 1000 + line) + L"\tタブ\x3000全角 ";
    if (line % 10 == 0) text += std::wstring(200, L'w');
    text += L"\r\n";
  }
  return text;
}

// One step: to the next file, turning at either end of the folder (six files: ten steps there and
// back); every fifth step the font a point larger or smaller (five up, five down: fifty steps),
// every tenth the word wrap toggled; then a repaint of everything. Every hundred steps all is as
// it was a hundred steps before.
class Stepper {
 public:
  explicit Stepper(HWND window) : window_(window) {}
  void Step() {
    ++steps_;
    if (g_folderFileList.currentIndex == g_folderFileList.lastIndex) direction_ = IDM_PREV_FILE;
    if (g_folderFileList.currentIndex == 0) direction_ = IDM_NEXT_FILE;
    Command(window_, direction_);
    if (steps_ % 5 == 0) Command(window_, (sizeSteps_++ / 5) % 2 == 0 ? IDM_KEY_ADD : IDM_KEY_SUBTRACT);
    if (steps_ % 10 == 0) Command(window_, IDM_WORD_WRAP);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
  }

 private:
  HWND window_;
  int steps_ = 0;
  int sizeSteps_ = 0;
  int direction_ = IDM_NEXT_FILE;
};

struct Sample {
  int step = 0;
  int gdi = 0;
  int user = 0;
  int kernel = 0;
  SIZE_T privateBytes = 0;
};

Sample Measure(int step) {
  Sample sample{step, GdiObjectCount(), UserObjectCount(), KernelHandleCount(), PrivateBytes()};
  std::printf("step %4d: %d GDI objects, %d USER objects, %d kernel handles, %zu KiB private\n", step,
              sample.gdi, sample.user, sample.kernel, sample.privateBytes / 1024);
  return sample;
}

using SteadyHandles = WinFixture;

TEST_F(SteadyHandles, AThousandStepsWithRepaintsFontSizesAndWrapTogglesLeakNothing) {
  TempFolder folder;
  const std::vector<std::wstring> files = {
      folder.Put(L"a-utf8.txt", e2e::Utf8(MixedText(1))),
      folder.Put(L"b-utf8-bom.txt", "\xEF\xBB\xBF" + e2e::Utf8(MixedText(2))),
      folder.Put(L"c-sjis.txt", e2e::CodePageBytes(MixedText(3), 932)),
      folder.Put(L"d-utf16le.txt", e2e::Utf16LeBytes(MixedText(4), true)),
      folder.Put(L"e-utf16be.txt", e2e::Utf16BeBytes(MixedText(5), true)),
      folder.Put(L"f-binary.bin", std::string("bin\0ary\x01\x80\xFF\r\n", 13) + e2e::Utf8(MixedText(6))),
  };
  const HWND window = CreateProgramWindow();
  ASSERT_NE(window, nullptr);
  LoadDocument(window, files.front());
  ASSERT_EQ(g_folderFileList.entries.size(), files.size());

  // Each file, each font size and both wrap states once: the caches the system fills on first use
  // (each control keeps the fonts of the last sizes it drew) are full after this.
  Stepper stepper(window);
  Measure(-50);
  for (int i = 0; i < 50; ++i) stepper.Step();

  constexpr int kSteps = 1000;
  std::vector<Sample> samples = {Measure(0)};
  for (int step = 1; step <= kSteps; ++step) {
    stepper.Step();
    if (step % 100 == 0) samples.push_back(Measure(step));
  }
  EXPECT_EQ(CurrentPath(), files[static_cast<size_t>(g_folderFileList.currentIndex)]) << "stepping went on";

  // A leak of one object per hundred steps would show ten.
  constexpr int kObjectAllowance = 4;
  const Sample& start = samples.front();
  const Sample& end = samples.back();
  EXPECT_LE(std::abs(end.gdi - start.gdi), kObjectAllowance);
  EXPECT_LE(std::abs(end.user - start.user), kObjectAllowance);
  EXPECT_LE(std::abs(end.kernel - start.kernel), kObjectAllowance);
  // From the second hundred steps on the memory a step needs has been had once; a step that kept
  // even half a kilobyte would add most of a mebibyte by the end.
  constexpr SIZE_T kMemoryAllowance = 512 * 1024;
  ASSERT_GT(samples[1].privateBytes, 0u);
  for (const Sample& s : samples) {
    if (s.step > 100) {
      EXPECT_LE(s.privateBytes, samples[1].privateBytes + kMemoryAllowance) << "step " << s.step;
    }
  }
  DestroyProgramWindow(window);
}

}  // namespace
