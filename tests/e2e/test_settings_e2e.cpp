// The real program started over damaged settings files: it shows the file, closes normally and
// writes back what it took from the file.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "damaged_settings.h"
#include "e2e_harness.h"

namespace {

using e2e::DamagedSettings;
using e2e::IniEntry;
using e2e::Program;
using e2e::TempFolder;
using e2e::Utf8;
using e2e::VamCopy;

std::wstring OnOff(bool on) {
  return on ? L"ON" : L"OFF";
}

class DamagedSettingsE2E : public ::testing::TestWithParam<DamagedSettings> {};

TEST_P(DamagedSettingsE2E, TheProgramStartsShowsTheFileAndClosesNormally) {
  const DamagedSettings& c = GetParam();
  TempFolder folder;
  const std::wstring file = folder.Put(L"shown.txt", "shown text");
  VamCopy copy;
  ASSERT_TRUE(copy.Ok());
  if (c.folder) {
    ASSERT_TRUE(CreateDirectoryW(copy.Ini().c_str(), nullptr));
  } else {
    ASSERT_TRUE(e2e::WriteFileBytes(copy.Ini(), c.bytes));
  }
  Program vam = copy.Start({file});
  ASSERT_TRUE(vam.WaitTitle(L"(1/1)shown.txt")) << Utf8(vam.Title());
  EXPECT_TRUE(vam.WaitViewText(L"shown text")) << Utf8(vam.ViewText());
  vam.Keys({VK_ESCAPE});
  EXPECT_EQ(vam.WaitExit(), 0u);

  const DWORD attributes = GetFileAttributesW(copy.Ini().c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  ASSERT_EQ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, c.folder);
  if (c.folder) return;  // nothing can be written there
  const std::vector<IniEntry> written = copy.ReadIni();
  EXPECT_EQ(e2e::IniValue(written, L"fontSize"), std::to_wstring(c.fontSize));
  if (!c.japaneseAnsi || GetACP() == 932) {
    EXPECT_EQ(e2e::IniValue(written, L"fontName"), c.fontName);
  }
  EXPECT_EQ(e2e::IniValue(written, L"tab4"), OnOff(c.tab4));
  EXPECT_EQ(e2e::IniValue(written, L"blackBack"), OnOff(c.blackBack));
  EXPECT_EQ(e2e::IniValue(written, L"wordWrap"), OnOff(c.wordWrap));
  EXPECT_EQ(e2e::IniValue(written, L"encoding"), c.encoding);
  EXPECT_EQ(e2e::IniValue(written, L"numberLine"), OnOff(c.numberLine));
}

INSTANTIATE_TEST_SUITE_P(SettingsE2E, DamagedSettingsE2E, ::testing::ValuesIn(e2e::DamagedSettingsFiles()),
                         [](const ::testing::TestParamInfo<DamagedSettings>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
