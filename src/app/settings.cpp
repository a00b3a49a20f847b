#include "app/settings.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "view/font_size.h"

namespace {

char16_t AsciiUpper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Gap between two spans on one axis; 0 when they overlap or touch.
long long Gap(int lowA, int highA, int lowB, int highB) {
  if (highA <= lowB) return static_cast<long long>(lowB) - highA;
  if (highB <= lowA) return static_cast<long long>(lowA) - highB;
  return 0;
}

// The low edge of a span of length size moved into [low, high), as far as the size allows.
int MoveInto(int edge, long long size, int low, int high) {
  const long long limit = std::max<long long>(low, static_cast<long long>(high) - size);
  return static_cast<int>(std::clamp<long long>(edge, low, limit));
}

}  // namespace

int FontSizeInBounds(int points) {
  return std::clamp(points, kMinFontSize, kMaxFontSize);
}

int FlagFromWord(std::u16string_view word) {
  return EqualsAsciiNoCase(word, u"ON") ? 1 : 0;
}

std::u16string_view WordFromFlag(int flag) {
  return flag == 1 ? u"ON" : u"OFF";
}

int EncodingFromWord(std::u16string_view word) {
  if (EqualsAsciiNoCase(word, u"ShiftJIS")) return 1;
  if (EqualsAsciiNoCase(word, u"UTF-8")) return 2;
  if (EqualsAsciiNoCase(word, u"UTF-16LE")) return 4;
  return 0;
}

std::u16string_view WordFromEncoding(int encoding) {
  switch (encoding) {
    case 1:
      return u"ShiftJIS";
    case 2:
      return u"UTF-8";
    case 4:
      return u"UTF-16LE";
    default:
      return u"AUTO";
  }
}

std::u16string SettingNumberText(int value) {
  // Digits of the magnitude in unsigned arithmetic, so INT_MIN has one too.
  unsigned long long magnitude = value < 0
                                     ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value))
                                     : static_cast<unsigned long long>(value);
  std::u16string digits;
  do {
    digits.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits.push_back(u'-');
  digits.push_back(u' ');
  std::reverse(digits.begin(), digits.end());
  return digits;
}

std::u16string_view CutText(std::u16string_view text, size_t maxUnits) {
  if (text.size() <= maxUnits) return text;
  size_t length = maxUnits;
  if (length > 0 && IsHighSurrogate(text[length - 1])) --length;
  return text.substr(0, length);
}

std::optional<std::u16string_view> FindRawValue(std::u16string_view section, std::u16string_view key) {
  while (!section.empty() && section.front() != u'\0') {
    const size_t end = std::min(section.find(u'\0'), section.size());
    const std::u16string_view line = section.substr(0, end);
    section.remove_prefix(std::min(end + 1, section.size()));
    const size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) continue;
    if (EqualsAsciiNoCase(TrimBlanks(line.substr(0, equals)), key))
      return TrimBlanks(line.substr(equals + 1));
  }
  return std::nullopt;
}

void SetFontName(AppSettings& settings, std::u16string_view name) {
  const std::u16string_view kept = CutText(name, sizeof(AppSettings::fontName) / sizeof(char16_t) - 1);
  std::fill(std::begin(settings.fontName), std::end(settings.fontName), u'\0');
  std::copy(kept.begin(), kept.end(), settings.fontName);
}

std::u16string_view FaceName(const AppSettings& settings) {
  const auto* end = std::find(std::begin(settings.fontName), std::end(settings.fontName), u'\0');
  return {settings.fontName, static_cast<size_t>(end - std::begin(settings.fontName))};
}

ScreenRect PlaceOnMonitors(const ScreenRect& window, std::span<const ScreenRect> monitors) {
  // An empty rectangle counts as its top-left point.
  const long long width = std::max(static_cast<long long>(window.right) - window.left, 0LL);
  const long long height = std::max(static_cast<long long>(window.bottom) - window.top, 0LL);
  const int probeRight = static_cast<int>(
      std::min<long long>(window.left + std::max(width, 1LL), std::numeric_limits<int>::max()));
  const int probeBottom = static_cast<int>(
      std::min<long long>(window.top + std::max(height, 1LL), std::numeric_limits<int>::max()));
  const ScreenRect* nearest = nullptr;
  double nearestDistance = 0;
  for (const ScreenRect& monitor : monitors) {
    const long long dx = Gap(window.left, probeRight, monitor.left, monitor.right);
    const long long dy = Gap(window.top, probeBottom, monitor.top, monitor.bottom);
    const bool overlaps = window.left < monitor.right && monitor.left < probeRight &&
                          window.top < monitor.bottom && monitor.top < probeBottom;
    if (overlaps) return window;
    // Squares in floating point: the gaps may be near 2^32.
    const double distance = static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
    if (nearest == nullptr || distance < nearestDistance) {
      nearest = &monitor;
      nearestDistance = distance;
    }
  }
  if (nearest == nullptr) return window;
  ScreenRect placed;
  // An empty rectangle is moved as its top-left point, which must land inside the monitor too.
  placed.left = MoveInto(window.left, std::max(width, 1LL), nearest->left, nearest->right);
  placed.top = MoveInto(window.top, std::max(height, 1LL), nearest->top, nearest->bottom);
  placed.right = static_cast<int>(std::min<long long>(placed.left + width, std::numeric_limits<int>::max()));
  placed.bottom = static_cast<int>(std::min<long long>(placed.top + height, std::numeric_limits<int>::max()));
  return placed;
}
