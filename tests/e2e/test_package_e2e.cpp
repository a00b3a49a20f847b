// The release zip as a Windows user meets it: unpacked into a folder of their own, started on a
// file, closed. scripts/test.sh makes the zip (scripts/test-package.sh) and names it in
// VAM_PACKAGE_ZIP; without it this test fails, it does not skip.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_harness.h"
#include "unzip.h"

namespace {

using e2e::Program;
using e2e::TempFolder;
using e2e::Utf8;

// The zip's path as a Windows path; a Linux path is seen through drive Z:.
std::wstring PackageZip() {
  wchar_t value[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"VAM_PACKAGE_ZIP", value, 1024);
  if (n == 0 || n >= 1024) return {};
  std::wstring path(value, n);
  if (path.front() == L'/') {
    path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
  }
  return path;
}

bool OnlyCrLf(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
  }
  return true;
}

TEST(PackageE2E, UnpackedIntoAJapaneseFolderNameWithASpaceItShowsAFileAndWritesOnlyItsSettings) {
  const std::wstring zip = PackageZip();
  ASSERT_FALSE(zip.empty()) << "VAM_PACKAGE_ZIP names no zip (scripts/test.sh sets it)";
  const std::optional<std::string> archive = e2e::ReadFileBytes(zip);
  ASSERT_TRUE(archive) << "no zip at " << Utf8(zip);
  const e2e::ZipContent content = e2e::ReadZip(*archive);
  ASSERT_EQ(content.error, "") << Utf8(zip);

  // Names every unpacker reads alike: plain ASCII, not flagged as UTF-8.
  std::vector<std::string> names;
  for (const e2e::ZipEntry& entry : content.entries) {
    names.push_back(entry.name);
    EXPECT_TRUE(std::all_of(entry.name.begin(), entry.name.end(), [](char c) {
      return c > 0x20 && c < 0x7F;
    })) << entry.name;
    EXPECT_EQ(entry.flags & 0x800, 0) << entry.name;
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"LICENSE", "README-en.txt", "README-ja.txt", "Vam.exe", "Vam64.exe"}));

  TempFolder place;
  const std::wstring folder = place.PutFolder(L"ダウンロード 展開先 Vam");
  for (const e2e::ZipEntry& entry : content.entries) {
    ASSERT_TRUE(e2e::WriteFileBytes(e2e::JoinPath(folder, e2e::FromUtf8(entry.name)), entry.data))
        << entry.name;
    // The guides as Windows' Notepad reads them right.
    if (entry.name.starts_with("README-")) {
      EXPECT_TRUE(entry.data.starts_with("\xEF\xBB\xBF")) << entry.name << " has no UTF-8 byte-order mark";
      EXPECT_TRUE(OnlyCrLf(entry.data)) << entry.name << " has line ends other than CR LF";
    }
  }
  const std::vector<std::wstring> unpacked = e2e::FolderNames(folder);

  const std::wstring documents = place.PutFolder(L"文書");
  const std::wstring text = L"展開した Vam64.exe で開いたテキスト";
  const std::wstring file = e2e::JoinPath(documents, L"メモ.txt");
  ASSERT_TRUE(e2e::WriteFileBytes(file, Utf8(text)));

  Program vam = Program::Start(e2e::JoinPath(folder, L"Vam64.exe"), {file});
  ASSERT_TRUE(vam.Started());
  ASSERT_TRUE(vam.WaitReady()) << "the unpacked Vam64.exe shows no window";
  EXPECT_TRUE(vam.WaitTitle(L"(1/1)メモ.txt")) << Utf8(vam.Title());
  EXPECT_TRUE(vam.WaitViewText(text)) << Utf8(vam.ViewText());
  vam.Keys({VK_ESCAPE});
  EXPECT_EQ(vam.WaitExit(), 0u);

  // Beside the program only its settings are new; beside the file nothing is.
  std::vector<std::wstring> expected = unpacked;
  expected.push_back(L"Vam64.ini");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(e2e::FolderNames(folder), expected);
  EXPECT_EQ(e2e::FolderNames(documents), std::vector<std::wstring>{L"メモ.txt"});
  const std::vector<e2e::IniEntry> settings = e2e::ReadIniSection(e2e::JoinPath(folder, L"Vam64.ini"));
  EXPECT_EQ(e2e::IniValue(settings, L"fontName"), L"ＭＳ ゴシック");
  EXPECT_EQ(e2e::IniValue(settings, L"numberLine"), L"ON");
}

}  // namespace
