// The octal-looking mode text that SITE CHMOD takes, read from a listing's permission text.
#pragma once

#include <string>
#include <string_view>

namespace ftp {

// Sums the nine permission characters after the type character ('r', 'w' or 'x' in their own
// place; anything else, 's' and 't' included, counts as absent) and writes the sum in decimal
// without leading zeros: "-rwxr-xr-x" gives "755", "----r--r--" gives "44", none gives "0".
std::string PermissionToMode(std::string_view permission);

} // namespace ftp
