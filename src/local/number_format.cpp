#include "local/number_format.h"

namespace local {

std::string FormatInteger(std::int64_t value) {
    if (value <= 0) {
        return "0";
    }
    return std::to_string(value);
}

std::string FormatTwoDigits(std::int64_t value) {
    std::string digits = FormatInteger(value);
    return digits.size() < 2 ? "0" + digits : digits;
}

std::string FormatByteCount(std::uint64_t value) {
    if (value >= 10000000000ULL) {
        return "Max";
    }
    std::string digits = std::to_string(value);
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count != 0 && count % 3 == 0) {
            out.insert(out.begin(), '.');
        }
        out.insert(out.begin(), *it);
        ++count;
    }
    return out;
}

} // namespace local
