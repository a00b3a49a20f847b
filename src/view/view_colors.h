// The views' colours (0x00BBGGRR): white text on black with the black background, else black on
// white. The gutter, the figure boxes and the character back colour use the background.
#pragma once

#include <cstdint>

constexpr std::uint32_t ViewBackground(int blackBack) {
  return blackBack == 1 ? 0x000000u : 0xFFFFFFu;
}
constexpr std::uint32_t ViewTextColor(int blackBack) {
  return blackBack == 1 ? 0xFFFFFFu : 0x000000u;
}
