#include "tools/editor_template.h"

#include <algorithm>
#include <string>

namespace {

bool IsBlank(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
  });
}

// Replaces the first occurrence only; later ones are passed on as typed.
bool ReplaceFirst(std::u16string& command, std::u16string_view placeholder, std::u16string_view by) {
  const auto at = command.find(placeholder);
  if (at == std::u16string::npos) return false;
  command.replace(at, placeholder.size(), by);
  return true;
}

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::optional<std::u16string> ExpandEditorTemplate(std::u16string_view editorTemplate,
                                                   std::u16string_view path, int line) {
  if (IsBlank(editorTemplate)) return std::nullopt;
  std::u16string command(editorTemplate);
  if (!ReplaceFirst(command, u"%t", path)) {
    command += u" \"";
    command += path;
    command += u'"';
  }
  ReplaceFirst(command, u"%l", Decimal(line));
  if (command.size() > kMaxEditorCommandLength) return std::nullopt;
  return command;
}
