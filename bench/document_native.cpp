// Detection of 1 MiB and decoding of 10 MiB, each beside the library routine that touches the same
// bytes once (memchr, memcpy): the ratio of the two is what counts, not the absolute time.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/decode.h"
#include "document/encoding_detect.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kMiB = 1024 * 1024;

// Lines of prose, each ended by CR LF, repeated to the size asked for.
Bytes Repeat(const std::string& paragraph, std::size_t size) {
  Bytes b;
  b.reserve(size + paragraph.size());
  while (b.size() < size) b.insert(b.end(), paragraph.begin(), paragraph.end());
  b.resize(size);
  return b;
}

const std::string kEnglish =
    "The viewer reads a file whole, decides how it is encoded and shows it in both views.\r\n"
    "Lines end as they stand in the file; tabs stop every four or eight characters.\r\n"
    "Ctrl+Right steps to the next file of the folder, Ctrl+Left to the previous one.\r\n";

const std::string kJapanese =
    "\xE5\x90\xBE\xE8\xBC\xA9\xE3\x81\xAF\xE7\x8C\xAB\xE3\x81\xA7\xE3\x81\x82\xE3\x82\x8B\xE3\x80\x82"
    "\xE5\x90\x8D\xE5\x89\x8D\xE3\x81\xAF\xE3\x81\xBE\xE3\x81\xA0\xE7\x84\xA1\xE3\x81\x84\xE3\x80\x82\r\n"
    "\xE3\x81\xA9\xE3\x81\x93\xE3\x81\xA7\xE7\x94\x9F\xE3\x82\x8C\xE3\x81\x9F\xE3\x81\x8B\xE3\x81\xA8"
    "\xE3\x82\x93\xE3\x81\xA8\xE8\xA6\x8B\xE5\xBD\x93\xE3\x81\x8C\xE3\x81\xA4\xE3\x81\x8B\xE3\x81\xAC"
    "\xE3\x80\x82\r\n"
    "\xE4\xBD\x95\xE3\x81\xA7\xE3\x82\x82\xE8\x96\x84\xE6\x9A\x97\xE3\x81\x84\xE3\x81\x98\xE3\x82\x81"
    "\xE3\x81\x98\xE3\x82\x81\xE3\x81\x97\xE3\x81\x9F\xE6\x89\x80\xE3\x81\xA7 10 \xE6\x99\x82\xE9\x96\x93"
    "\xE3\x81\xBB\xE3\x81\xA9\xE6\xB3\xA3\xE3\x81\x84\xE3\x81\xA6\xE3\x81\x84\xE3\x81\x9F\xE4\xBA\x8B"
    "\xE3\x81\xA0\xE3\x81\x91\xE3\x81\xAF\xE8\xA8\x98\xE6\x86\xB6\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x84"
    "\xE3\x82\x8B\xE3\x80\x82\r\n";

std::string ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::string out(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  char* o = out.data();
  std::size_t inLeft = utf8.size(), outLeft = out.size();
  iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

const Bytes& Sample(int which) {
  static const Bytes ascii = Repeat(kEnglish, kMiB);
  static const Bytes utf8 = Repeat(kJapanese, kMiB);
  static const Bytes sjis = Repeat(ToCp932(kJapanese), kMiB);
  return which == 0 ? ascii : which == 1 ? utf8 : sjis;
}

void SetLabel(benchmark::State& state, int which) {
  state.SetLabel(which == 0 ? "ASCII" : which == 1 ? "Japanese UTF-8" : "Shift_JIS");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kMiB));
}

void BM_Memchr1MiB(benchmark::State& state) {
  const Bytes& b = Sample(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(std::memchr(b.data(), 0, b.size()));
  SetLabel(state, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_Memchr1MiB)->DenseRange(0, 2);

void BM_Detect1MiB(benchmark::State& state) {
  const Bytes& b = Sample(static_cast<int>(state.range(0)));
  const TextEncoding expected[] = {TextEncoding::ShiftJis, TextEncoding::Utf8, TextEncoding::ShiftJis};
  if (DetectTextEncoding(b.data(), b.size()) != expected[state.range(0)])
    state.SkipWithError("sample misdetected");
  for (auto _ : state) benchmark::DoNotOptimize(DetectTextEncoding(b.data(), b.size()));
  SetLabel(state, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_Detect1MiB)->DenseRange(0, 2);

constexpr std::size_t kDecodeSize = 10 * kMiB;

const Bytes& JapaneseUtf8TenMiB() {
  static const Bytes b = [] {
    Bytes t = Repeat(kJapanese, kDecodeSize + kJapanese.size());
    // End on a whole character so the strict path is the one measured.
    std::size_t end = kDecodeSize;
    while ((t[end] & 0xC0) == 0x80) --end;
    t.resize(end);
    return t;
  }();
  return b;
}

void BM_MemcpyTenMiB(benchmark::State& state) {
  const Bytes& b = JapaneseUtf8TenMiB();
  Bytes copy(b.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), b.data(), b.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(b.size()));
}
BENCHMARK(BM_MemcpyTenMiB);

void BM_DecodeUtf8TenMiB(benchmark::State& state) {
  const Bytes& b = JapaneseUtf8TenMiB();
  for (auto _ : state) {
    Utf8Decoded d = DecodeUtf8(b.data(), b.size());
    if (!d.strict) state.SkipWithError("sample is not valid UTF-8");
    benchmark::DoNotOptimize(d.text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(b.size()));
  state.SetLabel("Japanese UTF-8");
}
BENCHMARK(BM_DecodeUtf8TenMiB);

void BM_DecodeUtf16BeTenMiB(benchmark::State& state) {
  Bytes b = JapaneseUtf8TenMiB();
  for (auto& c : b) c |= 1;  // no zero unit: the whole buffer is converted
  b[0] = 0xFE, b[1] = 0xFF;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeUtf16(b.data(), b.size(), true).data());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(b.size()));
}
BENCHMARK(BM_DecodeUtf16BeTenMiB);

void BM_SanitizeBinaryTenMiB(benchmark::State& state) {
  const Bytes& b = JapaneseUtf8TenMiB();
  for (auto _ : state) benchmark::DoNotOptimize(SanitizeBinary(b.data(), b.size()).data());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(b.size()));
}
BENCHMARK(BM_SanitizeBinaryTenMiB);

}  // namespace
