// Find and copy over a 10 MiB text, each beside the plain library routine doing the same walk.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tools/find.h"
#include "tools/line_ends.h"

namespace {

constexpr std::size_t kTextUnits = 10 * 1024 * 1024 / sizeof(char16_t);

// Prose-like lines of English words and some Japanese, each ended by a lone CR as the views give it.
const std::u16string& SampleText() {
  static const std::u16string text = [] {
    const std::u16string words[] = {u"the",
                                    u"every",
                                    u"else",
                                    u"enter",
                                    u"viewer",
                                    u"text",
                                    u"file",
                                    u"line",
                                    u"event",
                                    u"end",
                                    u"\u65e5\u672c\u8a9e",
                                    u"encode",
                                    u"window",
                                    u"number",
                                    u"error",
                                    u"\u691c\u7d22"};
    std::u16string t;
    t.reserve(kTextUnits);
    std::size_t i = 0, column = 0;
    while (t.size() < kTextUnits) {
      const auto& w = words[(i * 7 + i / 3) % std::size(words)];
      t += w;
      column += w.size() + 1;
      t += column > 60 ? u'\r' : u' ';
      if (column > 60) column = 0;
      ++i;
    }
    t.resize(kTextUnits);
    return t;
  }();
  return text;
}

// Starts with the most common letter, so a good share of positions pass the first-character test.
const std::u16string kAbsent = u"everything else";

void BM_FindMissIgnoringCase(benchmark::State& state) {
  const auto& text = SampleText();
  RingSearch search;
  search.text = text;
  search.what = kAbsent;
  search.start = 0;
  search.forward = true;
  search.matchCase = false;
  search.caseInsensitiveEqual = AsciiCaseInsensitiveEqual;
  for (auto _ : state) {
    auto hit = FindInRing(search);
    benchmark::DoNotOptimize(hit);
  }
  if (FindInRing(search)) state.SkipWithError("the find text occurs");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_FindMissIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_FindMissMatchingCase(benchmark::State& state) {
  const auto& text = SampleText();
  RingSearch search;
  search.text = text;
  search.what = kAbsent;
  search.matchCase = true;
  for (auto _ : state) {
    auto hit = FindInRing(search);
    benchmark::DoNotOptimize(hit);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_FindMissMatchingCase)->Unit(benchmark::kMillisecond);

void BM_StdSearchMiss(benchmark::State& state) {
  const auto& text = SampleText();
  for (auto _ : state) {
    auto at = std::search(text.begin(), text.end(), kAbsent.begin(), kAbsent.end());
    benchmark::DoNotOptimize(at);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_StdSearchMiss)->Unit(benchmark::kMillisecond);

void BM_CopyWithCrLf(benchmark::State& state) {
  const auto& text = SampleText();
  // Into a block that already exists, as the copy writes straight into the clipboard's memory.
  std::vector<char16_t> out(CrLfLength(text) + 1);
  for (auto _ : state) {
    const std::size_t n = CrLfLength(text);
    char16_t* end = WriteWithCrLf(text, out.data());
    *end = u'\0';
    benchmark::DoNotOptimize(n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_CopyWithCrLf)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
  const auto& text = SampleText();
  std::vector<char16_t> out(text.size() + 1);
  for (auto _ : state) {
    std::memcpy(out.data(), text.data(), text.size() * sizeof(char16_t));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

}  // namespace
