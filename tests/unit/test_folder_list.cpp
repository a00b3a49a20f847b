// The folder's file order, finding the file shown, and the step bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/folder_list.h"

namespace {

char16_t Fold(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// ASCII case-insensitive compare, standing in for both platform comparisons.
int AsciiNoCase(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    const char16_t x = Fold(*a), y = Fold(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

// Like AsciiNoCase but ignoring '-', as a word sort does with some characters: different names
// then compare equal.
int IgnoresHyphens(const char16_t* a, const char16_t* b) {
  for (;;) {
    while (*a == u'-') ++a;
    while (*b == u'-') ++b;
    const char16_t x = Fold(*a), y = Fold(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
    ++a, ++b;
  }
}

const NameComparisons kAscii{AsciiNoCase, AsciiNoCase};

std::vector<std::u16string> Sorted(const std::vector<std::u16string>& paths,
                                   const NameComparisons& compare = kAscii) {
  const std::vector<std::u16string_view> views(paths.begin(), paths.end());
  std::vector<std::u16string> sorted;
  for (size_t i : FolderEntryOrder(views, compare)) sorted.push_back(paths[i]);
  return sorted;
}

std::vector<std::u16string> InFolder(const std::vector<std::u16string>& names) {
  std::vector<std::u16string> paths;
  for (const auto& name : names) paths.push_back(u"C:\\docs\\" + name);
  return paths;
}

TEST(FolderOrder, BaseNameThenExtension) {
  struct Case {
    const char* what;
    std::vector<std::u16string> listed;
    std::vector<std::u16string> sorted;
  };
  const std::vector<Case> cases = {
      {"the seven names",
       {u"b.txt", u"a.txt", u"a.log", u"readme", u"Readme.md", u"x.tar.gz", u"x.txt"},
       {u"a.log", u"a.txt", u"b.txt", u"readme", u"Readme.md", u"x.txt", u"x.tar.gz"}},
      {"digits as characters",
       {u"file2.txt", u"file10.txt", u"file1.txt"},
       {u"file1.txt", u"file10.txt", u"file2.txt"}},
      {"case ignored", {u"B.txt", u"a.TXT", u"C.txt"}, {u"a.TXT", u"B.txt", u"C.txt"}},
      {"a dot followed by a space is no extension", {u"a.b c", u"a.b", u"a"}, {u"a", u"a.b", u"a.b c"}},
      {"dot files have an empty base", {u"b", u".profile", u"a"}, {u".profile", u"a", u"b"}},
      {"one entry", {u"only.txt"}, {u"only.txt"}},
      {"none", {}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Sorted(InFolder(c.listed)), InFolder(c.sorted)) << c.what;
}

TEST(FolderOrder, FolderPartPlaysNoRole) {
  EXPECT_TRUE(FolderEntryBefore(u"D:\\z\\a.txt", u"C:\\a\\b.txt", kAscii));
  EXPECT_FALSE(FolderEntryBefore(u"C:\\a\\b.txt", u"D:\\z\\a.txt", kAscii));
}

TEST(FolderOrder, StaysConsistentWhenTheLinguisticOrderCallsDifferentNamesEqual) {
  // With names the word order calls equal ("a-b" and "ab"), deciding by the case-insensitive
  // equality first and the word order second would make "a-b.a" equal to both "ab.b" and "ab.c"
  // while those two differ: no order a sort can rely on.
  const NameComparisons compare{AsciiNoCase, IgnoresHyphens};
  const std::vector<std::u16string> names = {u"ab.c", u"a-b.a", u"ab.b", u"a--b.b", u"AB.b"};
  EXPECT_EQ(Sorted(InFolder(names), compare), InFolder({u"a-b.a", u"a--b.b", u"AB.b", u"ab.b", u"ab.c"}));
  // Strict weak order: irreflexive, and "neither before the other" is transitive.
  const std::vector<std::u16string> paths = InFolder(names);
  for (const auto& a : paths) {
    EXPECT_FALSE(FolderEntryBefore(a, a, compare));
    for (const auto& b : paths) {
      for (const auto& c : paths) {
        if (FolderEntryBefore(a, b, compare) && FolderEntryBefore(b, c, compare)) {
          EXPECT_TRUE(FolderEntryBefore(a, c, compare));
        }
      }
    }
  }
}

TEST(FolderLookup, EveryEntryIsComparedWithoutRegardToCase) {
  const std::vector<std::u16string> paths = InFolder({u"a.log", u"a.txt", u"b.txt", u"readme", u"README"});
  const std::vector<std::u16string_view> entries(paths.begin(), paths.end());
  struct Case {
    std::u16string path;
    std::optional<size_t> index;
  };
  const std::vector<Case> cases = {
      {u"C:\\docs\\a.log", 0},
      {u"C:\\docs\\b.txt", 2},
      {u"C:\\DOCS\\A.TXT", 1},
      {u"C:\\docs\\README", 4},  // the last entry is compared too, and an exact spelling wins
      {u"C:\\docs\\readme", 3},
      {u"C:\\docs\\Readme", 3},
      {u"C:\\docs\\hidden.txt", std::nullopt},
      {u"C:\\other\\a.log", std::nullopt},
      {u"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindEntryIndex(entries, c.path, AsciiNoCase), c.index)
        << std::string(c.path.begin(), c.path.end());
  }
  EXPECT_EQ(FindEntryIndex({}, u"C:\\docs\\a.log", AsciiNoCase), std::nullopt);
}

TEST(FolderLookup, FileLeftOutOfTheListingGoesToItsSortedPlace) {
  const std::vector<std::u16string> paths =
      InFolder({u"a.log", u"a.txt", u"b.txt", u"readme", u"Readme.md", u"x.txt", u"x.tar.gz"});
  const std::vector<std::u16string_view> entries(paths.begin(), paths.end());
  struct Case {
    std::u16string name;
    size_t index;
  };
  const std::vector<Case> cases = {
      {u".hidden", 0}, {u"a.bak", 0},    {u"a.md", 1},  {u"b.log", 2},
      {u"c", 3},       {u"readme.a", 4}, {u"x.zip", 6}, {u"zzz", 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SortedInsertIndex(entries, u"C:\\docs\\" + c.name, kAscii), c.index)
        << std::string(c.name.begin(), c.name.end());
  }
  EXPECT_EQ(SortedInsertIndex({}, u"C:\\docs\\a.txt", kAscii), 0u);
}

TEST(FolderStep, BoundsWithoutWrapAround) {
  struct Case {
    int current;
    int last;
    bool forward;
    std::optional<int> next;
  };
  const std::vector<Case> cases = {
      {0, -1, true, std::nullopt},
      {0, -1, false, std::nullopt},  // empty list
      {0, 0, true, std::nullopt},
      {0, 0, false, std::nullopt},  // one file
      {0, 6, false, std::nullopt},
      {0, 6, true, 1},  // first
      {6, 6, true, std::nullopt},
      {6, 6, false, 5},  // last
      {3, 6, true, 4},
      {3, 6, false, 2},
      {7, 6, false, std::nullopt},
      {-1, 6, true, std::nullopt},  // out of range does nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SteppedIndex(c.current, c.last, c.forward), c.next)
        << c.current << "/" << c.last << (c.forward ? " next" : " previous");
  }
}

TEST(FolderTitle, PositionCountAndNameShortenedToFit) {
  struct Case {
    int position;
    int count;
    std::u16string name;
    size_t max;
    std::u16string title;
  };
  const std::vector<Case> cases = {
      {3, 12, u"b.txt", 263, u"(3/12)b.txt"},          {1, 1, u"ＭＳ.txt", 263, u"(1/1)ＭＳ.txt"},
      {1, 1, u"abcdef", 11, u"(1/1)abcdef"},           {1, 1, u"abcdefg", 11, u"(1/1)abcde\u2026"},
      {1, 1, u"abcd\U0001F600", 9, u"(1/1)abc\u2026"},  // the pair is not split
      {12345, 12345, u"name", 8, u"(12345/1"},
  };
  for (const Case& c : cases) EXPECT_EQ(FolderTitleText(c.position, c.count, c.name, c.max), c.title);
  const std::u16string longName(259, u'n');
  const std::u16string title = FolderTitleText(100, 100, longName, 263);
  EXPECT_EQ(title.size(), 263u);
  EXPECT_EQ(title.substr(0, 9), u"(100/100)");
  EXPECT_EQ(title.back(), u'\u2026');
}

}  // namespace
