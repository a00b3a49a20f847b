#include "view/richedit_win.h"

#include <cstring>

#include "view/text_pieces.h"

namespace richedit {
namespace {

struct StreamSource {
  std::u16string_view text;
  size_t at = 0;
};

DWORD CALLBACK ReadPiece(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  auto& source = *reinterpret_cast<StreamSource*>(cookie);
  const size_t end = PieceEnd(source.text, source.at, static_cast<size_t>(size) / sizeof(char16_t));
  const size_t units = end - source.at;
  std::memcpy(buffer, source.text.data() + source.at, units * sizeof(char16_t));
  source.at = end;
  *written = static_cast<LONG>(units * sizeof(char16_t));
  return 0;
}

}  // namespace

void StreamText(HWND view, std::u16string_view text) {
  StreamSource source{text.substr(0, text.find(u'\0'))};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadPiece;
  SendMessageW(view, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
  // A stream-in marks the text modified; WM_SETTEXT, which it stands in for, does not.
  SendMessageW(view, EM_SETMODIFY, FALSE, 0);
}

}  // namespace richedit
