#include "tools/find.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
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

// Each matcher answers Rejects (cheap, no calls: surely not a hit) and At (the full decision), so
// the scan runs a tight loop over the rejected positions and asks At only about the rest.

// Case-sensitive: a candidate is a hit when its k code units equal the find text.
class ExactMatcher {
 public:
  explicit ExactMatcher(std::u16string_view what) : what_(what), first_(what[0]) {}
  bool Rejects(const char16_t* candidate) const { return candidate[0] != first_; }
  bool At(const char16_t* candidate) {
    return std::char_traits<char16_t>::compare(candidate, what_.data(), what_.size()) == 0;
  }

 private:
  std::u16string_view what_;
  char16_t first_;
};

// Case-insensitive: the platform's comparison decides, but it is asked about the whole candidate
// only once the candidate's first few characters could each match. Which code units can stand at
// which of those positions is learnt lazily, one one-character call per code unit and position
// met, so a search that misses costs about two table look-ups per position.
class FoldedMatcher {
 public:
  FoldedMatcher(std::u16string_view what, CaseInsensitiveEqual equal)
      : what_(what),
        equal_(equal),
        prefix_(std::min(what.size(), kPrefix)),
        secondIndex_(what.size() > 1 ? 1 : 0),
        secondKnown_(1u << secondIndex_),
        secondMask_(0x101u << secondIndex_),
        learnt_(static_cast<std::uint16_t*>(std::calloc(0x10000, sizeof(std::uint16_t)))) {
    if (!learnt_) throw std::bad_alloc();
  }
  // The first or the second character is already known not to match.
  bool Rejects(const char16_t* candidate) const {
    const unsigned first = learnt_[candidate[0]];
    const unsigned second = learnt_[candidate[secondIndex_]];
    return ((first & 0x0101u) == 0x0001u) | ((second & secondMask_) == secondKnown_);
  }
  bool At(const char16_t* candidate) {
    for (std::size_t i = 0; i < prefix_; ++i) {
      if (!CanStandAt(candidate[i], i)) return false;
    }
    return equal_(candidate, what_.data(), what_.size());
  }

 private:
  static constexpr std::size_t kPrefix = 8;
  // Per code unit: low byte, bit i = position i is known; high byte, bit i = it can stand there.
  bool CanStandAt(char16_t c, std::size_t i) {
    std::uint16_t& bits = learnt_[c];
    const auto known = static_cast<std::uint16_t>(1u << i);
    const auto can = static_cast<std::uint16_t>(0x100u << i);
    if (!(bits & known))
      bits = static_cast<std::uint16_t>(bits | known | (equal_(&c, what_.data() + i, 1) ? can : 0));
    return (bits & can) != 0;
  }

  std::u16string_view what_;
  CaseInsensitiveEqual equal_;
  std::size_t prefix_;
  std::size_t secondIndex_;  // 0 for a one-character find text
  unsigned secondKnown_;
  unsigned secondMask_;
  struct Free {
    void operator()(void* p) const { std::free(p); }
  };
  // Zeroed by the allocator: a fresh block comes zero from the system, and only the pages of the
  // code units met are ever touched.
  std::unique_ptr<std::uint16_t[], Free> learnt_;
};

template <class Matcher>
const char16_t* SkipUp(const char16_t* p, const char16_t* stop, const Matcher& matcher) {
  while (p != stop && matcher.Rejects(p)) ++p;
  return p;
}

template <class Matcher>
const char16_t* SkipDown(const char16_t* q, const char16_t* stop, const Matcher& matcher) {
  while (q != stop && matcher.Rejects(q - 1)) --q;
  return q;
}

// The first hit among the candidates from .. to (inclusive), stepping up or down.
template <class Matcher>
std::optional<std::int32_t> Scan(const char16_t* text, std::int32_t from, std::int32_t to, Matcher& matcher) {
  if (from <= to) {
    const char16_t* const stop = text + to + 1;
    for (const char16_t* p = text + from; (p = SkipUp(p, stop, matcher)) != stop; ++p) {
      if (matcher.At(p)) return static_cast<std::int32_t>(p - text);
    }
  } else {
    // Stepping down, q stands one past the candidate, so that no pointer goes before the text.
    const char16_t* const stop = text + to;
    for (const char16_t* q = text + from + 1; (q = SkipDown(q, stop, matcher)) != stop; --q) {
      if (matcher.At(q - 1)) return static_cast<std::int32_t>(q - 1 - text);
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
