#include "tools/find.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

bool AsciiCaseInsensitiveEqual(const char16_t* a, const char16_t* b, std::size_t count) {
  const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  for (std::size_t i = 0; i < count; ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

namespace {

// Case-sensitive: a candidate is a hit when its k code units equal the find text.
class ExactMatcher {
 public:
  explicit ExactMatcher(std::u16string_view what) : what_(what) {}
  bool At(const char16_t* candidate) {
    return candidate[0] == what_[0] &&
           std::char_traits<char16_t>::compare(candidate + 1, what_.data() + 1, what_.size() - 1) == 0;
  }

 private:
  std::u16string_view what_;
};

// Case-insensitive: the platform's comparison decides, but it is asked about the whole candidate
// only when its first character could match. Which characters can is learnt lazily, one call per
// distinct character, so a search that misses costs a table look-up per position.
class FoldedMatcher {
 public:
  FoldedMatcher(std::u16string_view what, CaseInsensitiveEqual equal)
      : what_(what), equal_(equal), firstCharState_(0x10000, kUnknown) {}
  bool At(const char16_t* candidate) {
    return FirstCharCanMatch(candidate[0]) && equal_(candidate, what_.data(), what_.size());
  }

 private:
  enum : std::uint8_t { kUnknown, kNo, kYes };
  bool FirstCharCanMatch(char16_t c) {
    std::uint8_t& state = firstCharState_[c];
    if (state == kUnknown) state = equal_(&c, what_.data(), 1) ? kYes : kNo;
    return state == kYes;
  }

  std::u16string_view what_;
  CaseInsensitiveEqual equal_;
  std::vector<std::uint8_t> firstCharState_;
};

// The first hit among the candidates from .. to (inclusive), stepping up or down.
template <class Matcher>
std::optional<std::int32_t> Scan(const char16_t* text, std::int32_t from, std::int32_t to, Matcher& matcher) {
  if (from <= to) {
    for (std::int32_t p = from; p <= to; ++p) {
      if (matcher.At(text + p)) return p;
    }
  } else {
    for (std::int32_t p = from; p >= to; --p) {
      if (matcher.At(text + p)) return p;
    }
  }
  return std::nullopt;
}

// The ring, unrolled into two straight runs over the positions that leave room for the find
// text (later positions can never match, position L included).
template <class Matcher>
std::optional<std::int32_t> SearchRing(const RingSearch& search, Matcher& matcher) {
  const auto length = static_cast<std::int32_t>(search.text.size());
  const auto last = length - static_cast<std::int32_t>(search.what.size());
  if (last < 0) return std::nullopt;
  const std::int32_t start = std::clamp(search.start, std::int32_t{0}, length);
  const char16_t* text = search.text.data();
  std::optional<std::int32_t> hit;
  if (search.forward) {
    // start + 1, ..., L, then 0, ..., start.
    if (start + 1 <= last) hit = Scan(text, start + 1, last, matcher);
    if (!hit) hit = Scan(text, 0, std::min(start, last), matcher);
  } else {
    // start - 1, ..., 0, then L, ..., start.
    if (start >= 1) hit = Scan(text, std::min(start - 1, last), 0, matcher);
    if (!hit && start <= last) hit = Scan(text, last, start, matcher);
  }
  return hit;
}

}  // namespace

std::optional<std::int32_t> FindInRing(const RingSearch& search) {
  if (search.what.empty() || search.text.size() > static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
  if (search.matchCase) {
    ExactMatcher matcher(search.what);
    return SearchRing(search, matcher);
  }
  FoldedMatcher matcher(
      search.what, search.caseInsensitiveEqual ? search.caseInsensitiveEqual : AsciiCaseInsensitiveEqual);
  return SearchRing(search, matcher);
}
