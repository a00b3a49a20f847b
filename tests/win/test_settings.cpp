// The settings file through the real profile functions: real INI files in a temp folder, a real
// window with the program's menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/program_state_win.h"
#include "app/settings_win.h"
#include "app/wide_win.h"
#include "damaged_settings.h"
#include "win_fixture.h"

namespace {

// Sizes as the main window enforces them, so the defaults come out as the program shows them.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO && lParam != 0) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = {320, 240};
    info->ptMaxTrackSize = {2048, 2048};
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"rb"), fclose);
  std::vector<unsigned char> bytes;
  if (!file) return bytes;
  unsigned char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof(chunk), file.get())) > 0;)
    bytes.insert(bytes.end(), chunk, chunk + n);
  return bytes;
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"wb"), fclose);
  ASSERT_TRUE(file);
  const wchar_t bom = 0xFEFF;
  fwrite(&bom, sizeof(bom), 1, file.get());
  fwrite(text.data(), sizeof(wchar_t), text.size(), file.get());
}

// The file's lines; the space that Windows keeps after "=" for numbers (Wine drops it) is not
// counted.
std::vector<std::wstring> ReadLines(const std::wstring& path) {
  const std::vector<unsigned char> bytes = ReadBytes(path);
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  } else {
    for (unsigned char b : bytes) text.push_back(static_cast<wchar_t>(b));
  }
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const size_t equals = line.find(L'=');
    if (equals != std::wstring::npos && equals + 1 < line.size() && line[equals + 1] == L' ')
      line.erase(equals + 1, 1);
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool Checked(UINT command) {
  return (GetMenuState(g_menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

class SettingsFile : public WinFixture {
 protected:
  void SetUp() override {
    g_iniPath = folder_.File(L"Vam64.ini");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VamSettingsTest";
    RegisterClassExW(&wc);
    g_menu = LoadMenuW(GetModuleHandleW(nullptr), L"VAM_MENU");
    ASSERT_NE(g_menu, nullptr);
    window_ = CreateWindowExW(0, L"VamSettingsTest", L"Vam", WS_OVERLAPPEDWINDOW, 500, 400, 700, 500, nullptr,
                              g_menu, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);  // destroys the attached menu too
    g_menu = nullptr;
  }

  void Load(const std::wstring& fileText) {
    WriteUtf16File(g_iniPath, L"[SystemSetting]\r\n" + fileText);
    settings_ = AppSettings{};
    LoadSettings(window_, settings_);
  }
  std::wstring Key(const wchar_t* key) {
    wchar_t value[MAX_PATH] = {};
    GetPrivateProfileStringW(L"SystemSetting", key, L"<missing>", value, MAX_PATH, g_iniPath.c_str());
    return value;
  }
  RECT WindowRect() {
    RECT r{};
    GetWindowRect(window_, &r);
    return r;
  }

  TempFolder folder_;
  HWND window_ = nullptr;
  AppSettings settings_;
};

TEST_F(SettingsFile, FirstStartUsesDefaultsAndSavesTheElevenKeysInOrder) {
  LoadSettings(window_, settings_);
  EXPECT_EQ(settings_.fontSize, 10);
  EXPECT_EQ(FaceName(settings_), u"ＭＳ ゴシック");
  EXPECT_EQ(settings_.editor, u"");
  EXPECT_EQ(settings_.tab4, 0);
  EXPECT_EQ(settings_.blackBack, 0);
  EXPECT_EQ(settings_.wordWrap, 0);
  EXPECT_EQ(settings_.encoding, 0);
  EXPECT_EQ(settings_.numberLine, 1);
  const RECT r = WindowRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 240);
  EXPECT_FALSE(Checked(IDM_TAB4));
  EXPECT_FALSE(Checked(IDM_BLACK_BACK));
  EXPECT_FALSE(Checked(IDM_WORD_WRAP));
  EXPECT_TRUE(Checked(IDM_CODE_AUTO));
  EXPECT_TRUE(Checked(IDM_NUMBER_LINE));
  EXPECT_EQ(GetFileAttributesW(g_iniPath.c_str()), INVALID_FILE_ATTRIBUTES) << "loading creates no file";

  SaveSettings(window_, settings_);
  const std::vector<unsigned char> bytes = ReadBytes(g_iniPath);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  const std::vector<std::wstring> expected = {
      L"[SystemSetting]",
      L"fontSize=10",
      L"fontName=ＭＳ ゴシック",
      L"x=0",
      L"y=0",
      L"width=320",
      L"height=240",
      L"tab4=OFF",
      L"blackBack=OFF",
      L"wordWrap=OFF",
      L"encoding=AUTO",
      L"numberLine=ON",
  };
  EXPECT_EQ(ReadLines(g_iniPath), expected);

  // The Japanese face survives the file written in Unicode.
  AppSettings again;
  LoadSettings(window_, again);
  EXPECT_EQ(FaceName(again), u"ＭＳ ゴシック");
}

TEST_F(SettingsFile, WordsAreReadInAnyCaseAndWrittenBackCanonically) {
  struct Case {
    const wchar_t* value;
    int flag;  // tab4, blackBack, wordWrap and numberLine all read it this way
    const wchar_t* written;
  };
  const std::vector<Case> flags = {{L"ON", 1, L"ON"},    {L"on", 1, L"ON"}, {L"oN", 1, L"ON"},
                                   {L"OFF", 0, L"OFF"},  {L"1", 0, L"OFF"}, {L"yes", 0, L"OFF"},
                                   {L"TRUE", 0, L"OFF"}, {L"", 0, L"OFF"}};
  for (const Case& c : flags) {
    const std::wstring v = c.value;
    Load(L"tab4=" + v + L"\r\nblackBack=" + v + L"\r\nwordWrap=" + v + L"\r\nnumberLine=" + v + L"\r\n");
    SCOPED_TRACE(testing::Message() << "value \"" << std::string(v.begin(), v.end()) << "\"");
    EXPECT_EQ(settings_.tab4, c.flag);
    EXPECT_EQ(settings_.blackBack, c.flag);
    EXPECT_EQ(settings_.wordWrap, c.flag);
    EXPECT_EQ(settings_.numberLine, c.flag);
    for (UINT command : {IDM_TAB4, IDM_BLACK_BACK, IDM_WORD_WRAP, IDM_NUMBER_LINE}) {
      EXPECT_EQ(Checked(command), c.flag == 1) << command;
    }
    SaveSettings(window_, settings_);
    for (const wchar_t* key : {L"tab4", L"blackBack", L"wordWrap", L"numberLine"})
      EXPECT_EQ(Key(key), c.written);
  }

  const std::vector<Case> encodings = {
      {L"AUTO", 0, L"AUTO"},         {L"ShiftJIS", 1, L"ShiftJIS"},
      {L"shiftjis", 1, L"ShiftJIS"}, {L"UTF-8", 2, L"UTF-8"},
      {L"utf-16le", 4, L"UTF-16LE"}, {L"UTF-16BE", 0, L"AUTO"},
      {L"Shift_JIS", 0, L"AUTO"},    {L"4", 0, L"AUTO"},
  };
  const UINT commands[] = {IDM_CODE_AUTO, IDM_CODE_SHIFTJIS, IDM_CODE_UTF8, IDM_CODE_UTF16LE};
  for (const Case& c : encodings) {
    // Only the matching item gets a mark; the others are left as they are, so start unmarked.
    for (UINT command : commands) CheckMenuItem(g_menu, command, MF_BYCOMMAND | MF_UNCHECKED);
    Load(std::wstring(L"encoding=") + c.value + L"\r\n");
    const std::wstring v = c.value;
    SCOPED_TRACE(testing::Message() << "encoding \"" << std::string(v.begin(), v.end()) << "\"");
    EXPECT_EQ(settings_.encoding, c.flag);
    const UINT marked = c.flag == 1   ? IDM_CODE_SHIFTJIS
                        : c.flag == 2 ? IDM_CODE_UTF8
                        : c.flag == 4 ? IDM_CODE_UTF16LE
                                      : IDM_CODE_AUTO;
    for (UINT command : commands) EXPECT_EQ(Checked(command), command == marked) << command;
    SaveSettings(window_, settings_);
    EXPECT_EQ(Key(L"encoding"), c.written);
  }
}

TEST_F(SettingsFile, LongFaceNameIsCutTo31AndWrittenBackSo) {
  const std::wstring forty = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
  ASSERT_EQ(forty.size(), 40u);
  Load(L"fontName=" + forty + L"\r\n");
  EXPECT_EQ(FaceName(settings_), U(forty.substr(0, 31)));
  SaveSettings(window_, settings_);
  EXPECT_EQ(Key(L"fontName"), forty.substr(0, 31));
}

TEST_F(SettingsFile, JapaneseFaceNameRoundTrips) {
  Load(L"fontName=ＭＳ 明朝\r\n");
  EXPECT_EQ(FaceName(settings_), u"ＭＳ 明朝");
  SetFontName(settings_, u"游ゴシック");
  SaveSettings(window_, settings_);
  AppSettings again;
  LoadSettings(window_, again);
  EXPECT_EQ(FaceName(again), u"游ゴシック");
}

TEST_F(SettingsFile, UserKeysSurviveASave) {
  const std::wstring editor = L"\"C:\\Program Files\\ed.exe\" -n%l \"%t\"";
  Load(L"editor=" + editor +
       L"\r\ndll=C:\\libs\\msftedit.dll\r\nmyOwnKey=kept\r\nfontSize= 14\r\n"
       L"[Other]\r\nx=1\r\n");
  // The editor command keeps its quotes: the profile string reader would drop the outer pair.
  EXPECT_EQ(settings_.editor, U(editor));
  EXPECT_EQ(settings_.fontSize, 14);
  settings_.editor = u"changed";  // never written
  SaveSettings(window_, settings_);
  const std::vector<std::wstring> lines = ReadLines(g_iniPath);
  const std::vector<std::wstring> expectedStart = {L"[SystemSetting]", L"editor=" + editor,
                                                   L"dll=C:\\libs\\msftedit.dll", L"myOwnKey=kept",
                                                   L"fontSize=14"};
  ASSERT_GE(lines.size(), expectedStart.size());
  EXPECT_EQ(std::vector<std::wstring>(lines.begin(), lines.begin() + 5), expectedStart);
  wchar_t other[16] = {};
  GetPrivateProfileStringW(L"Other", L"x", L"", other, 16, g_iniPath.c_str());
  EXPECT_STREQ(other, L"1");
}

TEST_F(SettingsFile, EditorIsReadWholeUpToTheLongestCommandLineAndRefusedPastIt) {
  // Ending in a quoted path: cut anywhere, the quoting would break.
  for (const size_t length : {size_t{262}, size_t{5000}, size_t{32766}}) {
    const std::wstring tail = L" -n%l \"%t\"";
    const std::wstring editor = std::wstring(length - tail.size(), L'e') + tail;
    Load(L"editor=" + editor + L"\r\ntab4=ON\r\n");
    EXPECT_EQ(settings_.editor, U(editor)) << length;
    EXPECT_EQ(settings_.tab4, 1) << length;
  }
  Load(L"editor=" + std::wstring(32767, L'e') + L"\r\ntab4=ON\r\n");
  EXPECT_EQ(settings_.editor, u"");
  EXPECT_EQ(settings_.tab4, 1);
}

TEST_F(SettingsFile, GarbageNumbersReadAsTheRulesSay) {
  struct Case {
    const wchar_t* fontSize;
    int expected;
  };
  // Missing or empty: the default; not a number: 0, then kept within the drawable bounds.
  const std::vector<Case> cases = {{L"abc", 1},
                                   {L"", 10},
                                   {L"12pt", 12},
                                   {L"0", 1},
                                   {L"-7", 1},
                                   {L"5000", 1638},
                                   {L"99999999999999999999", -1}};
  for (const Case& c : cases) {
    Load(std::wstring(L"fontSize=") + c.fontSize + L"\r\n");
    if (c.expected < 0) {
      EXPECT_GE(settings_.fontSize, 1);
      EXPECT_LE(settings_.fontSize, 1638);
    } else {
      EXPECT_EQ(settings_.fontSize, c.expected) << std::string(c.fontSize, c.fontSize + wcslen(c.fontSize));
    }
  }
  Load(L"x=12abc\r\ny=\r\nwidth=-50\r\nheight=zz\r\n");
  const RECT r = WindowRect();
  EXPECT_EQ(r.left, 12);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 240);
}

TEST_F(SettingsFile, SavedRectangleIsAppliedAndAMaximisedWindowSavesItsRestoredOne) {
  Load(L"x=100\r\ny=50\r\nwidth=640\r\nheight=480\r\n");
  RECT r = WindowRect();
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right, 740);
  EXPECT_EQ(r.bottom, 530);
  ShowWindow(window_, SW_MAXIMIZE);
  ASSERT_TRUE(IsZoomed(window_));
  SaveSettings(window_, settings_);
  EXPECT_EQ(Key(L"x"), L"100");
  EXPECT_EQ(Key(L"y"), L"50");
  EXPECT_EQ(Key(L"width"), L"640");
  EXPECT_EQ(Key(L"height"), L"480");
}

TEST_F(SettingsFile, RectangleOffEveryMonitorIsMovedOnScreen) {
  Load(L"x=-30000\r\ny=-20000\r\nwidth=640\r\nheight=480\r\n");
  RECT r = WindowRect();
  EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr)
      << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);

  // Partly visible is left alone.
  Load(L"x=-300\r\ny=-100\r\nwidth=640\r\nheight=480\r\n");
  r = WindowRect();
  EXPECT_EQ(r.left, -300);
  EXPECT_EQ(r.top, -100);
}

// Read at start without a crash, the usable values taken, the defaults for the rest; written
// at close, and read back the same.
TEST_F(SettingsFile, DamagedFilesGiveTheDefaultsWhereAValueIsUnusable) {
  for (const e2e::DamagedSettings& c : e2e::DamagedSettingsFiles()) {
    SCOPED_TRACE(c.name);
    DeleteFileW(g_iniPath.c_str());
    if (c.folder) {
      ASSERT_TRUE(CreateDirectoryW(g_iniPath.c_str(), nullptr));
    } else {
      ASSERT_TRUE(e2e::WriteFileBytes(g_iniPath, c.bytes));
    }
    for (const char* pass : {"as found", "as written back"}) {
      SCOPED_TRACE(pass);
      settings_ = AppSettings{};
      LoadSettings(window_, settings_);
      EXPECT_EQ(settings_.fontSize, c.fontSize);
      if (!c.japaneseAnsi || GetACP() == 932) {
        EXPECT_EQ(FaceName(settings_), U(c.fontName));
      }
      EXPECT_EQ(settings_.tab4, c.tab4 ? 1 : 0);
      EXPECT_EQ(settings_.blackBack, c.blackBack ? 1 : 0);
      EXPECT_EQ(settings_.wordWrap, c.wordWrap ? 1 : 0);
      EXPECT_EQ(WordFromEncoding(settings_.encoding), U(c.encoding));
      EXPECT_EQ(settings_.numberLine, c.numberLine ? 1 : 0);
      const RECT r = WindowRect();
      EXPECT_EQ(r.right - r.left, 320);
      EXPECT_EQ(r.bottom - r.top, 240);
      SaveSettings(window_, settings_);
    }
    const DWORD attributes = GetFileAttributesW(g_iniPath.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, c.folder);
    if (c.folder) RemoveDirectoryW(g_iniPath.c_str());
  }
}

TEST_F(SettingsFile, UnwritableFileFailsSilently) {
  g_iniPath = folder_.File(L"no such folder\\Vam64.ini");
  LoadSettings(window_, settings_);
  SaveSettings(window_, settings_);
  EXPECT_EQ(GetFileAttributesW(g_iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
