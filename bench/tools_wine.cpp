// Find and copy over 10 MiB under Wine, with the run-time library's own case-insensitive comparison
// (classic locale, then the user's), each beside the plain library routine doing the same walk.
#include <windows.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "app/wide_win.h"
#include "tools/find.h"
#include "tools/line_ends.h"

namespace {

constexpr std::size_t kTextUnits = 10 * 1024 * 1024 / sizeof(char16_t);

bool RuntimeCaseInsensitiveEqual(const char16_t* a, const char16_t* b, std::size_t count) {
  return _wcsnicmp(W(a), W(b), count) == 0;
}

// English words and runs of kanji from a pool of a few thousand, lines ended by a lone CR.
std::u16string SampleText() {
  const std::u16string words[] = {u"the",   u"every", u"else",   u"enter", u"viewer", u"text",
                                  u"file",  u"line",  u"event",  u"end",   u"encode", u"window",
                                  u"Error", u"Enter", u"number", u"Viewer"};
  std::u16string t;
  t.reserve(kTextUnits + 64);
  unsigned seed = 12345, column = 0;
  while (t.size() < kTextUnits) {
    seed = seed * 1103515245u + 12345u;
    if ((seed >> 16) % 3 == 0) {
      for (unsigned k = 0; k < 4; ++k) {
        seed = seed * 1103515245u + 12345u;
        t += static_cast<char16_t>(0x4E00 + (seed >> 16) % 3000);
      }
    } else {
      t += words[(seed >> 16) % std::size(words)];
    }
    column += 6;
    t += column > 60 ? u'\r' : u' ';
    if (column > 60) column = 0;
  }
  t.resize(kTextUnits);
  return t;
}

template <class F>
double BestMilliseconds(F&& f, int runs = 15) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    QueryPerformanceCounter(&start);
    f();
    QueryPerformanceCounter(&end);
    best = std::min(best, 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart));
  }
  return best;
}

}  // namespace

int main() {
  const std::u16string text = SampleText();
  const std::u16string absent = u"everything else";
  volatile std::ptrdiff_t sink = 0;

  RingSearch search;
  search.text = text;
  search.what = absent;
  search.caseInsensitiveEqual = RuntimeCaseInsensitiveEqual;
  if (FindInRing(search)) std::printf("the find text occurs: the figures below mean nothing\n");

  const double stdSearch = BestMilliseconds(
      [&] { sink = std::search(text.begin(), text.end(), absent.begin(), absent.end()) - text.begin(); });
  const double classic = BestMilliseconds([&] { sink = FindInRing(search).value_or(-1); });
  std::setlocale(LC_ALL, "");
  const double userLocale = BestMilliseconds([&] { sink = FindInRing(search).value_or(-1); });
  std::setlocale(LC_ALL, "C");

  std::vector<char16_t> out(CrLfLength(text) + 1);
  const double crlf = BestMilliseconds([&] {
    const std::size_t n = CrLfLength(text);
    *WriteWithCrLf(text, out.data()) = u'\0';
    sink = static_cast<std::ptrdiff_t>(n);
  });
  const double copy =
      BestMilliseconds([&] { std::memcpy(out.data(), text.data(), text.size() * sizeof(char16_t)); });

  std::printf("10 MiB of UTF-16 text, best of 15 runs\n");
  std::printf("find miss ignoring case, classic locale: %7.2f ms  (%.2fx std::search)\n", classic,
              classic / stdSearch);
  std::printf("find miss ignoring case, user locale:    %7.2f ms  (%.2fx std::search)\n", userLocale,
              userLocale / stdSearch);
  std::printf("std::search miss:                        %7.2f ms\n", stdSearch);
  std::printf("CR to CR LF:                             %7.2f ms  (%.2fx memcpy)\n", crlf, crlf / copy);
  std::printf("memcpy:                                  %7.2f ms\n", copy);
  return static_cast<int>(sink & 0);
}
