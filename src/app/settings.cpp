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

void SetFontName(AppSettings& settings, std::u16string_view name) {
  constexpr size_t kMax = sizeof(AppSettings::fontName) / sizeof(char16_t) - 1;
  size_t length = std::min(name.size(), kMax);
  if (length < name.size() && length > 0 && IsHighSurrogate(name[length - 1])) --length;
  std::fill(std::begin(settings.fontName), std::end(settings.fontName), u'\0');
  std::copy_n(name.begin(), length, settings.fontName);
}

std::u16string_view FontNameOf(const AppSettings& settings) {
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
  placed.left = MoveInto(window.left, width, nearest->left, nearest->right);
  placed.top = MoveInto(window.top, height, nearest->top, nearest->bottom);
  placed.right = static_cast<int>(std::min<long long>(placed.left + width, std::numeric_limits<int>::max()));
  placed.bottom = static_cast<int>(std::min<long long>(placed.top + height, std::numeric_limits<int>::max()));
  return placed;
}
