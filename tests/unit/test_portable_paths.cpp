// The 32-bit program runs the portable paths (i686 has no SSE2 unless asked for), the 64-bit one
// the SSE2 paths: on random input both give the same answers. Built with VAM_NO_SIMD the program's
// own paths are the portable ones too, and the whole suite runs against them (native-nosimd).
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "bytes.h"
#include "document/decode.h"
#include "document/encoding_detect.h"
#include "portable.h"
#include "reference_detect.h"
#include "reference_utf8.h"
#include "tools/line_ends.h"

namespace {

std::u16string OnePerByte(const unsigned char* bytes, std::size_t length) {
  return std::u16string(bytes, bytes + length);
}

// Lengths around the block sizes of the SIMD paths (16, 64, 128 bytes, 8 and 16 units).
std::vector<std::size_t> Lengths() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 260; ++n) lengths.push_back(n);
  for (std::size_t n : {511u, 512u, 513u, 1000u, 4097u, 20000u}) lengths.push_back(n);
  return lengths;
}

TEST(PortablePaths, DetectionAndAsciiRunsAsTheSimdPaths) {
  std::mt19937 rng(1009);
  for (std::size_t n : Lengths()) {
    for (int flavour = 0; flavour < 4; ++flavour) {
      const Bytes b = reference::TextLikeBytes(rng, n, flavour);
      SCOPED_TRACE(testing::Message() << "length " << n << " flavour " << flavour);
      ASSERT_EQ(static_cast<int>(DetectTextEncoding(b.data(), n)), portable::DetectTextEncoding(b.data(), n));
      ASSERT_EQ(Utf8Score(b.data(), n), portable::Utf8Score(b.data(), n));
      ASSERT_EQ(ShiftJisScore(b.data(), n), portable::ShiftJisScore(b.data(), n));
      // From every start within the first block, so that each alignment is met.
      for (std::size_t from = 0; from < std::min<std::size_t>(n, 17); ++from) {
        ASSERT_EQ(AsciiPrefixLength(b.data() + from, n - from),
                  portable::AsciiPrefixLength(b.data() + from, n - from));
      }
    }
    // Plain text with one high byte placed at random: the ASCII runs end exactly there.
    Bytes plain(n, 'a');
    if (n > 0) plain[std::uniform_int_distribution<std::size_t>(0, n - 1)(rng)] = 0xE3;
    ASSERT_EQ(AsciiPrefixLength(plain.data(), n), portable::AsciiPrefixLength(plain.data(), n));
    ASSERT_EQ(static_cast<int>(DetectTextEncoding(plain.data(), n)),
              portable::DetectTextEncoding(plain.data(), n));
  }
}

TEST(PortablePaths, DecodingAsTheSimdPaths) {
  std::mt19937 rng(2003);
  for (std::size_t n : Lengths()) {
    for (int noise : {0, 3, 40}) {
      const Bytes b = reference::RandomUtf8ish(rng, n, noise);
      SCOPED_TRACE(testing::Message() << "length " << n << " noise " << noise);
      const Utf8Decoded fast = DecodeUtf8(b.data(), n);
      bool strict = false;
      ASSERT_EQ(fast.text, portable::DecodeUtf8(b.data(), n, strict));
      ASSERT_EQ(fast.strict, strict);
      for (int mode = 1; mode <= 6; ++mode) {
        ASSERT_EQ(DecodeText(static_cast<DecodeMode>(mode), b.data(), n, OnePerByte),
                  portable::DecodeText(mode, b.data(), n, OnePerByte))
            << "mode " << mode;
      }
    }
  }
}

TEST(PortablePaths, CrLfAsTheSimdPaths) {
  std::mt19937 rng(3001);
  const char16_t alphabet[] = {u'a', u'\r', u'\n', 0x3000, 0x0D0A, u'\r'};
  for (std::size_t n : Lengths()) {
    for (int crPercent : {0, 5, 50, 100}) {
      std::u16string text(n, u'a');
      for (char16_t& c : text) {
        c = std::uniform_int_distribution<int>(0, 99)(rng) < crPercent
                ? u'\r'
                : alphabet[rng() % std::size(alphabet)];
      }
      SCOPED_TRACE(testing::Message() << "length " << n << " CRs " << crPercent << "%");
      const std::size_t length = CrLfLength(text);
      ASSERT_EQ(length, portable::CrLfLength(text));
      std::vector<char16_t> fast(length + 1, u'#'), plain(length + 1, u'#');
      ASSERT_EQ(WriteWithCrLf(text, fast.data()), fast.data() + length);
      ASSERT_EQ(portable::WriteWithCrLf(text, plain.data()), plain.data() + length);
      ASSERT_EQ(fast, plain);
    }
  }
}

}  // namespace
