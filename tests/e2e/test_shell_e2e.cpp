// The frame around the views: the rich-edit library it falls back to, activation and focus, and
// the window's size limits.
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_harness.h"

namespace {

using e2e::Program;
using e2e::TempFolder;
using e2e::Utf8;
using e2e::VamCopy;

struct DllCase {
  const char* name;
  const wchar_t* dll;
  friend void PrintTo(const DllCase& c, std::ostream* out) { *out << c.name; }
};

class DllFallback : public ::testing::TestWithParam<DllCase> {};

TEST_P(DllFallback, TheFileStillShowsInTheSystemRichEdit) {
  TempFolder folder;
  const std::wstring file = folder.Put(L"shown.txt", "text in the view");
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  ASSERT_TRUE(copy.WriteIni({{L"dll", GetParam().dll}}));
  Program vam = copy.Start({file});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)shown.txt")) << Utf8(vam.Title());
  EXPECT_TRUE(vam.WaitViewText(L"text in the view")) << Utf8(vam.ViewText());
  const std::vector<HWND> views = vam.Views();
  ASSERT_EQ(views.size(), 2u);
  for (HWND view : views) EXPECT_EQ(e2e::ClassNameOf(view), L"RichEdit20W");
  EXPECT_NE(vam.WrapView(), vam.NoWrapView());
  vam.Keys({VK_ESCAPE});
  EXPECT_EQ(vam.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ShellE2E, DllFallback,
                         ::testing::Values(
                             // Loads, but registers no class of the name the program asks for.
                             DllCase{"LibraryWithoutTheClass", L"comctl32.dll"},
                             DllCase{"MissingLibrary", L"no-such.dll"}),
                         [](const ::testing::TestParamInfo<DllCase>& info) {
                           return std::string(info.param.name);
                         });

// A top-level window of the driver itself, to take the activation away from the program.
class DriverWindow {
 public:
  DriverWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300,
                                300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~DriverWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  DriverWindow(const DriverWindow&) = delete;
  DriverWindow& operator=(const DriverWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

TEST(ShellE2E, LeavesTheActivationToAnotherWindowAndFocusesItsViewWhenActivatedAgain) {
  TempFolder folder;
  const std::wstring a = folder.Put(L"a.txt", "alpha\nsecond line\n");
  folder.Put(L"b.txt", "bravo");
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({a});
  ASSERT_TRUE(vam.WaitTitle(L"(1/2)a.txt")) << Utf8(vam.Title());
  ASSERT_TRUE(e2e::WaitUntil([&] { return !vam.ViewText().empty(); }));
  ASSERT_TRUE(vam.Activate());

  DriverWindow other;
  ASSERT_NE(other.get(), nullptr);
  ASSERT_TRUE(e2e::BringToFront(other.get()));
  // A program that focuses its view while losing the activation may take it back. Wine 8 keeps
  // the activation where it was put even then, so here this guards against worse: any pull-back.
  EXPECT_FALSE(e2e::WaitUntil([&] { return GetForegroundWindow() != other.get(); }, 1500))
      << "the activation went back to " << (GetForegroundWindow() == vam.Window() ? "Vam" : "another window");

  ASSERT_TRUE(vam.Activate());
  HWND view = vam.VisibleView();
  EXPECT_TRUE(e2e::WaitUntil([&] { return vam.Focus() == view; }));
  // Keys reach the view: the caret moves down a line, and the program's keys work.
  e2e::SendChord({VK_DOWN});
  EXPECT_TRUE(e2e::WaitUntil([&] { return vam.Selection() == std::pair<DWORD, DWORD>(6, 6); }))
      << "selection " << vam.Selection().first << ".." << vam.Selection().second;
  e2e::SendChord({VK_CONTROL, VK_RIGHT});
  EXPECT_TRUE(vam.WaitTitle(L"(2/2)b.txt")) << Utf8(vam.Title());
}

TEST(ShellE2E, WindowSizeStaysBetween320x240And2048x2048) {
  TempFolder folder;
  const std::wstring file = folder.Put(L"shown.txt", "text");
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  Program vam = copy.Start({file});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)shown.txt")) << Utf8(vam.Title());

  // A size set from outside meets the window's minimum and maximum as a drag of the frame does.
  // The large ones exceed the 1024x768 desktop, whose default maximum would be far smaller.
  struct SizeCase {
    const char* name;
    SIZE asked;
    SIZE wanted;
  };
  const SizeCase cases[] = {{"too small", {100, 100}, {320, 240}},
                            {"within the limits", {500, 400}, {500, 400}},
                            {"too large", {3000, 2500}, {2048, 2048}},
                            {"too wide and too low", {2500, 100}, {2048, 240}},
                            {"at the limits", {2048, 240}, {2048, 240}}};
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(
        SetWindowPos(vam.Window(), nullptr, 10, 10, c.asked.cx, c.asked.cy, SWP_NOZORDER | SWP_NOACTIVATE));
    auto size = [&] {
      const RECT r = vam.WindowRect();
      return std::pair<LONG, LONG>(r.right - r.left, r.bottom - r.top);
    };
    const std::pair<LONG, LONG> wanted(c.wanted.cx, c.wanted.cy);
    EXPECT_TRUE(e2e::WaitUntil([&] { return size() == wanted; }))
        << "size " << size().first << "x" << size().second << ", wanted " << wanted.first << "x"
        << wanted.second;

    // The visible view fills the client area at any size.
    RECT client{};
    GetClientRect(vam.Window(), &client);
    RECT view{};
    EXPECT_TRUE(e2e::WaitUntil([&] {
      GetWindowRect(vam.VisibleView(), &view);
      return view.right - view.left == client.right && view.bottom - view.top == client.bottom;
    })) << "view "
        << view.right - view.left << "x" << view.bottom - view.top << ", client " << client.right << "x"
        << client.bottom;
  }
  vam.Keys({VK_ESCAPE});
  EXPECT_EQ(vam.WaitExit(), 0u);
}

}  // namespace
