// What the Windows tests share: a clean program state at the start of every test, the main
// window's stand-in with its two views, the answerer of message boxes, a temporary folder and
// counts of the process's drawing and window objects.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"

// The end-to-end harness's folder: fresh under the temporary folder, removed with all it holds.
using TempFolder = e2e::TempFolder;

// What the frame's procedure saw: WM_CLOSE (recorded, not acted on: the frame's owner destroys
// it) and WM_PAINT sent by hand, as the program sends it (no device context, no rectangle).
extern int g_closeCount;
extern int g_paintCount;

// A message box the answerer saw, in the order they showed.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool yesNoCancel = false;  // Yes, No and Cancel, and no OK
};
extern std::vector<SeenBox> g_boxes;
// The button the answerer presses on each box.
extern int g_boxAnswer;

// Every test starts here: the program-wide objects as at the program's start (settings, folder
// list, find record and dialog, views and menu, the views' text copy and layout memo), the
// run-time library's classic locale, no key held down, an empty message queue, and nothing
// recorded (closes, paints, boxes; the answer back to OK).
class WinFixture : public ::testing::Test {
 protected:
  WinFixture();
};

template <typename Param>
class WinFixtureWithParam : public WinFixture, public ::testing::WithParamInterface<Param> {};

struct FrameOptions {
  int width = 480;
  int height = 360;
  bool menu = true;  // the program's menu bar, which also becomes g_menu
  bool show = true;  // shown as the program shows it; a hidden frame is taken down faster under Wine
};

// The main window's stand-in: a top-level window, the program's menu, and the two rich-edit
// views made as the main window makes them (class, styles, frame, child id, the client area's
// size; the view that wordWrap hides is hidden). It becomes g_mainWindow, g_wrapView,
// g_noWrapView and g_menu until it goes. Its procedure records as above and hands the find
// dialog's requests to the main window's own procedure.
class TestFrame {
 public:
  explicit TestFrame(const FrameOptions& options = {});
  ~TestFrame();
  TestFrame(const TestFrame&) = delete;
  TestFrame& operator=(const TestFrame&) = delete;

  bool Ok() const { return window_ != nullptr && wrapView_ != nullptr && noWrapView_ != nullptr; }
  HWND Window() const { return window_; }
  HWND WrapView() const { return wrapView_; }
  HWND NoWrapView() const { return noWrapView_; }
  HMENU Menu() const { return menu_; }

 private:
  HMODULE library_ = nullptr;
  HMENU menu_ = nullptr;
  HWND window_ = nullptr;
  HWND wrapView_ = nullptr;
  HWND noWrapView_ = nullptr;
};

// While it lives, a timer that runs inside modal loops answers every message box of this thread
// with g_boxAnswer and records it in g_boxes. The find dialog is no message box.
class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

 private:
  UINT_PTR timer_ = 0;
};

// Live GDI objects (fonts, bitmaps, DCs, brushes...) and USER objects (windows, menus, icons,
// accelerator tables) of this process, as GetGuiResources counts them. Wine answers 0 there;
// then its handle tables are walked: a handle whose upper half is zero names its slot whatever
// the slot's generation.
int GdiObjectCount();
int UserObjectCount();
// Open kernel handles of this process (files, events, threads...). Wine answers 0 to the count;
// then the handle values are probed.
int KernelHandleCount();
// Private memory committed to this process (PrivateUsage). Wine's psapi leaves that field empty;
// then its equal in the older structure, PagefileUsage (there: anonymous memory in use).
SIZE_T PrivateBytes();
