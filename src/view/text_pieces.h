// Where a text may be cut when it is handed to a control in pieces.
#pragma once

#include <cstddef>
#include <string_view>

// The end of the piece that starts at begin: at most maxUnits long, and never cutting a CR LF,
// a CR CR LF or a surrogate pair, which the control takes for something else when they arrive
// apart (two line ends instead of one, a space and a line end instead of the single space it
// makes of CR CR LF). With maxUnits of 3 or more such a cut always exists; the piece is at least
// one unit long while text is left.
std::size_t PieceEnd(std::u16string_view text, std::size_t begin, std::size_t maxUnits);
