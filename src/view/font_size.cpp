#include "view/font_size.h"

#include <algorithm>

int ClampFontSize(int size) {
  return std::clamp(size, kMinFontSize, kMaxFontSize);
}

int StepFontSize(int size, int delta) {
  // Wide arithmetic: a size read from the settings file may be near the int limits.
  const long long stepped = static_cast<long long>(size) + delta;
  return static_cast<int>(std::clamp<long long>(stepped, kMinFontSize, kMaxFontSize));
}

int PointSizeFromHeight(long lfHeight, int pixelsPerInch) {
  if (pixelsPerInch <= 0) return kMinFontSize;
  const double points = 0.5 - static_cast<double>(lfHeight) * 72.0 / pixelsPerInch;
  // Clamp before converting so no out-of-range double reaches the int conversion; truncation
  // towards zero of anything below 1 would give 0 or less, which the lower bound replaces anyway.
  if (!(points >= kMinFontSize)) return kMinFontSize;
  if (points >= kMaxFontSize + 1) return kMaxFontSize;
  return static_cast<int>(points);
}
