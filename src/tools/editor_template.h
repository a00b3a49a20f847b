// The external editor's command line, built from the user's template.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The longest command line the system accepts, without the terminator.
inline constexpr std::size_t kMaxEditorCommandLength = 32766;

// The first "%t" becomes the path (or, without one, ` "path"` is appended), then the first "%l"
// of that result becomes the line number. Nothing when the template is blank, since the command
// would then start the viewed file itself, or when the result is too long to start.
std::optional<std::u16string> ExpandEditorTemplate(std::u16string_view editorTemplate,
                                                   std::u16string_view path, int line);
