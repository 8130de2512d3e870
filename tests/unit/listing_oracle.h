// The listing grammar written out step by step, exactly as defined, at the defined cost: every
// question rescans the text from its start, and the display order is counted pairwise. The
// indexed code must give the same answers on every listing.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ftp/remote_entry_table.h"

namespace oracle {

inline const char* const kMonths[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};

inline std::string FoldAtoZ(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return text;
}

// 0..11 or -1.
inline int Month(const std::string& field) {
    const std::string folded = FoldAtoZ(field);
    for (int m = 0; m < 12; ++m) {
        if (folded == kMonths[m]) {
            return m;
        }
    }
    return -1;
}

inline std::string ListingField(const std::string& text, int j, int field, bool restOfLine) {
    // 1. Start of line j.
    if (j < 0) {
        return "\r\n";
    }
    std::size_t start = 0;
    for (int k = 0; k < j; ++k) {
        const std::size_t crlf = text.find("\r\n", start);
        if (crlf == std::string::npos) {
            return "\r\n";
        }
        start = crlf + 2;
    }
    // 2. The line up to its CR LF.
    const std::size_t crlf = text.find("\r\n", start);
    if (crlf == std::string::npos) {
        return "\r\n";
    }
    std::string line = text.substr(start, crlf - start);
    // 3.
    if (field == 0) {
        return line;
    }
    // 4.
    if (line.empty() || (line[0] != 'd' && line[0] != '-' && line[0] != 'l')) {
        return "\r\n";
    }
    // 5.
    line += "\r\n";
    // 6.
    if (field == 1) {
        return line.substr(0, 10);
    }
    // 7. Skip four fields.
    std::size_t pos = 0;
    for (int k = 0; k < 4; ++k) {
        const std::size_t space = line.find(' ', pos);
        if (space == std::string::npos) {
            return "";
        }
        pos = space;
        while (line[pos] == ' ') {
            ++pos;
        }
    }
    // 8. The fifth field.
    const std::size_t fifthEnd = line.find(' ', pos);
    if (fifthEnd == std::string::npos) {
        return "";
    }
    if (Month(line.substr(pos, fifthEnd - pos)) >= 0) {
        field -= 1;
    }
    // 9. From the start, skip field - 1 fields.
    pos = 0;
    for (int k = 0; k < field - 1; ++k) {
        const std::size_t space = line.find(' ', pos);
        if (space == std::string::npos) {
            return "";
        }
        pos = space;
        while (line[pos] == ' ') {
            ++pos;
        }
    }
    // 10.
    if (restOfLine) {
        return line.substr(pos, line.find('\r', pos) - pos);
    }
    const std::size_t space = line.find(' ', pos);
    if (space == std::string::npos) {
        return "";
    }
    return line.substr(pos, space - pos);
}

inline int CountListingLines(const std::string& text) {
    int count = 0;
    std::size_t pos = 0;
    while (count < 10000) {
        const std::size_t crlf = text.find("\r\n", pos);
        if (crlf == std::string::npos) {
            break;
        }
        ++count;
        pos = crlf + 2;
    }
    return count;
}

inline int FindListingLine(const std::string& name, const std::string& text) {
    const int lines = CountListingLines(text);
    if (lines == 10000) {
        return -1;
    }
    for (int j = 0; j < lines; ++j) {
        if (ListingField(text, j, 9, true) == name) {
            return j;
        }
    }
    return -1;
}

inline std::int32_t ParseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 10) {
        return 0;
    }
    std::uint32_t value = 0;
    std::uint32_t place = 1;
    for (int i = static_cast<int>(text.size()) - 1; i >= 0; --i) {
        if (text[i] >= '0' && text[i] <= '9') {
            value += static_cast<std::uint32_t>(text[i] - '0') * place;
        }
        place *= 10;
    }
    return static_cast<std::int32_t>(value);
}

// As defined: a 32-bit size.
inline std::int32_t ListingEntrySize32(const std::string& name, const std::string& text) {
    const int line = FindListingLine(name, text);
    if (line < 0) {
        return 0;
    }
    const std::string size = ListingField(text, line, 5, false);
    if (size.empty()) {
        return 0;
    }
    return ParseDecimal(size);
}

// With 64-bit sizes: 1 to 19 digits and nothing else read as they stand (up to INT64_MAX).
inline std::int64_t ListingEntrySize(const std::string& name, const std::string& text) {
    const int line = FindListingLine(name, text);
    if (line < 0) {
        return 0;
    }
    const std::string size = ListingField(text, line, 5, false);
    if (!size.empty() && size.size() <= 19 &&
        size.find_first_not_of("0123456789") == std::string::npos) {
        const unsigned long long value = std::stoull(size);
        if (value <= 9223372036854775807ULL) {
            return static_cast<std::int64_t>(value);
        }
    }
    return ListingEntrySize32(name, text);
}

#ifdef _WIN32
// The Windows runtime's mktime refuses fields of a year before 1970 or after 3000 even where the
// days carried over end within them; its zone rules are the same every year. The calendar
// repeats every 400 years (146097 days), so the fields are carried over here, the date moved by
// whole cycles into the runtime's years, and the cycles added back to its answer.
inline long long WindowsMktime(std::tm t) {
    const auto floorDiv = [](long long a, long long b) { return a / b - (a % b < 0 ? 1 : 0); };
    constexpr long long kCycleDays = 146097;
    const long long hour = t.tm_hour + floorDiv(t.tm_min, 60);
    const long long day = t.tm_mday + floorDiv(hour, 24);
    const long long year = t.tm_year + 1900LL + floorDiv(t.tm_mon, 12);
    const long long dayCycles = floorDiv(day - 1, kCycleDays);
    const long long yearCycles = floorDiv(year - 1971, 400);
    t.tm_min = static_cast<int>(t.tm_min - 60 * floorDiv(t.tm_min, 60));
    t.tm_hour = static_cast<int>(hour - 24 * floorDiv(hour, 24));
    t.tm_mday = static_cast<int>(day - dayCycles * kCycleDays);
    t.tm_mon = static_cast<int>(t.tm_mon - 12 * floorDiv(t.tm_mon, 12));
    t.tm_year = static_cast<int>(year - yearCycles * 400 - 1900);
    const long long result = static_cast<long long>(std::mktime(&t));
    return result == -1 ? -1 : result + (dayCycles + yearCycles) * kCycleDays * 86400;
}
#endif

// The conversion fails (-1) outside 1970-01-01 00:00:00 .. 3000-12-31 23:59:59 UTC.
inline std::int64_t LocalTime(std::int32_t year, int month, std::int32_t day, std::int32_t hour,
                              std::int32_t minute) {
    if (static_cast<long long>(year) - 1900 < -2147483647LL - 1) {
        return -1;
    }
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = -1;
    t.tm_isdst = -1;
#ifdef _WIN32
    const long long result = WindowsMktime(t);
#else
    const long long result = static_cast<long long>(std::mktime(&t));
#endif
    return (result < 0 || result > 32535215999LL) ? -1 : result;
}

inline std::int64_t ListingEntryTime(const std::string& name, const std::string& text, int line,
                                     const std::tm& today) {
    // 1.
    const int thisMonth = today.tm_mon + 1;
    const int thisDay = today.tm_mday;
    const int thisYear = today.tm_year + 1900;
    // 2.
    if (line < 0) {
        line = FindListingLine(name, text);
        if (line < 0) {
            return LocalTime(1973, 0, 12, 0, 0);
        }
    }
    // 3.
    int month = Month(ListingField(text, line, 6, false)) + 1;
    if (month == 0) {
        month = 1;
    }
    // 4.
    const std::int32_t day = ParseDecimal(ListingField(text, line, 7, false));
    // 5.
    const std::string field8 = ListingField(text, line, 8, false);
    std::int32_t year = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    const std::size_t colon = field8.find(':');
    if (!field8.empty() && colon != std::string::npos) {
        hour = ParseDecimal(field8.substr(0, colon));
        minute = ParseDecimal(field8.substr(colon + 1));
        year = thisYear;
        std::tm tomorrow{};
        tomorrow.tm_year = today.tm_year;
        tomorrow.tm_mon = today.tm_mon;
        tomorrow.tm_mday = today.tm_mday + 1;
        tomorrow.tm_hour = 12;
        tomorrow.tm_isdst = -1;
        std::mktime(&tomorrow);
        if (month == tomorrow.tm_mon + 1 && day == tomorrow.tm_mday) {
            year = tomorrow.tm_year + 1900; // a server a day ahead of us
        } else if (month > thisMonth || (month == thisMonth && day > thisDay)) {
            year -= 1;
        }
    } else {
        year = ParseDecimal(field8);
    }
    // 6.
    if (year > 2030) {
        year = 1973;
    }
    // 7.
    return LocalTime(year, month - 1, day, hour, minute);
}

inline std::string ListingEntryLine(const std::string& name, const std::string& text) {
    const int line = FindListingLine(name, text);
    return line < 0 ? "none" : ListingField(text, line, 0, false);
}

// Byte values compared after folding A-Z; true when a comes before b or equals it.
inline bool NameBeforeOrEqual(const std::string& a, const std::string& b) {
    const std::string fa = FoldAtoZ(a);
    const std::string fb = FoldAtoZ(b);
    std::size_t i = 0;
    while (i < fa.size() && i < fb.size()) {
        const unsigned char ca = static_cast<unsigned char>(fa[i]);
        const unsigned char cb = static_cast<unsigned char>(fb[i]);
        if (ca != cb) {
            return ca < cb;
        }
        ++i;
    }
    return fa.size() <= fb.size();
}

struct Entries {
    std::vector<std::string> names;
    std::vector<std::uint8_t> kinds;
    std::vector<int> order;
};

// Steps 5 and 6 of building the pane entries, with the display order counted pairwise.
inline Entries BuildEntries(const std::string& text) {
    Entries e;
    const int lines = CountListingLines(text);
    for (int j = 0; j < lines; ++j) {
        const std::string name = ListingField(text, j, 9, true);
        if (name.empty() || name == "\r\n" || name[0] == '.') {
            continue;
        }
        const std::string permissions = ListingField(text, j, 1, false);
        std::uint8_t kind = 0;
        if (permissions[0] == 'd') {
            kind = 0;
        } else if (permissions[0] == 'l') {
            kind = 14;
        } else {
            kind = ftp::RemoteEntryKind(name);
        }
        e.names.push_back(name);
        e.kinds.push_back(kind);
    }
    const int n = static_cast<int>(e.names.size());
    std::vector<int> points(n, 0);
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (e.kinds[i] < e.kinds[j] ||
                (e.kinds[i] == e.kinds[j] && NameBeforeOrEqual(e.names[i], e.names[j]))) {
                ++points[j];
            } else {
                ++points[i];
            }
        }
    }
    e.order.assign(n, -1);
    for (int i = 0; i < n; ++i) {
        e.order[points[i]] = i;
    }
    return e;
}

} // namespace oracle
