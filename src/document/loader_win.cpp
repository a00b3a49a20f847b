// Reads one file into both views: the size question, one read, detection, decoding, the caret
// and the encoding label. The file is read once; every decoding works on the bytes in memory.
#include "document/loader_win.h"

#include <io.h>
#include <stdio.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdint>
#include <locale>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/file_win.h"
#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "document/decode.h"
#include "document/encoding_detect.h"
#include "view/richedit_win.h"
#include "view/view_proc_win.h"
#include "view/view_window_win.h"

namespace {

// The views count characters in 32-bit signed positions: more than this is never read whole.
constexpr std::uint64_t kLargestWholeRead = INT_MAX;
// Reads are split so no single call depends on the run-time library taking huge counts.
constexpr std::size_t kReadChunk = 64u << 20;

using File = UniqueFile;

File OpenForReading(const std::wstring& path) {
  return OpenSharedForReading(path, L"rb");
}

// 64-bit, so a file of 2 GiB or more is not taken for an empty one. A failed query counts as 0.
std::uint64_t FileSize(FILE* file) {
  const long long size = _filelengthi64(_fileno(file));
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

// How many bytes to read; nothing when the user cancels the large-file question.
std::optional<std::uint64_t> BytesToRead(HWND mainWindow, std::uint64_t size) {
  if (!NeedsLargeFileQuestion(size)) return size;
  switch (MessageBoxW(mainWindow, L"10MB以上あります。\n最後まで読み込みますか？", L"Vam", MB_YESNOCANCEL)) {
    case IDYES:
      return size <= kLargestWholeRead ? size : kLargeFileThreshold;
    case IDNO:
      return kLargeFileThreshold;
    default:
      return std::nullopt;
  }
}

// Reads up to `count` bytes. When there is no memory for them, the first 10 MiB instead, and
// `count` says so; false when even that cannot be had.
bool ReadBytes(FILE* file, std::uint64_t& count, std::vector<unsigned char>& bytes) {
  try {
    bytes.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    if (count <= kLargeFileThreshold) return false;
    count = kLargeFileThreshold;
    return ReadBytes(file, count, bytes);
  }
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::size_t chunk = std::min(bytes.size() - got, kReadChunk);
    const std::size_t read = fread(bytes.data() + got, 1, chunk, file);
    got += read;
    if (read < chunk) break;
  }
  bytes.resize(got);
  return true;
}

std::u16string Cp932ToUtf16(const unsigned char* bytes, std::size_t length) {
  const auto* text = reinterpret_cast<const char*>(bytes);
  const int count = static_cast<int>(std::min<std::size_t>(length, INT_MAX));
  const int units = MultiByteToWideChar(932, 0, text, count, nullptr, 0);
  if (units <= 0) return {};
  std::u16string out(static_cast<std::size_t>(units), u'\0');
  const int written = MultiByteToWideChar(932, 0, text, count, W(out.data()), units);
  out.resize(static_cast<std::size_t>(std::max(written, 0)));
  return out;
}

// The text to show; when memory runs out, that of the first 10 MiB, or nothing.
std::optional<std::u16string> Decode(DecodeMode mode, const std::vector<unsigned char>& bytes) {
  try {
    return DecodeText(mode, bytes.data(), bytes.size(), Cp932ToUtf16);
  } catch (const std::bad_alloc&) {
  }
  if (bytes.size() <= kLargeFileThreshold) return std::nullopt;
  try {
    return DecodeText(mode, bytes.data(), static_cast<std::size_t>(kLargeFileThreshold), Cp932ToUtf16);
  } catch (const std::bad_alloc&) {
  }
  return std::nullopt;
}

// After Shift_JIS text the run-time library's locale becomes the user's own (the find's case
// folding follows it). Some standard libraries know no locale of the empty name and throw; the
// C library's locale is set directly as well, so the switch happens either way.
void UseNativeLocale() {
  try {
    std::locale::global(std::locale(""));
  } catch (const std::exception&) {
  }
  std::setlocale(LC_ALL, "");
}

void PutCaretAtStart(HWND view) {
  const int start = richedit::LineIndex(view, richedit::FirstVisibleLine(view));
  richedit::SetSel(view, start, start);
}

// The third top-level menu item, taken by position.
void SetEncodingLabel(HWND mainWindow, HMENU menu, std::u16string_view label) {
  std::wstring text(W(label));
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  SetMenuItemInfoW(menu, 2, TRUE, &info);
  DrawMenuBar(mainWindow);
}

// Some window systems (Wine's) put what a window painted on the screen only when its thread next
// looks for input. A look at a key's state is such a look and takes and dispatches nothing, so the
// text shows while the hidden view is still filled; a second look when the first found input to
// note first.
void ShowPaintedNow() {
  GetAsyncKeyState(VK_SHIFT);
  GetAsyncKeyState(VK_SHIFT);
}

// The wait cursor while a load runs, the cursor before it again afterwards on every path.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  // After a message box, which shows its own cursor.
  void Show() const { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

 private:
  HCURSOR previous_;
};

}  // namespace

void LoadTextFile(HWND mainWindow, HWND& noWrapView, HWND& wrapView, const std::wstring& path,
                  AppSettings settings, HMENU menu) {
  const WaitCursor waiting;
  EmptyView(noWrapView, settings);
  EmptyView(wrapView, settings);
  // Dropped here, the copy is taken again by the first paint from now on (behind the size
  // question, or the visible view's own below) from the text as it is then: the views never show
  // the previous file's marks, and the copy the load leaves behind is that of the new text.
  DiscardViewTextCopy();
  std::vector<unsigned char> bytes;
  std::uint64_t count = 0;
  {
    const File file = OpenForReading(path);
    if (!file) return;
    const std::optional<std::uint64_t> wanted = BytesToRead(mainWindow, FileSize(file.get()));
    if (!wanted) {
      // Posted: the window closes once this load has returned to the message loop.
      PostMessageW(mainWindow, WM_CLOSE, 0, 0);
      return;
    }
    waiting.Show();
    count = *wanted;
    if (!ReadBytes(file.get(), count, bytes)) return;
  }

  const TextEncoding detected =
      DetectTextEncoding(bytes.data(), DetectionWindowLength(bytes.data(), kDetectionWindow, bytes.size()));
  const DecodeMode mode = ChooseDecodeMode(settings.encoding, detected, bytes.data(), bytes.size());
  if (mode == DecodeMode::ShiftJis) UseNativeLocale();

  richedit::LimitText(noWrapView, static_cast<unsigned>(count));
  richedit::LimitText(wrapView, static_cast<unsigned>(count));

  std::optional<std::u16string> text = Decode(mode, bytes);
  if (!text) return;
  // The bytes go before the views make their own copies of the text.
  std::vector<unsigned char>().swap(bytes);

  // The visible view is filled, labelled and painted first: the text shows while the hidden view
  // is still being filled, and nothing can look at the views before this returns.
  const bool wrapShown = settings.wordWrap == 1;
  const HWND visible = wrapShown ? wrapView : noWrapView;
  const HWND hidden = wrapShown ? noWrapView : wrapView;
  richedit::StreamTextDeferringPaint(visible, *text);
  PutCaretAtStart(visible);
  SetEncodingLabel(mainWindow, menu, EncodingLabel(mode));
  UpdateWindow(visible);
  ShowPaintedNow();
  richedit::StreamTextDeferringPaint(hidden, *text);
}
