// Text from a server or a certificate, made safe to show: control characters (which a terminal
// obeys: titles, cleared screens, hidden text) and the invisible format and separator characters
// of Unicode (which reorder or break what is shown) appear as escapes, \x1b or \u202E. Bytes
// that are not UTF-8 appear as \xHH too. Everything else passes unchanged.
#pragma once

#include <string>
#include <string_view>

namespace res {

// `keepLineEnds`: CR and LF pass as they are (a log's line ends).
std::string VisibleText(std::string_view text, bool keepLineEnds);

// The text as valid UTF-8 for a window to show: each byte that is not part of a UTF-8 sequence
// becomes U+FFFD. (The program keeps a name's own bytes for everything it sends.)
std::string DisplayableUtf8(std::string_view text);

} // namespace res
