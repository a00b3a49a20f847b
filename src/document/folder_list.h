// The order of a folder's files, finding the file shown among them and stepping through them.
// The platform's string comparisons are passed in.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Compares two NUL-terminated strings: negative, zero or positive.
using NameCompare = int (*)(const char16_t* a, const char16_t* b);

struct NameComparisons {
  NameCompare caseInsensitive;  // the run-time library's, for equality of names and paths
  NameCompare linguistic;       // the user's locale word order, as the user sees names sorted
};

// The last component of a path (after the last '\', '/' or ':').
std::u16string_view FileNamePart(std::u16string_view path);

// A file name without and with only its extension. The extension runs from the last dot, dot
// included, unless a space follows that dot; "x.tar.gz" is "x.tar" and ".gz".
struct NameParts {
  std::u16string_view base;
  std::u16string_view extension;
};
NameParts SplitFileName(std::u16string_view name);

// True when path a is listed before path b: by base name, then by extension, both in the
// linguistic order; names it finds equal fall back to the case-insensitive and then the exact
// order, so the result is a consistent order that sorting can rely on. The folder plays no part.
bool FolderEntryBefore(std::u16string_view a, std::u16string_view b, const NameComparisons& compare);

// The listing order of paths: indexes into paths. Entries that compare equal keep their places.
std::vector<size_t> FolderEntryOrder(std::span<const std::u16string_view> paths,
                                     const NameComparisons& compare);

// Where path stands in the list: an entry spelled exactly like it, else the first entry equal to it
// without regard to case. Every entry is compared. Nothing when it is not listed.
std::optional<size_t> FindEntryIndex(std::span<const std::u16string_view> entries, std::u16string_view path,
                                     NameCompare caseInsensitive);

// The index at which path goes into the sorted entries, after every entry that is not listed
// after it.
size_t SortedInsertIndex(std::span<const std::u16string_view> sortedEntries, std::u16string_view path,
                         const NameComparisons& compare);

// The index one step back or on from current in a list whose last index is last, or nothing at
// either end and in an empty list (last -1): there is no wrap-around.
std::optional<int> SteppedIndex(int current, int last, bool forward);

// "(position/count)name", at most maxUnits code units: a name too long for that is cut and ends in
// "…" (never inside a surrogate pair).
std::u16string FolderTitleText(int position, int count, std::u16string_view name, size_t maxUnits);
