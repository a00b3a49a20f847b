// Line ends for the clipboard: the views end lines with a lone CR, other programs expect CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The length of text once every CR is followed by an LF.
std::size_t CrLfLength(std::u16string_view text);

// Writes text with an LF after every CR into out, which holds CrLfLength(text) characters; every
// other character, a lone LF included, is copied as it is. Returns one past the last written.
char16_t* WriteWithCrLf(std::u16string_view text, char16_t* out);

std::u16string WithCrLf(std::u16string_view text);
