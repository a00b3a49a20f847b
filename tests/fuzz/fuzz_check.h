// What every fuzz target shares: a check that stops the run on a difference, so that libFuzzer
// keeps the input, and the input cut into the pieces a target needs.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

// UTF-16 text of up to maxUnits code units. Most units come from `alphabet` (picked by a byte, so
// that short inputs reach the interesting characters); a zero byte takes the next two bytes as any
// unit.
template <std::size_t N>
std::u16string ConsumeText(FuzzedDataProvider& data, std::size_t maxUnits, const char16_t (&alphabet)[N]) {
  std::u16string text;
  const std::size_t units = data.ConsumeIntegralInRange<std::size_t>(0, maxUnits);
  while (text.size() < units && data.remaining_bytes() > 0) {
    const auto pick = data.ConsumeIntegral<unsigned char>();
    text += pick == 0 ? data.ConsumeIntegral<char16_t>() : alphabet[pick % N];
  }
  return text;
}
