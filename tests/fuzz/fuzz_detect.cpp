// Encoding detection: the SIMD paths, the portable paths and the rule-by-rule walks agree, and the
// detection window ends where the walks over it agree with the walks over the whole file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/encoding_detect.h"
#include "fuzz_check.h"
#include "portable.h"
#include "reference_detect.h"

namespace {

struct Step {
  std::size_t at;
  std::size_t length;  // 0: the walk ruled the encoding out here
  int score;
  friend bool operator==(const Step&, const Step&) = default;
};

// Every step of a walk over the first n bytes, written out as plainly as the reference scores.
std::vector<Step> Utf8Trace(const unsigned char* b, std::size_t n) {
  std::vector<Step> steps;
  const auto cont = [&](std::size_t i) { return b[i] >= 0x80 && b[i] <= 0xBF; };
  for (std::size_t k = 0; k < n;) {
    const unsigned c = b[k];
    Step s{k, 1, 0};
    if (c == 0xA0 || c == 0xFF) {
    } else if (c <= 0x7F) {
      s.score = 1;
    } else if (k + 1 >= n) {
    } else if (c >= 0xC0 && c <= 0xDF && cont(k + 1)) {
      s = {k, 2, 2};
    } else if (k + 2 >= n) {
    } else if (c >= 0xE0 && c <= 0xEF && cont(k + 1) && cont(k + 2)) {
      s = {k, 3, 3};
    } else if (k + 3 >= n) {
      s = {k, 0, -1};
    } else if (c >= 0xF0 && c <= 0xF7 && cont(k + 1) && cont(k + 2) && cont(k + 3)) {
      s = {k, 4, 4};
    }
    steps.push_back(s);
    if (s.length == 0) break;
    k += s.length;
  }
  return steps;
}

std::vector<Step> SjisTrace(const unsigned char* b, std::size_t n) {
  std::vector<Step> steps;
  for (std::size_t l = 0; l < n;) {
    const unsigned c = b[l];
    Step s{l, 1, 0};
    if (c == 0xA0 || c == 0xFF) {
    } else if (c <= 0x7F || (c >= 0xA1 && c <= 0xDF)) {
      s.score = 1;
    } else if (l + 1 >= n) {
    } else {
      const unsigned t = b[l + 1];
      const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      const bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
      s = lead && trail ? Step{l, 2, 2} : Step{l, 0, -1};
    }
    steps.push_back(s);
    if (s.length == 0) break;
    l += s.length;
  }
  return steps;
}

// Whether the walk over the first p bytes takes exactly the steps the walk over the file takes there.
bool PrefixAgrees(const std::vector<Step>& file, const std::vector<Step>& prefix, std::size_t p) {
  std::vector<Step> before;
  for (const Step& s : file) {
    if (s.at < p) before.push_back(s);
  }
  return before == prefix;
}

std::size_t ReferenceWindow(const unsigned char* b, std::size_t window, std::size_t total) {
  if (total <= window) return total;
  const std::vector<Step> utf8File = Utf8Trace(b, total), sjisFile = SjisTrace(b, total);
  std::size_t utf8Only = window;
  bool utf8Found = false;
  for (std::size_t p = window; p <= std::min(total, window + 16); ++p) {
    const bool utf8 = PrefixAgrees(utf8File, Utf8Trace(b, p), p);
    if (utf8 && PrefixAgrees(sjisFile, SjisTrace(b, p), p)) return p;
    if (utf8 && !utf8Found) {
      utf8Only = p;
      utf8Found = true;
    }
  }
  return utf8Only;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact copy, so that a read past the end shows.
  const Bytes bytes(data, data + size);
  const unsigned char* b = bytes.data();
  const auto encoding = static_cast<int>(DetectTextEncoding(b, size));
  FUZZ_CHECK(encoding == portable::DetectTextEncoding(b, size));
  FUZZ_CHECK(encoding == static_cast<int>(reference::ReferenceDetect(bytes)));
  const std::int64_t u = Utf8Score(b, size), s = ShiftJisScore(b, size);
  FUZZ_CHECK(u == portable::Utf8Score(b, size) && u == reference::ReferenceUtf8Score(bytes));
  FUZZ_CHECK(s == portable::ShiftJisScore(b, size) && s == reference::ReferenceSjisScore(bytes));
  const std::size_t ascii = AsciiPrefixLength(b, size);
  FUZZ_CHECK(ascii == portable::AsciiPrefixLength(b, size));
  FUZZ_CHECK(ascii == static_cast<std::size_t>(
                          std::find_if(b, b + size, [](unsigned char c) { return c >= 0x80; }) - b));

  // Windows of every size over the first bytes: the first byte picks one.
  if (size > 1) {
    const std::size_t total = std::min<std::size_t>(size - 1, 96);
    const std::size_t window = b[0] % (total + 1);
    FUZZ_CHECK(DetectionWindowLength(b + 1, window, total) == ReferenceWindow(b + 1, window, total));
  }
  return 0;
}
