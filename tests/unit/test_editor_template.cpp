#include "tools/editor_template.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(ExpandEditorTemplate, PlaceholdersOnceEachPathFirst) {
  struct Case {
    const char* name;
    std::u16string editorTemplate;
    std::u16string path;
    int line;
    std::optional<std::u16string> command;
  };
  const std::vector<Case> cases = {
      {"both placeholders", u"editor.exe +%l %t", u"C:\\a\\b.txt", 12, u"editor.exe +12 C:\\a\\b.txt"},
      {"line only: path appended quoted", u"editor.exe /l %l", u"C:\\a\\b.txt", 12,
       u"editor.exe /l 12 \"C:\\a\\b.txt\""},
      {"no placeholders", u"editor.exe", u"C:\\a\\b.txt", 12, u"editor.exe \"C:\\a\\b.txt\""},
      {"%t twice: the second stays", u"ed %t %t", u"C:\\x.txt", 1, u"ed C:\\x.txt %t"},
      {"%l twice: the second stays", u"ed -n%l -m%l %t", u"C:\\x.txt", 7, u"ed -n7 -m%l C:\\x.txt"},
      {"%l inside the path is the one replaced", u"ed %t %l", u"C:\\%l\\x.txt", 3, u"ed C:\\3\\x.txt %l"},
      {"first line", u"ed -n%l %t", u"C:\\x.txt", 1, u"ed -n1 C:\\x.txt"},
      {"placeholders are case-sensitive", u"ed %T %L", u"C:\\x.txt", 5, u"ed %T %L \"C:\\x.txt\""},
      {"path with spaces unquoted under %t", u"ed \"%t\"", u"C:\\my docs\\x.txt", 2,
       u"ed \"C:\\my docs\\x.txt\""},
      {"empty template starts nothing", u"", u"C:\\x.bat", 1, std::nullopt},
      {"blank template starts nothing", u" \t ", u"C:\\x.bat", 1, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExpandEditorTemplate(c.editorTemplate, c.path, c.line), c.command) << c.name;
  }
}

TEST(ExpandEditorTemplate, LongCommandsUpToTheSystemLimit) {
  const std::u16string path = u"C:\\x.txt";
  // Past the old 519-character buffer, well within what the system takes.
  const std::u16string longTemplate = u"ed " + std::u16string(600, u'a') + u" %t";
  const auto command = ExpandEditorTemplate(longTemplate, path, 1);
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->size(), 604 + path.size());

  // Exactly at the limit, and one over: the path makes up the difference.
  const std::u16string atLimit(kMaxEditorCommandLength - path.size(), u'a');
  EXPECT_EQ(ExpandEditorTemplate(atLimit + u"%t", path, 1).value_or(u"").size(), kMaxEditorCommandLength);
  EXPECT_EQ(ExpandEditorTemplate(atLimit + u"b%t", path, 1), std::nullopt);
  // The quoted path appended without %t counts too.
  EXPECT_EQ(ExpandEditorTemplate(atLimit, path, 1), std::nullopt);
}

}  // namespace
