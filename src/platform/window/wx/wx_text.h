// Text between the program's UTF-8 byte strings and wxString.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <string>

namespace wxwin {

// Bytes that are not valid UTF-8 (a server's Latin-1 name) are shown as Latin-1 rather than
// vanishing.
wxString ToWx(const std::string& text);
std::string FromWx(const wxString& text);

// Line breaks as the toolkit's dialogs want them ("\r\n" becomes "\n").
wxString ToWxLines(const std::string& text);

// Positions in a UTF-8 text: byte offset <-> character (code point) offset.
std::size_t CharsBeforeByte(const std::string& utf8, std::size_t byteOffset);
std::size_t BytesBeforeChar(const std::string& utf8, std::size_t charOffset);
// The longest prefix of at most `maxBytes` bytes that ends on a character boundary.
std::size_t Utf8Prefix(const std::string& utf8, std::size_t maxBytes);

} // namespace wxwin
