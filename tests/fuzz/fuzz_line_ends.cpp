// CR to CR LF for the clipboard: the SIMD and the portable paths write exactly what the plain rule
// gives, into a buffer of exactly the counted length.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "portable.h"
#include "tools/line_ends.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static const char16_t kAlphabet[] = {u'a', u'\r', u'\n', u'\r', u' ', 0x3000, 0xD800, u'\r', 0x0D0A};
  const std::u16string text = ConsumeText(input, 4096, kAlphabet);

  std::u16string expected;
  for (char16_t c : text) {
    expected += c;
    if (c == u'\r') expected += u'\n';
  }
  FUZZ_CHECK(CrLfLength(text) == expected.size());
  FUZZ_CHECK(portable::CrLfLength(text) == expected.size());
  FUZZ_CHECK(WithCrLf(text) == expected);
  // Exactly sized, so that a write past the counted length shows.
  for (auto write : {&WriteWithCrLf, &portable::WriteWithCrLf}) {
    const auto out = std::make_unique<char16_t[]>(expected.size());
    const char16_t* end = write(text, out.get());
    FUZZ_CHECK(end == out.get() + expected.size());
    FUZZ_CHECK(std::u16string(out.get(), expected.size()) == expected);
  }
  return 0;
}
