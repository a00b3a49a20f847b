// The external editor's command line, built from the user's template.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The longest command line the system accepts, without the terminator.
inline constexpr std::size_t kMaxEditorCommandLength = 32766;

// Whether two paths name one file, with case folded as the file system folds it. Supplied by the
// platform.
using SamePath = bool (*)(std::u16string_view a, std::u16string_view b);

// The first "%t" of the template becomes the path (or, without one, ` "path"` is appended) and its
// first "%l" the line number, in one pass: the path is never searched for "%l". Nothing when the
// template is blank, when the command's program would be the viewed file itself (its first token,
// quoted or not, is the path), or when the result is too long to start.
std::optional<std::u16string> ExpandEditorTemplate(std::u16string_view editorTemplate,
                                                   std::u16string_view path, int line, SamePath samePath);
