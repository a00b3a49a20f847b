#include "tools/find.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr bool kForward = true, kBackward = false;
constexpr bool kCase = true, kNoCase = false;

struct RingCase {
  const char* name;
  std::u16string text;
  std::u16string what;
  int start;
  bool forward;
  bool matchCase;
  std::optional<int> hit;
};

std::optional<std::int32_t> Search(const std::u16string& text, const std::u16string& what, int start,
                                   bool forward, bool matchCase,
                                   CaseInsensitiveEqual equal = AsciiCaseInsensitiveEqual) {
  // An exactly sized copy, so that reading past the text's end shows under the address sanitizer.
  std::vector<char16_t> exact(text.begin(), text.end());
  RingSearch search;
  search.text = std::u16string_view(exact.data(), exact.size());
  search.what = what;
  search.start = start;
  search.forward = forward;
  search.matchCase = matchCase;
  search.caseInsensitiveEqual = equal;
  return FindInRing(search);
}

TEST(FindInRing, VisitsEveryPositionWithTheStartLast) {
  const std::vector<RingCase> cases = {
      {"forward to the next", u"abcabc", u"abc", 0, kForward, kNoCase, 3},
      {"forward wraps past the end", u"abcabc", u"abc", 3, kForward, kNoCase, 0},
      {"backward to the previous", u"abcabc", u"abc", 3, kBackward, kNoCase, 0},
      {"backward wraps past the start", u"abcabc", u"abc", 0, kBackward, kNoCase, 3},
      {"ignoring case ABC finds abc", u"xx abc", u"ABC", 0, kForward, kNoCase, 3},
      {"matching case ABC misses abc", u"xx abc", u"ABC", 0, kForward, kCase, std::nullopt},
      {"matching case skips the other case", u"abc ABC", u"ABC", 0, kForward, kCase, 4},
      {"classic folding leaves non-ASCII alone", u"\u00e4bc", u"\u00c4BC", 0, kForward, kNoCase,
       std::nullopt},
      {"overlapping hit after a hit", u"aaaa", u"aa", 0, kForward, kNoCase, 1},
      {"overlapping hit after the second", u"aaaa", u"aa", 1, kForward, kNoCase, 2},
      {"overlapping hits backward", u"aaaa", u"aa", 2, kBackward, kNoCase, 1},
      {"only occurrence at 0 with the caret at 0", u"abcxyz", u"abc", 0, kForward, kNoCase, 0},
      {"only occurrence at 0 backward from 0", u"abcxyz", u"abc", 0, kBackward, kNoCase, 0},
      {"forward from position L", u"abcxyz", u"xyz", 6, kForward, kNoCase, 3},
      {"backward from position L", u"abcabc", u"abc", 6, kBackward, kNoCase, 3},
      {"one-character text forward", u"a", u"a", 0, kForward, kNoCase, 0},
      {"one-character text backward", u"a", u"A", 0, kBackward, kNoCase, 0},
      {"one-character text from L", u"a", u"a", 1, kForward, kCase, 0},
      {"one-character text without it", u"b", u"a", 0, kForward, kNoCase, std::nullopt},
      {"only occurrence at the start forward", u"xxabcxx", u"abc", 2, kForward, kNoCase, 2},
      {"only occurrence at the start backward", u"xxabcxx", u"abc", 2, kBackward, kCase, 2},
      {"candidate too close to the end", u"xxab", u"abc", 0, kForward, kNoCase, std::nullopt},
      {"candidate too close to the end backward", u"xxab", u"abc", 4, kBackward, kCase, std::nullopt},
      {"tail too short, earlier hit wins", u"abcab", u"ab", 0, kBackward, kNoCase, 3},
      {"find text longer than the text", u"ab", u"abc", 1, kForward, kNoCase, std::nullopt},
      {"empty find text never matches", u"abc", u"", 1, kForward, kNoCase, std::nullopt},
      {"empty text", u"", u"a", 0, kForward, kNoCase, std::nullopt},
      {"repeated letters at several places", u"aaaaab", u"AAB", 0, kForward, kNoCase, 3},
      {"long find text differing late", u"abcdefghijkX abcdefghijkY", u"ABCDEFGHIJKY", 0, kForward, kNoCase,
       13},
      {"long find text differing late backward", u"abcdefghijkX abcdefghijkY", u"ABCDEFGHIJKX", 25, kBackward,
       kNoCase, 0},
      {"paragraph ends are plain characters", u"one\rtwo\r", u"\rt", 0, kForward, kCase, 3},
      {"start past L counts as L", u"abcabc", u"abc", 99, kForward, kNoCase, 0},
      {"negative start counts as 0", u"abcabc", u"abc", -5, kBackward, kNoCase, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Search(c.text, c.what, c.start, c.forward, c.matchCase), c.hit) << c.name;
  }
}

// The platform decides what ignoring case means: a locale that folds Latin-1 finds ÄBC in äbc.
bool Latin1CaseInsensitiveEqual(const char16_t* a, const char16_t* b, std::size_t count) {
  const auto fold = [](char16_t c) -> char16_t {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
      return static_cast<char16_t>(c + 32);
    return c;
  };
  for (std::size_t i = 0; i < count; ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

TEST(FindInRing, IgnoringCaseUsesThePassedInComparison) {
  EXPECT_EQ(Search(u"xx \u00e4bc \u00c4BC", u"\u00c4Bc", 0, kForward, kNoCase, Latin1CaseInsensitiveEqual),
            3);
  EXPECT_EQ(Search(u"xx \u00e4bc \u00c4BC", u"\u00c4Bc", 3, kForward, kNoCase, Latin1CaseInsensitiveEqual),
            7);
  EXPECT_EQ(Search(u"xx \u00e4bc \u00c4BC", u"\u00c4Bc", 0, kForward, kCase, Latin1CaseInsensitiveEqual),
            std::nullopt);
}

}  // namespace
