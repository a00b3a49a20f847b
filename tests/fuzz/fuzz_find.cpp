// The find's ring search over any text, find text, selection, direction and case: the skipping scan
// with its lazily learnt table finds what trying every position of the ring in turn with the plain
// comparison finds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "tools/find.h"

namespace {

// Comparisons a locale might make: Latin-1 letters fold too, and full-width letters fold to ASCII.
char16_t WideFold(char16_t c) {
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c - 0xFF21 + u'a');
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0xFF41 + u'a');
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  return c;
}

bool WideEqual(const char16_t* a, const char16_t* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (WideFold(a[i]) != WideFold(b[i])) return false;
  return true;
}

std::optional<std::int32_t> ReferenceRing(const RingSearch& s, CaseInsensitiveEqual equal) {
  const auto length = static_cast<long long>(s.text.size());
  const auto k = static_cast<long long>(s.what.size());
  if (k == 0) return std::nullopt;
  const long long start = std::clamp<long long>(s.start, 0, length);
  for (long long step = 1; step <= length + 1; ++step) {
    const long long p =
        ((s.forward ? start + step : start - step) % (length + 1) + length + 1) % (length + 1);
    if (p + k > length) continue;
    const char16_t* candidate = s.text.data() + p;
    const bool hit = s.matchCase ? std::equal(candidate, candidate + k, s.what.begin())
                                 : equal(candidate, s.what.data(), static_cast<std::size_t>(k));
    if (hit) return static_cast<std::int32_t>(p);
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static const char16_t kAlphabet[] = {u'a', u'A', u'b', u'B', 0xE4, 0xC4, 0xFF21, 0xFF41, u'\r', u'a', u'a'};
  const std::u16string what = ConsumeText(input, 12, kAlphabet);
  const std::u16string text = ConsumeText(input, 600, kAlphabet);
  RingSearch search;
  // Exactly sized, so that a read past the text shows.
  const std::vector<char16_t> exact(text.begin(), text.end());
  search.text = std::u16string_view(exact.data(), exact.size());
  search.what = what;
  search.start = input.ConsumeBool() ? input.ConsumeIntegral<std::int32_t>()
                                     : input.ConsumeIntegralInRange<std::int32_t>(
                                           -1, static_cast<std::int32_t>(text.size()) + 1);
  search.forward = input.ConsumeBool();
  search.matchCase = input.ConsumeBool();
  search.caseInsensitiveEqual = input.ConsumeBool() ? AsciiCaseInsensitiveEqual : WideEqual;
  FUZZ_CHECK(FindInRing(search) == ReferenceRing(search, search.caseInsensitiveEqual));
  return 0;
}
