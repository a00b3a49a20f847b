#include "tools/clipboard_win.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/program_state_win.h"
#include "app/wide_win.h"
#include "tools/line_ends.h"
#include "view/richedit_win.h"

namespace {

// A global memory block, freed unless the clipboard has taken it over.
class GlobalBlock {
 public:
  explicit GlobalBlock(std::size_t bytes) : block_(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes)) {}
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  ~GlobalBlock() {
    if (block_ != nullptr) GlobalFree(block_);
  }
  HGLOBAL get() const { return block_; }
  void HandOver() { block_ = nullptr; }

 private:
  HGLOBAL block_;
};

class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  ~GlobalLockGuard() {
    if (data_ != nullptr) GlobalUnlock(block_);
  }
  void* data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// The selection as the control gives it: paragraph ends as single CRs. The control is told the
// buffer's size, so no answer can overflow it; the room allows a CR LF at every position, as a
// control loaded in place of the system's might give them.
std::vector<wchar_t> SelectedText(HWND view, std::size_t& length) {
  const auto selection = richedit::GetSel(view);
  const std::size_t selected =
      selection.end > selection.start ? static_cast<std::size_t>(selection.end - selection.start) : 0;
  std::vector<wchar_t> text(2 * selected + 1, L'\0');
  const std::size_t got = richedit::SelectedText(view, text.data(), text.size());
  length = std::min(got, text.size() - 1);
  return text;
}

// The clipboard text in a block of its own: every CR followed by an LF, then the terminator.
bool FillBlock(GlobalBlock& block, std::u16string_view text) {
  if (block.get() == nullptr) return false;
  GlobalLockGuard lock(block.get());
  if (lock.data() == nullptr) return false;
  *WriteWithCrLf(text, static_cast<char16_t*>(lock.data())) = u'\0';
  return true;
}

}  // namespace

void CopySelection(HWND mainWindow, const AppSettings& settings) {
  const HWND view = VisibleView(settings, g_noWrapView, g_wrapView);
  std::size_t length = 0;
  std::vector<wchar_t> selection = SelectedText(view, length);
  const std::u16string_view text(U(selection.data()), length);
  const std::size_t converted = CrLfLength(text);
  if (converted >= SIZE_MAX / sizeof(wchar_t)) return;
  GlobalBlock block((converted + 1) * sizeof(wchar_t));
  if (!FillBlock(block, text)) return;
  std::vector<wchar_t>().swap(selection);  // not needed past this point

  OpenedClipboard clipboard(mainWindow);
  if (!clipboard.IsOpen()) return;
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, block.get()) != nullptr) block.HandOver();
}
