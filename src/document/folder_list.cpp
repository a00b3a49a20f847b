#include "document/folder_list.h"

#include <algorithm>
#include <numeric>

namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/' || c == u':';
}

// The comparisons are platform functions on NUL-terminated strings: each key keeps its own copies.
struct SortKey {
  std::u16string name;
  std::u16string base;
  std::u16string extension;
};

SortKey KeyOf(std::u16string_view path) {
  SortKey key;
  key.name = FileNamePart(path);
  const NameParts parts = SplitFileName(key.name);
  key.base = parts.base;
  key.extension = parts.extension;
  return key;
}

bool KeyBefore(const SortKey& a, const SortKey& b, const NameComparisons& compare) {
  // The linguistic order alone can call different names equal (it ignores some characters); the
  // later levels make such names comparable, so the order stays consistent for sorting.
  if (int c = compare.linguistic(a.base.c_str(), b.base.c_str())) return c < 0;
  if (int c = compare.linguistic(a.extension.c_str(), b.extension.c_str())) return c < 0;
  if (int c = compare.caseInsensitive(a.base.c_str(), b.base.c_str())) return c < 0;
  if (int c = compare.caseInsensitive(a.extension.c_str(), b.extension.c_str())) return c < 0;
  return a.name < b.name;
}

std::u16string Decimal(int value) {
  std::u16string text;
  unsigned long long magnitude = value < 0
                                     ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value))
                                     : static_cast<unsigned long long>(value);
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) text.insert(text.begin(), u'-');
  return text;
}

}  // namespace

std::u16string_view FileNamePart(std::u16string_view path) {
  const auto last = std::find_if(path.rbegin(), path.rend(), IsSeparator);
  return path.substr(static_cast<size_t>(path.rend() - last));
}

NameParts SplitFileName(std::u16string_view name) {
  const size_t dot = name.find_last_of(u'.');
  if (dot == std::u16string_view::npos || name.find(u' ', dot) != std::u16string_view::npos)
    return {name, {}};
  return {name.substr(0, dot), name.substr(dot)};
}

bool FolderEntryBefore(std::u16string_view a, std::u16string_view b, const NameComparisons& compare) {
  return KeyBefore(KeyOf(a), KeyOf(b), compare);
}

std::vector<size_t> FolderEntryOrder(std::span<const std::u16string_view> paths,
                                     const NameComparisons& compare) {
  std::vector<SortKey> keys;
  keys.reserve(paths.size());
  for (std::u16string_view path : paths) keys.push_back(KeyOf(path));
  std::vector<size_t> order(paths.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return KeyBefore(keys[a], keys[b], compare); });
  return order;
}

std::optional<size_t> FindEntryIndex(std::span<const std::u16string_view> entries, std::u16string_view path,
                                     NameCompare caseInsensitive) {
  // On a case-sensitive file system a folder can hold both "readme" and "README".
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == path) return i;
  }
  const std::u16string wanted(path);
  std::u16string entry;
  for (size_t i = 0; i < entries.size(); ++i) {
    entry.assign(entries[i]);
    if (caseInsensitive(entry.c_str(), wanted.c_str()) == 0) return i;
  }
  return std::nullopt;
}

size_t SortedInsertIndex(std::span<const std::u16string_view> sortedEntries, std::u16string_view path,
                         const NameComparisons& compare) {
  const SortKey key = KeyOf(path);
  const auto at = std::upper_bound(
      sortedEntries.begin(), sortedEntries.end(), key,
      [&](const SortKey& k, std::u16string_view entry) { return KeyBefore(k, KeyOf(entry), compare); });
  return static_cast<size_t>(at - sortedEntries.begin());
}

std::optional<int> SteppedIndex(int current, int last, bool forward) {
  if (last < 0 || current < 0 || current > last) return std::nullopt;
  if (forward) {
    if (current >= last) return std::nullopt;
    return current + 1;
  }
  if (current <= 0) return std::nullopt;
  return current - 1;
}

std::u16string FolderTitleText(int position, int count, std::u16string_view name, size_t maxUnits) {
  std::u16string title = u"(" + Decimal(position) + u"/" + Decimal(count) + u")";
  if (title.size() + name.size() <= maxUnits) return title.append(name);
  constexpr char16_t kEllipsis = u'\u2026';
  if (title.size() + 1 > maxUnits) return title.substr(0, maxUnits);
  size_t keep = maxUnits - title.size() - 1;
  if (keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
  title.append(name.substr(0, keep));
  title.push_back(kEllipsis);
  return title;
}
