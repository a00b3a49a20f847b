#include "tools/line_ends.h"

#include <algorithm>
#include <cstring>

std::size_t CrLfLength(std::u16string_view text) {
  return text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\r'));
}

char16_t* WriteWithCrLf(std::u16string_view text, char16_t* out) {
  // Copy whole runs between the CRs: lines are long enough for this to run at memory speed.
  const char16_t* from = text.data();
  const char16_t* const end = from + text.size();
  while (from != end) {
    const char16_t* cr = std::find(from, end, u'\r');
    const auto run = static_cast<std::size_t>(cr - from);
    if (run != 0) std::memcpy(out, from, run * sizeof(char16_t));
    out += run;
    if (cr == end) break;
    *out++ = u'\r';
    *out++ = u'\n';
    from = cr + 1;
  }
  return out;
}

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string result(CrLfLength(text), u'\0');
  WriteWithCrLf(text, result.data());
  return result;
}
