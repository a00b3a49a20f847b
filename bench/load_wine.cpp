// Timed steps onto large files in the real Vam64.exe, against baselines measured in the same run:
//   shown:  Ctrl+Right from a small file onto the file until the visible view's text is on screen;
//   filled: the same step until both views hold the text (the program answers again);
// each against one bare EM_STREAMIN of the same text into one RichEdit20W of the same size here.
// A small file is stepped onto too, against one bare fill and one paint of such a control. Then
// the three ways of filling one control (EM_STREAMIN, appends of 64 K characters, WM_SETTEXT)
// side by side on the same texts.
// Keys need a desktop with focus: run it inside a Wine virtual desktop, e.g.
//   xvfb-run -a scripts/wine-desktop-run.sh build/win64/load_wine.exe
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "app/heap_win.h"
#include "view/richedit_win.h"

namespace {

constexpr int kRuns = 3;
constexpr DWORD kTimeoutMs = 600000;

double NowMs() {
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Fixture {
  const char* name;
  std::string bytes;   // the file
  std::wstring text;   // what the views hold, paragraph ends as CR
};

Fixture Japanese() {
  Fixture f{"16,000 Japanese lines, a tab and a U+3000 each (UTF-8)", {}, {}};
  for (int i = 0; i < 16000; ++i) {
    const std::wstring line = L"日本語の\tテキスト\x3000行 " + std::to_wstring(i) + L" です。漢字かな交じり文";
    f.bytes += e2e::Utf8(line) + "\r\n";
    f.text += line + L"\r";
  }
  return f;
}

// Lines of lineBytes bytes with CR LF, each starting with `word`, up to `bytes` bytes in all.
Fixture Ascii(const char* name, size_t lineBytes, size_t bytes, const std::string& word = "line") {
  Fixture f{name, {}, {}};
  const std::string alphabet = "The quick brown fox jumps over the lazy dog 0123456789 abcdefghijklmnopqrstuvwxyz";
  for (size_t n = 0; f.bytes.size() + lineBytes <= bytes; ++n) {
    std::string line = word + " " + std::to_string(n) + " " + alphabet;
    line.resize(lineBytes - 2, '.');
    f.bytes += line + "\r\n";
    f.text += std::wstring(line.begin(), line.end()) + L"\r";
  }
  return f;
}

// A band of rows of the view as the screen shows it.
std::vector<uint32_t> ScreenBand(HWND view, int top, int height) {
  RECT client{};
  GetClientRect(view, &client);
  POINT origin{0, top};
  ClientToScreen(view, &origin);
  const int width = client.right;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<const uint32_t*>(bits), pixels.size(), pixels.begin());
  SelectObject(memory, old);
  DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The program answers once it has handled everything before the question.
LRESULT TextLength(HWND view) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kTimeoutMs, &length)) return -1;
  return static_cast<LRESULT>(length);
}

struct StepFigures {
  double shown = -1;
  double filled = -1;
};

// Rows 2 to 7 of the view: below the caret's row and its rule, above most of a short file.
constexpr int kBandTop = 34;
constexpr int kBandHeight = 80;

StepFigures MeasureStep(const Fixture& small, const Fixture& large) {
  e2e::VamCopy copy;
  const e2e::TempFolder files;  // the two files alone, so the title reads (1/2) and (2/2)
  if (!copy.Ok()) return {};
  const std::wstring first = files.Put(L"a.txt", small.bytes);
  files.Put(L"b.txt", large.bytes);
  e2e::Program vam = copy.Start({first});
  if (!vam.Started() || !vam.Activate()) return {};
  const auto step = [&](WORD key) {
    vam.Activate();
    e2e::SendChord({VK_CONTROL, key});
  };
  // Once, to learn the picture and the length of the text shown.
  step(VK_RIGHT);
  if (!e2e::WaitUntil([&] { return vam.Title().rfind(L"(2/2)", 0) == 0; }, kTimeoutMs)) return {};
  const LRESULT length = TextLength(vam.VisibleView());
  Sleep(300);
  const std::vector<uint32_t> picture = ScreenBand(vam.VisibleView(), kBandTop, kBandHeight);
  std::vector<double> shown, filled;
  for (int run = 0; run < kRuns; ++run) {
    step(VK_LEFT);
    if (!e2e::WaitUntil([&] { return vam.Title().rfind(L"(1/2)", 0) == 0; }, kTimeoutMs)) return {};
    TextLength(vam.VisibleView());
    Sleep(300);
    const double t0 = NowMs();
    step(VK_RIGHT);
    double seen = -1;
    while (NowMs() - t0 < kTimeoutMs) {
      if (ScreenBand(vam.VisibleView(), kBandTop, kBandHeight) == picture) {
        seen = NowMs() - t0;
        break;
      }
      Sleep(2);  // each look asks the window system, which the program needs too
    }
    // Whichever view is hidden now: the program answers only when it has filled it.
    HWND hidden = vam.VisibleView() == vam.WrapView() ? vam.NoWrapView() : vam.WrapView();
    while (TextLength(hidden) != length && NowMs() - t0 < kTimeoutMs) {
      hidden = vam.VisibleView() == vam.WrapView() ? vam.NoWrapView() : vam.WrapView();
    }
    shown.push_back(seen);
    filled.push_back(NowMs() - t0);
  }
  PostMessageW(vam.Window(), WM_CLOSE, 0, 0);
  vam.WaitExit(kTimeoutMs);
  return {Median(shown), Median(filled)};
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// One RichEdit20W styled as the program's unwrapped view in a frame of the program's size.
class BareControl {
 public:
  BareControl() {
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"VamLoadBench";
    RegisterClassW(&frameClass);
    frame_ = CreateWindowExW(WS_EX_COMPOSITED, L"VamLoadBench", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             320, 240, nullptr, nullptr, frameClass.hInstance, nullptr);
    RECT client{};
    GetClientRect(frame_, &client);
    view_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", 0x50300884, 0, 0, client.right, client.bottom,
                            frame_, nullptr, frameClass.hInstance, nullptr);
    richedit::LimitText(view_, 0x7FFFFFFE);
  }
  ~BareControl() { DestroyWindow(frame_); }
  BareControl(const BareControl&) = delete;
  BareControl& operator=(const BareControl&) = delete;
  HWND View() const { return view_; }
  void Paint() const {
    InvalidateRect(view_, nullptr, FALSE);
    UpdateWindow(view_);
  }

 private:
  HWND frame_ = nullptr;
  HWND view_ = nullptr;
};

// A fresh control each time, so no run pays for deleting the text of the one before.
template <class Fill>
double TimeFill(const std::wstring& text, bool paint, Fill fill) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    BareControl control;
    const double t0 = NowMs();
    fill(control.View(), text);
    if (paint) control.Paint();
    GdiFlush();
    times.push_back(NowMs() - t0);
  }
  return Median(times);
}

void StreamIn(HWND view, const std::wstring& text) {
  richedit::StreamText(view, {reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

void Appends(HWND view, const std::wstring& text) {
  constexpr size_t kPiece = 65536;
  for (size_t at = 0; at < text.size(); at += kPiece) {
    const std::wstring piece = text.substr(at, kPiece);
    richedit::SetSel(view, -1, -1);
    SendMessageW(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
  }
}

void SetText(HWND view, const std::wstring& text) {
  SetWindowTextW(view, text.c_str());
}

void RedirectOutput() {
  if (const wchar_t* log = _wgetenv(L"VAM_E2E_LOG"); log != nullptr && *log != L'\0') {
    if (_wfreopen(log, L"a", stdout) != nullptr) setvbuf(stdout, nullptr, _IONBF, 0);
  }
}

void WriteExitCode(int code) {
  if (const wchar_t* path = _wgetenv(L"VAM_E2E_EXIT"); path != nullptr && *path != L'\0') {
    const std::unique_ptr<FILE, int (*)(FILE*)> f(_wfopen(path, L"w"), &std::fclose);
    if (f) std::fprintf(f.get(), "%d", code);
  }
}

// Arguments name the parts to run (japanese, ascii, limit, small, fill); none runs them all.
int Run(int argc, char** argv) {
  UseLowFragmentationHeap();  // as the program does, so the bare control is not slowed by the heap
  const auto wanted = [&](const char* part) {
    if (argc <= 1) return true;
    for (int i = 1; i < argc; ++i) {
      if (std::string(argv[i]) == part) return true;
    }
    return false;
  };
  LoadLibraryW(L"Riched20.dll");
  const Fixture small = Ascii("40 short ASCII lines", 50, 2000, "alpha");
  const Fixture smallNext = Ascii("40 short ASCII lines", 50, 2000, "bravo");
  std::printf("load_wine: medians of %d runs, ms; ratios to the bare fill of the same text\n", kRuns);
  std::printf("%-58s %9s %9s %9s %6s %6s\n", "step onto", "bare fill", "shown", "filled", "shown", "filled");
  int failures = 0;
  for (const char* part : {"japanese", "ascii", "limit"}) {
    if (!wanted(part)) continue;
    const std::string name = part;
    const Fixture large = name == "japanese" ? Japanese()
                          : name == "ascii"  ? Ascii("64,000 lines of 62 ASCII characters", 64, 64000 * 64)
                                             : Ascii("10,485,760 bytes of 64-byte ASCII lines", 64, 10485760);
    const double bare = TimeFill(large.text, false, StreamIn);
    const StepFigures step = MeasureStep(small, large);
    failures += step.shown < 0 || step.filled < 0;
    std::printf("%-58s %9.0f %9.0f %9.0f %6.2f %6.2f\n", large.name, bare, step.shown, step.filled,
                step.shown / bare, step.filled / bare);
  }
  if (wanted("small")) {
    const double barePainted = TimeFill(smallNext.text, true, StreamIn);
    const StepFigures smallStep = MeasureStep(small, smallNext);
    failures += smallStep.shown < 0;
    std::printf("%-58s %9.1f %9.1f %9.1f %6.2f %6s  (bare: fill and one paint)\n", "a small file (40 lines)",
                barePainted, smallStep.shown, smallStep.filled, smallStep.shown / barePainted, "");
  }
  if (!wanted("fill")) return failures == 0 ? 0 : 1;

  std::printf("\nfilling one control, ms          EM_STREAMIN  appends of 64 K  WM_SETTEXT\n");
  const Fixture sized[] = {Ascii("8,000 ASCII lines", 64, 8000 * 64), Ascii("16,000 ASCII lines", 64, 16000 * 64),
                           Japanese()};
  for (const Fixture& f : sized) {
    const double stream = TimeFill(f.text, false, StreamIn);
    const double appends = TimeFill(f.text, false, Appends);
    // A single WM_SETTEXT of the Japanese text takes minutes: left out.
    const bool japanese = f.text.find(L'\t') != std::wstring::npos;
    const double set = japanese ? -1 : TimeFill(f.text, false, SetText);
    std::printf("%-33s %11.0f  %15.0f  %10.0f\n", f.name, stream, appends, set);
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  RedirectOutput();
  const int code = Run(argc, argv);
  std::fflush(stdout);
  WriteExitCode(code);
  return code;
}
