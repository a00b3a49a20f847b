// LoadTextFile into two real rich-edit views under the program's real menu, with real files in a
// temp folder. The large-file question is answered from a timer that runs inside its modal loop.
#include <windows.h>
#include <richedit.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings.h"
#include "document/loader_win.h"
#include "view/richedit_win.h"

namespace {

constexpr DWORD kWrapViewStyle = 0x50200804;
constexpr DWORD kNoWrapViewStyle = 0x50300884;
constexpr std::size_t kThreshold = 10485760;

int g_closeCount = 0;

LRESULT CALLBACK TestMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++g_closeCount;  // recorded only: the fixture destroys the window itself
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// What each question box showed, and the button the timer pressed on it.
struct Question {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool yesNoCancel = false;
};
std::vector<Question> g_questions;
int g_answer = IDYES;
HWND g_answered = nullptr;

BOOL CALLBACK AnswerIfQuestion(HWND window, LPARAM) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (window == g_answered || wcscmp(className, L"#32770") != 0) return TRUE;
  Question q;
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  q.caption = buffer;
  GetDlgItemTextW(window, 0xFFFF, buffer, 256);  // the message box's text control
  q.text = buffer;
  q.owner = GetWindow(window, GW_OWNER);
  q.yesNoCancel = GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO) && GetDlgItem(window, IDCANCEL) &&
                  !GetDlgItem(window, IDOK);
  g_questions.push_back(q);
  g_answered = window;
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, g_answer)));
  return FALSE;
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerIfQuestion, 0);
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    library_ = LoadLibraryW(L"Riched20.dll");
    ASSERT_NE(library_, nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TestMainProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"VamLoaderTest";
    RegisterClassExW(&wc);
    menu_ = LoadMenuW(instance, L"VAM_MENU");
    ASSERT_NE(menu_, nullptr);
    main_ = CreateWindowExW(0, L"VamLoaderTest", L"Vam", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, menu_,
                            instance, nullptr);
    ASSERT_NE(main_, nullptr);
    wrap_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", kWrapViewStyle, 0, 0, 600, 400, main_,
                            reinterpret_cast<HMENU>(100), instance, nullptr);
    noWrap_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"", kNoWrapViewStyle, 0, 0, 600, 400, main_,
                              reinterpret_cast<HMENU>(100), instance, nullptr);
    ASSERT_TRUE(wrap_ && noWrap_);
    timer_ = SetTimer(nullptr, 0, 20, AnswerTimer);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"vam-loader-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dir_.c_str(), nullptr);
  }

  void TearDown() override {
    KillTimer(nullptr, timer_);
    if (main_) DestroyWindow(main_);  // destroys the menu with it
    for (const std::wstring& f : files_) DeleteFileW(f.c_str());
    RemoveDirectoryW(dir_.c_str());
    if (library_) FreeLibrary(library_);
  }

  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = dir_ + name;
    FILE* f = _wfopen(path.c_str(), L"wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      fwrite(bytes.data(), 1, bytes.size(), f);
      fclose(f);
    }
    files_.push_back(path);
    return path;
  }

  // A file of `size` bytes that the system stores sparse: a UTF-16LE mark, "A", then zeros.
  std::wstring WriteSparse(const std::wstring& name, long long size) {
    const std::wstring path = dir_ + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h,
              "\xFF\xFE"
              "A\0",
              4, &written, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    files_.push_back(path);
    return path;
  }

  void Load(const std::wstring& path, int encoding = 0, int wordWrap = 0) {
    AppSettings settings;
    settings.encoding = encoding;
    settings.wordWrap = wordWrap;
    LoadTextFile(main_, noWrap_, wrap_, path, settings, menu_);
  }

  std::wstring Label() const {
    wchar_t buffer[64] = {};
    GetMenuStringW(menu_, 2, buffer, 64, MF_BYPOSITION);
    return buffer;
  }

  void ExpectBothViews(const std::wstring& text) const {
    EXPECT_EQ(richedit::RawText(noWrap_), text);
    EXPECT_EQ(richedit::RawText(wrap_), text);
  }

  HMODULE library_ = nullptr;
  HMENU menu_ = nullptr;
  HWND main_ = nullptr;
  HWND wrap_ = nullptr;
  HWND noWrap_ = nullptr;
  UINT_PTR timer_ = 0;
  std::wstring dir_;
  std::vector<std::wstring> files_;
};

using namespace std::string_literals;

TEST_F(Loader, EveryDecodingPathFillsBothViewsPlacesTheCaretAndRelabels) {
  struct Case {
    const char* name;
    std::string bytes;
    int encoding;
    int wordWrap;
    std::wstring text;  // as the views give it back: a paragraph ends with a single CR
    const wchar_t* label;
  };
  const std::vector<Case> cases = {
      {"UTF-8 detected", "\xE3\x81\x82\xE3\x81\x84\r\nabc", 0, 0, L"あい\rabc", L"UTF-8(&C)"},
      {"UTF-8 with mark", "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC", 0, 1, L"日本", L"UTF-8(&C)"},
      {"invalid UTF-8 shown with replacements", "caf\xE9!", 0, 0, L"caf\uFFFD!", L"UTF-8(&C)"},
      {"UTF-8 forced skips a mark",
       "\xEF\xBB\xBF"
       "abc",
       2, 0, L"abc", L"UTF-8(&C)"},
      {"UTF-16LE with mark",
       "\xFF\xFE"
       "A\0B\0\x00\x4E"s,
       0, 0, L"AB一", L"UTF-16LE(&C)"},
      {"UTF-16LE forced keeps a first character without mark", "A\0B\0"s, 4, 1, L"AB", L"UTF-16LE(&C)"},
      {"UTF-16BE", "\xFE\xFF\0A\0B\x4E\x00"s, 0, 0, L"AB一", L"UTF-16BE(&C)"},
      {"binary", "a\tb\0c\x80\r\nd"s, 0, 1, L"a b c \rd", L"BINARY(&C)"},
      // From here on the run-time library's locale is the native one.
      {"Shift_JIS detected", "\x82\xA0\x82\xA2\r\n\x8A\xBF\x8E\x9A", 0, 0, L"あい\r漢字", L"ShiftJIS(&C)"},
      {"Shift_JIS forced ends at a zero byte", "ab\0cd"s, 1, 1, L"ab", L"ShiftJIS(&C)"},
      {"empty file", "", 0, 0, L"", L"ShiftJIS(&C)"},
  };
  ASSERT_STREQ(setlocale(LC_ALL, nullptr), "C");
  bool shiftJisSeen = false;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = Write(L"case" + std::to_wstring(n++) + L".txt", c.bytes);
    Load(path, c.encoding, c.wordWrap);
    ExpectBothViews(c.text);
    EXPECT_EQ(Label(), c.label);
    const HWND visible = c.wordWrap == 1 ? wrap_ : noWrap_;
    const richedit::Selection sel = richedit::GetSel(visible);
    EXPECT_EQ(sel.start, 0);
    EXPECT_EQ(sel.end, 0);
    if (!c.bytes.empty()) {
      EXPECT_EQ(richedit::TextLimit(noWrap_), c.bytes.size());
      EXPECT_EQ(richedit::TextLimit(wrap_), c.bytes.size());
    }
    shiftJisSeen = shiftJisSeen || std::wstring(c.label) == L"ShiftJIS(&C)";
    EXPECT_EQ(std::string(setlocale(LC_ALL, nullptr)) != "C", shiftJisSeen) << setlocale(LC_ALL, nullptr);
  }
  EXPECT_TRUE(g_questions.empty());
}

TEST_F(Loader, UnreadableFileLeavesBothViewsEmptyAndTheLabelAsItWas) {
  EXPECT_EQ(Label(), L"CODE");
  Load(L"");
  ExpectBothViews(L"");
  EXPECT_EQ(Label(), L"CODE");

  const std::wstring good = Write(L"good.txt",
                                  "\xFF\xFE"
                                  "A\0"s);
  const std::wstring locked = Write(L"locked.txt", "abc");
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const std::wstring unreadable[] = {dir_ + L"missing.txt", locked, dir_};
  for (const std::wstring& path : unreadable) {
    Load(good);
    ExpectBothViews(L"A");
    Load(path);
    ExpectBothViews(L"");
    EXPECT_EQ(Label(), L"UTF-16LE(&C)");
  }
  CloseHandle(lock);
}

TEST_F(Loader, FileThatAnotherProgramIsWritingIsShown) {
  // A log still open for writing elsewhere, sharing read and write.
  const std::wstring log = Write(L"app.log", "line 1\r\n");
  HANDLE writer = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  Load(log);
  ExpectBothViews(L"line 1\r");
  CloseHandle(writer);
}

TEST_F(Loader, TheHiddenViewStaysHiddenAndTheShownOneShown) {
  ShowWindow(main_, SW_SHOW);
  ShowWindow(wrap_, SW_HIDE);
  Load(Write(L"shown.txt", "abc"));
  ExpectBothViews(L"abc");
  EXPECT_TRUE(IsWindowVisible(noWrap_));
  EXPECT_FALSE(IsWindowVisible(wrap_));
}

TEST_F(Loader, LargeFileQuestionAboveTenMebibytesYesReadsAllNoTheStart) {
  // A UTF-16LE text "AB" and zeros: the views get two characters however much is read.
  std::string bytes =
      "\xFF\xFE"
      "A\0B\0"s;
  bytes.resize(kThreshold, '\0');
  Load(Write(L"exact.txt", bytes));
  EXPECT_TRUE(g_questions.empty()) << "exactly 10,485,760 bytes is not asked about";
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold);
  ExpectBothViews(L"AB");

  bytes.push_back('\0');
  const std::wstring large = Write(L"large.txt", bytes);
  g_answer = IDYES;
  Load(large);
  ASSERT_EQ(g_questions.size(), 1u);
  EXPECT_EQ(g_questions[0].caption, L"Vam");
  EXPECT_EQ(g_questions[0].text, L"10MB以上あります。\n最後まで読み込みますか？");
  EXPECT_EQ(g_questions[0].owner, main_);
  EXPECT_TRUE(g_questions[0].yesNoCancel);
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold + 1);
  EXPECT_EQ(richedit::TextLimit(wrap_), kThreshold + 1);
  ExpectBothViews(L"AB");
  EXPECT_EQ(Label(), L"UTF-16LE(&C)");

  g_answer = IDNO;
  Load(large);
  ASSERT_EQ(g_questions.size(), 2u);
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold);
  EXPECT_EQ(richedit::TextLimit(wrap_), kThreshold);
  ExpectBothViews(L"AB");
  EXPECT_EQ(g_closeCount, 0);
}

TEST_F(Loader, LargeFileQuestionCancelClosesTheMainWindowWithTheViewsEmpty) {
  Load(Write(L"small.txt", "small"));
  ASSERT_EQ(Label(), L"ShiftJIS(&C)");
  std::string bytes =
      "\xEF\xBB\xBF"
      "abc";
  bytes.resize(kThreshold + 1, 'x');
  g_answer = IDCANCEL;
  Load(Write(L"large.txt", bytes));
  ASSERT_EQ(g_questions.size(), 1u);
  ExpectBothViews(L"");
  EXPECT_EQ(Label(), L"ShiftJIS(&C)");
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(g_closeCount, 1);
}

TEST_F(Loader, FileOfFourGibibytesIsAskedAboutAndYesFallsBackToTheStart) {
  // Its size does not fit 32 bits (it would read as 5 bytes) nor can the views hold it whole.
  const std::wstring huge = WriteSparse(L"huge.txt", (4LL << 30) + 5);
  g_answer = IDYES;
  Load(huge);
  ASSERT_EQ(g_questions.size(), 1u);
  EXPECT_EQ(richedit::TextLimit(noWrap_), kThreshold);
  ExpectBothViews(L"A");
  EXPECT_EQ(Label(), L"UTF-16LE(&C)");
}

TEST_F(Loader, CharacterAcrossTheDetectionMebibyteKeepsTheFileUtf8) {
  // ASCII lines up to byte 1,048,573, then a four-byte character: the first 1,048,576 bytes end
  // inside it, and judged on them alone the file would be shown as Shift_JIS.
  std::string bytes;
  while (bytes.size() + 64 <= 1048573) bytes += std::string(62, 'a') + "\r\n";
  bytes += std::string(1048573 - bytes.size(), 'a');
  bytes +=
      "\xF0\x9F\x98\x80"
      "b";
  Load(Write(L"across.txt", bytes));
  EXPECT_EQ(Label(), L"UTF-8(&C)");
  const std::wstring text = richedit::RawText(noWrap_);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 3), L"\U0001F600b");
}

}  // namespace
