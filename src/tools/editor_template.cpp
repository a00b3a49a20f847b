#include "tools/editor_template.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

bool IsBlank(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
  });
}

// What separates the words of a command line.
bool IsSeparator(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// Whether the system would start the viewed file as the command's program: a quoted program is
// the text up to the closing quote; an unquoted one is tried word by word, the first word, then
// the first two with their separator, and so on, so the path counts wherever a word ends after it.
bool StartsViewedFile(std::u16string_view command, std::u16string_view path, SamePath samePath) {
  while (!command.empty() && IsSeparator(command.front())) command.remove_prefix(1);
  if (!command.empty() && command.front() == u'"') {
    std::u16string_view program = command.substr(1);
    program = program.substr(0, program.find(u'"'));
    while (!program.empty() && IsSeparator(program.back())) program.remove_suffix(1);
    return samePath(program, path);
  }
  return command.size() >= path.size() &&
         (command.size() == path.size() || IsSeparator(command[path.size()])) &&
         samePath(command.substr(0, path.size()), path);
}

}  // namespace

std::optional<std::u16string> ExpandEditorTemplate(std::u16string_view editorTemplate,
                                                   std::u16string_view path, int line, SamePath samePath) {
  if (IsBlank(editorTemplate)) return std::nullopt;
  const std::u16string number = Decimal(line);
  // Both placeholders are found in the template itself; later occurrences are passed on as typed.
  std::pair<std::size_t, std::u16string_view> replaced[] = {{editorTemplate.find(u"%t"), path},
                                                            {editorTemplate.find(u"%l"), number}};
  if (replaced[1].first < replaced[0].first) std::swap(replaced[0], replaced[1]);
  std::u16string command;
  std::size_t from = 0;
  for (const auto& [at, by] : replaced) {
    if (at == std::u16string_view::npos) break;
    command.append(editorTemplate.substr(from, at - from)).append(by);
    from = at + 2;
  }
  command.append(editorTemplate.substr(from));
  if (editorTemplate.find(u"%t") == std::u16string_view::npos) {
    command += u" \"";
    command += path;
    command += u'"';
  }
  if (command.size() > kMaxEditorCommandLength) return std::nullopt;
  if (StartsViewedFile(command, path, samePath)) return std::nullopt;
  return command;
}
