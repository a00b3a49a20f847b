// Decoding in every mode: the SIMD and the portable paths give the same text, UTF-8 as the
// standard's table says, the other modes as written out plainly here, and no mode reads past the
// bytes it is given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "document/decode.h"
#include "fuzz_check.h"
#include "portable.h"
#include "reference_utf8.h"

namespace {

// Stands in for code page 932: one unit per byte, and never given a zero byte or nothing.
std::u16string FakeCp932(const unsigned char* bytes, std::size_t length) {
  FUZZ_CHECK(length > 0 && std::memchr(bytes, 0, length) == nullptr);
  std::u16string out;
  for (std::size_t i = 0; i < length; ++i) out += static_cast<char16_t>(0x100 + bytes[i]);
  return out;
}

std::u16string ReferenceUtf16(const Bytes& b, bool bigEndian) {
  std::size_t i =
      b.size() >= 2 && b[0] == (bigEndian ? 0xFE : 0xFF) && b[1] == (bigEndian ? 0xFF : 0xFE) ? 2 : 0;
  std::u16string out;
  for (; i + 1 < b.size(); i += 2) {
    const auto unit = static_cast<char16_t>(bigEndian ? b[i] << 8 | b[i + 1] : b[i + 1] << 8 | b[i]);
    if (unit == 0) break;
    out += unit;
  }
  return out;
}

std::u16string ReferenceBinary(const Bytes& b) {
  std::u16string out;
  for (unsigned char c : b) out += c == '\r' || c == '\n' || (c >= 0x20 && c <= 0x7E) ? c : u' ';
  return out;
}

std::u16string ReferenceShiftJis(const Bytes& b) {
  const Bytes text(b.begin(), std::find(b.begin(), b.end(), 0));
  return text.empty() ? std::u16string() : FakeCp932(text.data(), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, data + size);
  const unsigned char* b = bytes.data();

  const Utf8Decoded utf8 = DecodeUtf8(b, size);
  bool portableStrict = false;
  FUZZ_CHECK(utf8.text == portable::DecodeUtf8(b, size, portableStrict));
  FUZZ_CHECK(utf8.strict == portableStrict);
  const auto [expected, wellFormed] = reference::ReferenceUtf8Decode(bytes);
  FUZZ_CHECK(utf8.text == expected && utf8.strict == wellFormed);

  const bool bom = size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
  const Bytes afterBom(bytes.begin() + (bom ? 3 : 0), bytes.end());
  const std::u16string references[] = {
      u"",  // Auto: nothing to decode
      ReferenceShiftJis(bytes),
      expected,
      reference::ReferenceUtf8Decode(afterBom).first,
      ReferenceUtf16(bytes, false),
      ReferenceUtf16(bytes, true),
      ReferenceBinary(bytes),
  };
  for (int mode = 0; mode <= 6; ++mode) {
    const std::u16string text = DecodeText(static_cast<DecodeMode>(mode), b, size, FakeCp932);
    FUZZ_CHECK(text == portable::DecodeText(mode, b, size, FakeCp932));
    FUZZ_CHECK(text == references[mode]);
  }
  FUZZ_CHECK(SanitizeBinary(b, size) == portable::SanitizeBinary(b, size));

  // The mode chosen for each setting is one that decodes.
  const TextEncoding detected = DetectTextEncoding(b, size);
  for (int setting = -1; setting <= 5; ++setting) {
    const DecodeMode mode = ChooseDecodeMode(setting, detected, b, size);
    FUZZ_CHECK(mode != DecodeMode::Auto);
    FUZZ_CHECK(!EncodingLabel(mode).empty());
  }
  return 0;
}
