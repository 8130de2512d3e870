// Line and field reading shared by the listing queries and the listing index. Internal to ftp/.
#pragma once

#include <cstdint>
#include <ctime>
#include <string_view>

#include "ftp/listing_grammar.h"

namespace ftp::listing {

// Position of the CR of the first CR LF at or after `from`, or npos.
std::size_t NextCrlf(std::string_view text, std::size_t from);

// Line `line` of the text including its CR LF, or an empty view when the text has no such line
// (a line counts only when a CR LF follows it).
std::string_view LineAt(std::string_view text, int line);

// Field `field` of one line (`line` includes its CR LF; empty means no such line). The result
// is a view into `line`, or kNotEntry / "" as the grammar answers.
std::string_view LineField(std::string_view line, int field, bool restOfLine);

// 0..11 for "jan".."dec" in any letter case (the whole text), else -1.
int MonthIndex(std::string_view text);

// ParseDecimal over a view.
std::int32_t ParseDecimalView(std::string_view text);

// The date and time a line lists, as written (in the server's zone): the year inferred for a
// time of day, the time of day 00:00 for a date with a year.
struct ListedCalendar {
    std::int32_t year = 0;
    int month = 0; // 0..11
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    bool timeOfDay = false; // "Dec  9 06:00" rather than "Dec  9  2025"
};
ListedCalendar LineCalendar(std::string_view line, const std::tm* today);
// That calendar read as UTC: seconds since the epoch.
std::int64_t ListedAsUtc(const ListedCalendar& calendar);

// Listed time of one line. `found` false: the name was not in the listing. An empty `line` with
// `found` set is a line index past the end, whose fields all read as kNotEntry.
std::int64_t LineTime(std::string_view line, bool found, const std::tm* today);

// The size field read as a 64-bit count where it is a plain decimal, else by ParseDecimal.
std::int64_t SizeFieldValue(std::string_view field);

} // namespace ftp::listing
