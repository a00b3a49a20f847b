#include "tools/editor_template.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// The file system's folding, as far as these paths need it: ASCII letters.
bool SameAsciiPath(std::u16string_view a, std::u16string_view b) {
  const auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::optional<std::u16string> Expand(std::u16string_view editorTemplate, std::u16string_view path, int line) {
  return ExpandEditorTemplate(editorTemplate, path, line, SameAsciiPath);
}

TEST(ExpandEditorTemplate, PlaceholdersOnceEachInOnePass) {
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
      {"%l inside the path stays", u"ed.exe %t -n%l", u"C:\\docs\\100%load.txt", 12,
       u"ed.exe C:\\docs\\100%load.txt -n12"},
      {"%l inside the path stays without one in the template", u"ed %t", u"C:\\%l.txt", 3, u"ed C:\\%l.txt"},
      {"%l inside the appended path stays", u"ed -n%l", u"C:\\%l.txt", 3, u"ed -n3 \"C:\\%l.txt\""},
      {"%t inside the path stays", u"ed %t %t", u"C:\\%t.txt", 1, u"ed C:\\%t.txt %t"},
      {"first line", u"ed -n%l %t", u"C:\\x.txt", 1, u"ed -n1 C:\\x.txt"},
      {"placeholders are case-sensitive", u"ed %T %L", u"C:\\x.txt", 5, u"ed %T %L \"C:\\x.txt\""},
      {"path with spaces unquoted under %t", u"ed \"%t\"", u"C:\\my docs\\x.txt", 2,
       u"ed \"C:\\my docs\\x.txt\""},
      {"empty template starts nothing", u"", u"C:\\x.bat", 1, std::nullopt},
      {"blank template starts nothing", u" \t ", u"C:\\x.bat", 1, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Expand(c.editorTemplate, c.path, c.line), c.command) << c.name;
  }
}

TEST(ExpandEditorTemplate, NeverStartsTheViewedFile) {
  struct Case {
    const char* name;
    std::u16string editorTemplate;
    std::u16string path;
  };
  const std::vector<Case> refused = {
      {"the path alone", u"%t", u"C:\\scripts\\run.bat"},
      {"the path quoted, then the line", u"\"%t\" %l", u"C:\\scripts\\run.bat"},
      {"after blanks", u" \t%t", u"C:\\scripts\\run.bat"},
      {"with arguments", u"%t\t-x", u"C:\\scripts\\run.bat"},
      {"spelled out in another case, the path appended", u"c:\\SCRIPTS\\Run.bat", u"C:\\scripts\\run.bat"},
      {"blanks inside the quotes", u"\"%t \" -x", u"C:\\scripts\\run.bat"},
      {"an unclosed quote", u"\"%t", u"C:\\scripts\\run.bat"},
      // The system tries "C:\my", then "C:\my scripts\run.bat".
      {"unquoted path with a space", u"%t -n%l", u"C:\\my scripts\\run.bat"},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(Expand(c.editorTemplate, c.path, 3), std::nullopt) << c.name;
  }
  const std::vector<Case> started = {
      {"another program opening the file", u"cmd.exe /c \"%t\"", u"C:\\scripts\\run.bat"},
      {"a program whose name goes on past the path", u"C:\\scripts\\run.bat.exe %t", u"C:\\scripts\\run.bat"},
      {"a quoted program whose name goes on", u"\"C:\\scripts\\run.bat2\" %t", u"C:\\scripts\\run.bat"},
  };
  for (const auto& c : started) {
    EXPECT_NE(Expand(c.editorTemplate, c.path, 3), std::nullopt) << c.name;
  }
}

TEST(ExpandEditorTemplate, LongCommandsUpToTheSystemLimit) {
  const std::u16string path = u"C:\\x.txt";
  // Past the old 519-character buffer, well within what the system takes.
  const std::u16string longTemplate = u"ed " + std::u16string(600, u'a') + u" %t";
  const auto command = Expand(longTemplate, path, 1);
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->size(), 604 + path.size());

  // Exactly at the limit, and one over: the path makes up the difference.
  const std::u16string atLimit(kMaxEditorCommandLength - path.size(), u'a');
  EXPECT_EQ(Expand(atLimit + u"%t", path, 1).value_or(u"").size(), kMaxEditorCommandLength);
  EXPECT_EQ(Expand(atLimit + u"b%t", path, 1), std::nullopt);
  // The quoted path appended without %t counts too.
  EXPECT_EQ(Expand(atLimit, path, 1), std::nullopt);
}

}  // namespace
