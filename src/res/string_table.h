// The program's user-visible texts by number.
#pragma once

#include <string>

// <windows.h>, where a file of the platform layer includes it first, names a macro LoadString;
// the program's own is meant here.
#ifdef LoadString
#undef LoadString
#endif

namespace res {

// The text with that id, or "" when the table has none.
const std::string& LoadString(int id);

constexpr const char* kAppName = "RARedevedaD";
constexpr const char* kMainCaption = "FTP Quorrel Ver.1.20";

} // namespace res
