// One paint of a view with the overlay, beside the control's own WM_PAINT of the same screen, at
// the top and at the end of 20,000 and then 170,000 short lines of dense text (tabs, full-width spaces,
// numbers on), in both views. Under Wine the control's position and line questions walk the text from
// its start, so near the end each question the overlay asks of the view costs about as much as the
// control's whole paint; "questions" counts those that reach the view per paint.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "app/heap_win.h"
#include "view/richedit_win.h"
#include "view/view_proc_win.h"
#include "view/view_text_win.h"

namespace {

constexpr int kFirstLines = 20000;  // a smaller file first, for comparison
constexpr int kLines = 170000;

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

std::wstring Line(int n) {
  std::wstring line = L"\t" + std::to_wstring(n) +
                      L"\x3000"
                      L"ab\tcd";
  line += std::wstring(static_cast<size_t>(n % 7), L'x');
  if (n % 3 == 0)
    line +=
        L"\x3000"
        L"ef\tg";
  return line + L"\r";
}

// Counts the questions that reach the view and the time they take; installed over ViewWndProc.
WNDPROC g_viewProc = nullptr;
int g_questions = 0;
double g_questionTime = 0;

LRESULT CALLBACK CountingProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_POSFROMCHAR:
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_CHARFROMPOS:
    case EM_GETFIRSTVISIBLELINE: {
      ++g_questions;
      const double start = Now();
      const LRESULT result = CallWindowProcW(g_viewProc, view, message, wParam, lParam);
      g_questionTime += Now() - start;
      return result;
    }
    default:
      return CallWindowProcW(g_viewProc, view, message, wParam, lParam);
  }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Figures {
  double control = 0;
  double overlay = 0;
  double questions = 0;  // per paint with the overlay
  double questionTime = 0;
};

void Report(const char* what, const Figures& f) {
  std::printf("%-46s %8.2f %8.2f %6.2f %9.1f %9.2f\n", what, f.control, f.overlay, f.overlay / f.control,
              f.questions, f.questionTime);
}

// Times `act` with the control's own procedure on the view, then with the overlay's.
template <class Prepare, class Act>
Figures Measure(HWND view, WNDPROC controlProc, int samples, Prepare prepare, Act act) {
  const auto timed = [&] {
    prepare();
    const double start = Now();
    act();
    GdiFlush();
    return Now() - start;
  };
  std::vector<double> control, overlay;
  SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc));
  for (int k = 0; k < samples; ++k) control.push_back(timed());
  SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc));
  g_questions = 0;
  g_questionTime = 0;
  for (int k = 0; k < samples; ++k) overlay.push_back(timed());
  return {Median(control), Median(overlay), static_cast<double>(g_questions) / samples,
          g_questionTime / samples};
}

}  // namespace

int main() {
  UseLowFragmentationHeap();  // as the program does
  HMODULE library = LoadLibraryW(L"Riched20.dll");
  WNDCLASSW frameClass{};
  frameClass.lpfnWndProc = FrameProc;
  frameClass.hInstance = GetModuleHandleW(nullptr);
  frameClass.lpszClassName = L"VamOverlayBench";
  RegisterClassW(&frameClass);
  HWND frame = CreateWindowExW(0, frameClass.lpszClassName, L"Vam", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                               nullptr, nullptr, frameClass.hInstance, nullptr);
  RECT client{};
  GetClientRect(frame, &client);
  g_wrapView =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", 0x50200804 & ~WS_VISIBLE, 0, 0, client.right,
                      client.bottom, frame, reinterpret_cast<HMENU>(100), frameClass.hInstance, nullptr);
  g_noWrapView =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", 0x50300884, 0, 0, client.right, client.bottom,
                      frame, reinterpret_cast<HMENU>(100), frameClass.hInstance, nullptr);
  const auto controlProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(g_noWrapView, GWLP_WNDPROC));
  SubclassView(g_noWrapView);
  SubclassView(g_wrapView);

  g_appSettings.fontSize = 10;
  const std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), g_appSettings.fontName);
  g_appSettings.numberLine = 1;
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_BACKCOLOR;
  format.yHeight = 200;
  lstrcpynW(format.szFaceName, L"Tahoma", LF_FACESIZE);
  format.crBackColor = RGB(255, 255, 255);
  for (HWND view : {g_noWrapView, g_wrapView}) {
    richedit::SetBackgroundColor(view, format.crBackColor);
    richedit::SetCharFormatAll(view, format);
    richedit::SetTabStop(view, 32);
    richedit::SetLeftMargin(view, 56);
    richedit::LimitText(view, 0x7FFFFFFE);
  }
  ShowWindow(frame, SW_SHOW);
  UpdateWindow(frame);

  // The cases at one size of the text, in one view: the same screens painted by the control alone
  // and with the overlay.
  const auto runCases = [&](HWND view, const char* name) {
    g_appSettings.wordWrap = view == g_wrapView ? 1 : 0;
    ShowWindow(view == g_wrapView ? g_noWrapView : g_wrapView, SW_HIDE);
    ShowWindow(view, SW_SHOW);
    g_viewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    std::printf("%s, %d rows, %d characters\n", name, richedit::LineCount(view), richedit::TextLength(view));
    DiscardViewTextCopy();
    double start = Now();
    TakeViewTextCopy(view);
    std::printf("text copy and line starts, once per load: %.1f ms\n", Now() - start);
    const int end = static_cast<int>(CurrentViewTextCopy()->lines.starts.back());
    const auto at = [&](int where) {
      richedit::SetSel(view, where, where);
      richedit::ScrollCaret(view);
      richedit::LineScroll(view, -1000, 0);
    };
    const auto nothing = [] {};
    // A fresh screen: nothing kept of the layout, no measuring view made yet.
    const auto forget = [] { ForgetViewLayout(nullptr); };
    const auto repaint = [&] {
      InvalidateRect(view, nullptr, FALSE);
      UpdateWindow(view);
    };
    std::printf("%-46s %8s %8s %6s %9s %9s\n", "ms, median", "control", "overlay", "ratio", "questions",
                "their ms");
    for (const bool atEnd : {false, true}) {
      const std::string where = atEnd ? "end" : "top";
      at(atEnd ? end : 0);
      repaint();
      Report((where + ": repaint of the same screen").c_str(), Measure(view, controlProc, 15, nothing, repaint));
      Report((where + ": first paint of a fresh screen").c_str(), Measure(view, controlProc, 5, forget, repaint));
    }
    // Up from the end: each step shows rows not painted before; the control repaints at once.
    at(end);
    repaint();
    Report("end: one-row scroll step with its paint", Measure(view, controlProc, 9, nothing, [&] {
             richedit::LineScroll(view, 0, -1);
             UpdateWindow(view);
           }));
    const int page = client.bottom / 16;
    Report("end: page scroll step with its paint", Measure(view, controlProc, 5, nothing, [&] {
             richedit::LineScroll(view, 0, -page);
             UpdateWindow(view);
           }));
    SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_viewProc));
    std::printf("\n");
  };

  for (const int lines : {kFirstLines, kLines}) {
    std::wstring text;
    for (int n = 0; n < lines; ++n) text += Line(n);
    const double start = Now();
    for (HWND view : {g_noWrapView, g_wrapView}) richedit::StreamText(view, U(text));
    std::printf("%d lines streamed into both views: %.0f ms\n", lines, Now() - start);
    runCases(g_noWrapView, "no-wrap view");
    runCases(g_wrapView, "wrap view");
  }

  DestroyWindow(frame);
  FreeLibrary(library);
  return 0;
}
