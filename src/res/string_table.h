// The program's user-visible texts by number.
#pragma once

#include <string>

namespace res {

// The text with that id, or "" when the table has none.
const std::string& LoadString(int id);

constexpr const char* kAppName = "RARedevedaD";
constexpr const char* kMainCaption = "FTP Quorrel Ver.1.20";

} // namespace res
