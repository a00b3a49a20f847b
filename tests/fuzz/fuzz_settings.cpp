// The INI words and numbers as a hand-edited file gives them: words and numbers both ways, the raw
// value of a key in a section, the face name and the font size kept within their bounds, and the
// saved window rectangle put back on a monitor.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "fuzz_check.h"
#include "view/font_size.h"

namespace {

std::u16string AsciiUpper(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return out;
}

bool Blank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view Trimmed(std::u16string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return s;
}

// The section split at its NULs, up to the empty string that ends it.
std::optional<std::u16string> ReferenceRawValue(std::u16string_view section, std::u16string_view key) {
  std::size_t start = 0;
  while (start < section.size() && section[start] != u'\0') {
    std::size_t end = section.find(u'\0', start);
    if (end == std::u16string_view::npos) end = section.size();
    const std::u16string_view line = section.substr(start, end - start);
    const std::size_t equals = line.find(u'=');
    if (equals != std::u16string_view::npos && AsciiUpper(Trimmed(line.substr(0, equals))) == AsciiUpper(key))
      return std::u16string(Trimmed(line.substr(equals + 1)));
    start = end + 1;
  }
  return std::nullopt;
}

long long ParseNumberText(const std::u16string& text) {
  FUZZ_CHECK(text.size() >= 2 && text[0] == u' ');
  std::size_t i = 1;
  const bool negative = text[i] == u'-';
  if (negative) ++i;
  FUZZ_CHECK(i < text.size());
  long long value = 0;
  for (; i < text.size(); ++i) {
    FUZZ_CHECK(text[i] >= u'0' && text[i] <= u'9');
    value = value * 10 + (text[i] - u'0');
  }
  return negative ? -value : value;
}

bool Overlaps(const ScreenRect& w, const ScreenRect& m) {
  const long long right = std::max<long long>(w.right, static_cast<long long>(w.left) + 1);
  const long long bottom = std::max<long long>(w.bottom, static_cast<long long>(w.top) + 1);
  return w.left < m.right && m.left < right && w.top < m.bottom && m.top < bottom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static const char16_t kAlphabet[] = {u'o', u'n', u'O', u'N', u'=', u'\0', u' ',   u'\t',  u'f',   u'S',
                                       u'h', u'i', u't', u'J', u'U', u'T',  u'F',   u'-',   u'8',   u'1',
                                       u'6', u'L', u'E', u'e', u'd', u'r',  0xD800, 0xDC00, 0xFF2D, u'"'};
  const std::u16string text = ConsumeText(input, 200, kAlphabet);

  // Words.
  FUZZ_CHECK(FlagFromWord(text) == (AsciiUpper(text) == u"ON" ? 1 : 0));
  const std::u16string upper = AsciiUpper(text);
  const int encoding = upper == u"SHIFTJIS" ? 1 : upper == u"UTF-8" ? 2 : upper == u"UTF-16LE" ? 4 : 0;
  FUZZ_CHECK(EncodingFromWord(text) == encoding);
  const int value = input.ConsumeIntegral<int>();
  FUZZ_CHECK(FlagFromWord(WordFromFlag(value)) == (value == 1 ? 1 : 0));
  FUZZ_CHECK(EncodingFromWord(WordFromEncoding(value)) ==
             (value == 1 || value == 2 || value == 4 ? value : 0));

  // Numbers, and the font size that a number becomes.
  FUZZ_CHECK(ParseNumberText(SettingNumberText(value)) == value);
  const int points = FontSizeInBounds(value);
  FUZZ_CHECK(points >= kMinFontSize && points <= kMaxFontSize &&
             (value == points || value < kMinFontSize || value > kMaxFontSize));
  const int stepped = StepFontSize(value, input.ConsumeIntegral<int>());
  FUZZ_CHECK(stepped >= kMinFontSize && stepped <= kMaxFontSize);
  const int fromHeight = PointSizeFromHeight(input.ConsumeIntegral<long>(), input.ConsumeIntegral<int>());
  FUZZ_CHECK(fromHeight >= kMinFontSize && fromHeight <= kMaxFontSize);

  // A key's raw value in the section as the profile function returns it.
  for (std::u16string_view key : {u"editor", u"dll", u""}) {
    const std::optional<std::u16string_view> raw = FindRawValue(text, key);
    const std::optional<std::u16string> expected = ReferenceRawValue(text, key);
    FUZZ_CHECK(raw.has_value() == expected.has_value());
    if (raw) FUZZ_CHECK(std::u16string(*raw) == *expected);
  }

  // Cut text and the face name: a prefix, never half a surrogate pair.
  const auto maxUnits = input.ConsumeIntegralInRange<std::size_t>(0, 40);
  const std::u16string_view cut = CutText(text, maxUnits);
  FUZZ_CHECK(cut.size() <= maxUnits && text.substr(0, cut.size()) == cut);
  FUZZ_CHECK(cut.size() == std::min(text.size(), maxUnits) ||
             (cut.size() + 1 == maxUnits && text[cut.size()] >= 0xD800 && text[cut.size()] <= 0xDBFF));
  AppSettings settings;
  SetFontName(settings, text);
  const std::u16string_view face = FaceName(settings);
  FUZZ_CHECK(face ==
             CutText(text, 31).substr(0, std::min(CutText(text, 31).find(u'\0'), CutText(text, 31).size())));

  // The saved rectangle against the monitors.
  const ScreenRect window{input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                          input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
  std::vector<ScreenRect> monitors(input.ConsumeIntegralInRange<std::size_t>(0, 4));
  for (ScreenRect& m : monitors) {
    m.left = input.ConsumeIntegralInRange<int>(-5000, 5000);
    m.top = input.ConsumeIntegralInRange<int>(-5000, 5000);
    m.right = m.left + input.ConsumeIntegralInRange<int>(1, 5000);
    m.bottom = m.top + input.ConsumeIntegralInRange<int>(1, 5000);
  }
  const ScreenRect placed = PlaceOnMonitors(window, monitors);
  const bool onScreen =
      std::any_of(monitors.begin(), monitors.end(), [&](const ScreenRect& m) { return Overlaps(window, m); });
  if (monitors.empty() || onScreen) {
    FUZZ_CHECK(placed == window);
  } else {
    FUZZ_CHECK(std::any_of(monitors.begin(), monitors.end(),
                           [&](const ScreenRect& m) { return Overlaps(placed, m); }));
    const long long width = std::max(static_cast<long long>(window.right) - window.left, 0LL);
    const long long height = std::max(static_cast<long long>(window.bottom) - window.top, 0LL);
    FUZZ_CHECK(placed.right == std::min<long long>(placed.left + width, INT_MAX));
    FUZZ_CHECK(placed.bottom == std::min<long long>(placed.top + height, INT_MAX));
  }
  return 0;
}
