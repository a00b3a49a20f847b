// The folder's order and lookup over any names: the order is one that sorting can rely on (a
// strict weak order, by base name then extension), the lookup and the insertion point are those of
// a plain scan, the steps keep within the list, and the title fits its buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/folder_list.h"
#include "fuzz_check.h"

namespace {

char16_t Fold(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

int CaseInsensitive(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    const char16_t x = Fold(*a), y = Fold(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

// Like a word sort: some characters are ignored, so that different names compare equal.
int Linguistic(const char16_t* a, const char16_t* b) {
  const auto ignored = [](char16_t c) { return c == u'-' || c == u'\''; };
  for (;; ++a, ++b) {
    while (ignored(*a)) ++a;
    while (ignored(*b)) ++b;
    const char16_t x = Fold(*a), y = Fold(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

const NameComparisons kCompare{CaseInsensitive, Linguistic};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static const char16_t kAlphabet[] = {u'a', u'A', u'b',  u'.', u'.', u'\\', u'/',  u':',
                                       u' ', u'-', u'\'', u'1', u'2', u'|',  0xD800};
  // Paths separated by '|'.
  const std::u16string all = ConsumeText(input, 300, kAlphabet);
  std::vector<std::u16string> paths;
  for (std::size_t start = 0;;) {
    const std::size_t bar = all.find(u'|', start);
    paths.push_back(all.substr(start, bar - start));
    if (bar == std::u16string::npos || paths.size() == 10) break;
    start = bar + 1;
  }
  const std::vector<std::u16string_view> views(paths.begin(), paths.end());
  const std::size_t n = views.size();

  // Each name splits into base and extension, and the folder part is what comes before the name.
  for (std::u16string_view path : views) {
    const std::u16string_view name = FileNamePart(path);
    FUZZ_CHECK(path.substr(path.size() - name.size()) == name);
    FUZZ_CHECK(name.find_first_of(u"\\/:") == std::u16string_view::npos);
    const NameParts parts = SplitFileName(name);
    FUZZ_CHECK(std::u16string(parts.base) + std::u16string(parts.extension) == std::u16string(name));
    FUZZ_CHECK(parts.extension.empty() || parts.extension.front() == u'.');
  }

  // A strict weak order: irreflexive, asymmetric, transitive, and so is "neither before the other".
  std::vector<std::vector<bool>> before(n, std::vector<bool>(n));
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = 0; b < n; ++b) before[a][b] = FolderEntryBefore(views[a], views[b], kCompare);
  for (std::size_t a = 0; a < n; ++a) {
    FUZZ_CHECK(!before[a][a]);
    for (std::size_t b = 0; b < n; ++b) {
      if (before[a][b]) FUZZ_CHECK(!before[b][a]);
      for (std::size_t c = 0; c < n; ++c) {
        if (before[a][b] && before[b][c]) FUZZ_CHECK(before[a][c]);
        const bool ab = !before[a][b] && !before[b][a], bc = !before[b][c] && !before[c][b];
        if (ab && bc) FUZZ_CHECK(!before[a][c] && !before[c][a]);
      }
    }
  }
  const std::vector<std::size_t> order = FolderEntryOrder(views, kCompare);
  std::vector<std::size_t> seen(order);
  std::sort(seen.begin(), seen.end());
  for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(seen[i] == i);
  std::vector<std::u16string_view> sorted;
  for (std::size_t i : order) sorted.push_back(views[i]);
  for (std::size_t i = 1; i < n; ++i) {
    FUZZ_CHECK(!FolderEntryBefore(sorted[i], sorted[i - 1], kCompare));
    // Equal entries keep their places.
    if (!FolderEntryBefore(sorted[i - 1], sorted[i], kCompare)) FUZZ_CHECK(order[i - 1] < order[i]);
  }

  // Lookup and insertion point, as a plain scan finds them.
  const std::u16string wanted = ConsumeText(input, 20, kAlphabet);
  std::optional<std::size_t> expected;
  for (std::size_t i = 0; i < n && !expected; ++i)
    if (sorted[i] == wanted) expected = i;
  for (std::size_t i = 0; i < n && !expected; ++i)
    if (CaseInsensitive(std::u16string(sorted[i]).c_str(), wanted.c_str()) == 0) expected = i;
  FUZZ_CHECK(FindEntryIndex(sorted, wanted, CaseInsensitive) == expected);
  std::size_t insert = 0;
  while (insert < n && !FolderEntryBefore(wanted, sorted[insert], kCompare)) ++insert;
  FUZZ_CHECK(SortedInsertIndex(sorted, wanted, kCompare) == insert);

  // Steps keep within the list, one at a time.
  const int current = input.ConsumeIntegral<int>(), last = input.ConsumeIntegral<int>();
  for (bool forward : {true, false}) {
    const std::optional<int> step = SteppedIndex(current, last, forward);
    if (step) {
      FUZZ_CHECK(*step >= 0 && *step <= last && *step == current + (forward ? 1 : -1));
    } else {
      FUZZ_CHECK(last < 0 || current < 0 || current > last || current == (forward ? last : 0));
    }
  }

  // The title fits: whole, or the name cut and ended with an ellipsis, never inside a pair.
  const auto maxUnits = input.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::u16string_view name = FileNamePart(wanted);
  const std::u16string title = FolderTitleText(current, last, name, maxUnits);
  const std::string number = "(" + std::to_string(current) + "/" + std::to_string(last) + ")";
  const std::u16string prefix(number.begin(), number.end());
  if (prefix.size() + name.size() <= maxUnits) {
    FUZZ_CHECK(title == prefix + std::u16string(name));
  } else if (prefix.size() + 1 <= maxUnits) {
    FUZZ_CHECK(title.size() <= maxUnits && title.size() >= prefix.size() + 1 && title.back() == u'\u2026');
    const std::u16string kept = title.substr(prefix.size(), title.size() - prefix.size() - 1);
    FUZZ_CHECK(title.compare(0, prefix.size(), prefix) == 0 && name.substr(0, kept.size()) == kept);
    FUZZ_CHECK(kept.size() + 2 >= maxUnits - prefix.size());
    const bool pairSplit = !kept.empty() && kept.back() >= 0xD800 && kept.back() <= 0xDBFF &&
                           name[kept.size()] >= 0xDC00 && name[kept.size()] <= 0xDFFF;
    FUZZ_CHECK(!pairSplit);
  } else {
    FUZZ_CHECK(title == prefix.substr(0, maxUnits));
  }
  return 0;
}
