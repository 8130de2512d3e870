// Number texts shown to the user.
#pragma once

#include <cstdint>
#include <string>

namespace local {

// Digits without leading zeros ("0" for 0).
std::string FormatInteger(std::int64_t value);
// At least two digits (5 gives "05").
std::string FormatTwoDigits(std::int64_t value);
// Digits grouped by "." every three from the right; "Max" from 10,000,000,000.
std::string FormatByteCount(std::uint64_t value);

} // namespace local
