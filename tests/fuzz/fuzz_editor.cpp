// The editor template over any template and path: the command is the one-pass expansion written
// out plainly here, and never one whose program the system would take to be the viewed file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "tools/editor_template.h"

namespace {

char16_t Fold(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool SameFoldedPath(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

bool Separator(char16_t c) {
  return c == u' ' || c == u'\t';
}

// The names the system tries as the program of a command line: what the quotes hold, or the
// first word, the first two words, and so on.
std::vector<std::u16string_view> ProgramNames(std::u16string_view command) {
  command.remove_prefix(std::min(command.find_first_not_of(u" \t"), command.size()));
  if (!command.empty() && command[0] == u'"') {
    std::u16string_view name = command.substr(1, command.find(u'"', 1) - 1);
    while (!name.empty() && Separator(name.back())) name.remove_suffix(1);
    return {name};
  }
  std::vector<std::u16string_view> names;
  for (std::size_t i = 0; i < command.size(); ++i)
    if (Separator(command[i])) names.push_back(command.substr(0, i));
  names.push_back(command);
  return names;
}

std::optional<std::u16string> ReferenceExpand(std::u16string_view tpl, std::u16string_view path, int line) {
  if (std::all_of(tpl.begin(), tpl.end(), [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }))
    return std::nullopt;
  const std::string digits = std::to_string(line);
  std::u16string command;
  bool pathPut = false, linePut = false;
  for (std::size_t i = 0; i < tpl.size();) {
    if (!pathPut && tpl.substr(i, 2) == u"%t") {
      command += path;
      pathPut = true;
      i += 2;
    } else if (!linePut && tpl.substr(i, 2) == u"%l") {
      command.append(digits.begin(), digits.end());
      linePut = true;
      i += 2;
    } else {
      command += tpl[i++];
    }
  }
  if (!pathPut) command += u" \"" + std::u16string(path) + u"\"";
  if (command.size() > kMaxEditorCommandLength) return std::nullopt;
  for (std::u16string_view name : ProgramNames(command))
    if (SameFoldedPath(name, path)) return std::nullopt;
  return command;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static const char16_t kAlphabet[] = {u'%', u't', u'l',  u'%', u'"',  u' ', u'\t',
                                       u'e', u'E', u'\\', u':', u'\r', u'T', u'L'};
  const std::u16string path = ConsumeText(input, 12, kAlphabet);
  std::u16string editorTemplate = ConsumeText(input, 40, kAlphabet);
  // Now and then a template that starts with the path itself, spelled in another case.
  if (input.ConsumeBool()) {
    std::u16string spelled = path;
    for (char16_t& c : spelled) c = input.ConsumeBool() ? Fold(c) : c;
    editorTemplate.insert(0, spelled);
  }
  // Now and then a template at the edge of the longest command line.
  if (input.ConsumeIntegral<unsigned char>() == 0x4C)
    editorTemplate.append(kMaxEditorCommandLength - input.ConsumeIntegralInRange<std::size_t>(0, 60), u'x');
  const int line = input.ConsumeIntegral<int>();
  FUZZ_CHECK(ExpandEditorTemplate(editorTemplate, path, line, SameFoldedPath) ==
             ReferenceExpand(editorTemplate, path, line));
  return 0;
}
