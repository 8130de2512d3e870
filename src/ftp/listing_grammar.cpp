// The field grammar of a UNIX-style LIST text and the queries answered from it without an index.
#include <algorithm>
#include <array>
#include <limits>

#include "ftp/listing_line.h"
#include "ftp/remote_entry_table.h"
#include "platform/local_time.h"
#include "res/ascii_case.h"
#include "res/file_types.h"

namespace ftp {
namespace listing {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

// Steps from `pos` over one field and the spaces after it; false when no space follows.
bool SkipField(std::string_view line, std::size_t& pos) {
    std::size_t space = line.find(' ', pos);
    if (space == std::string_view::npos) {
        return false;
    }
    pos = space;
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    return true;
}

// The range the calendar conversion accepts: 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC.
// Outside it the conversion fails with -1 on every platform alike.
constexpr std::int64_t kLatestCalendarTime = 32535215999;

std::int64_t LocalCalendarTime(std::int32_t year, int month, std::int32_t day, std::int32_t hour,
                               std::int32_t minute) {
    const std::int64_t tmYear = static_cast<std::int64_t>(year) - 1900;
    if (tmYear < std::numeric_limits<int>::min()) {
        return -1;
    }
    std::tm t{};
    t.tm_year = static_cast<int>(tmYear);
    t.tm_mon = month;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = -1;
    t.tm_isdst = -1;
    const std::int64_t result = platform::LocalToCalendarTime(t);
    if (result < 0 || result > kLatestCalendarTime) {
        return -1;
    }
    return result;
}

// The calendar day after `day` (year, month and day of month; a normalised date).
std::tm NextDay(const std::tm& day) {
    const int year = day.tm_year + 1900;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int monthDays = day.tm_mon == 1 && leap
                              ? 29
                              : kDays[static_cast<std::size_t>(std::clamp(day.tm_mon, 0, 11))];
    std::tm next{};
    next.tm_year = day.tm_year;
    next.tm_mon = day.tm_mon;
    next.tm_mday = day.tm_mday + 1;
    if (next.tm_mday > monthDays) {
        next.tm_mday = 1;
        if (++next.tm_mon > 11) {
            next.tm_mon = 0;
            ++next.tm_year;
        }
    }
    return next;
}

} // namespace

std::size_t NextCrlf(std::string_view text, std::size_t from) {
    while (true) {
        const std::size_t cr = text.find('\r', from);
        if (cr == std::string_view::npos || cr + 1 >= text.size()) {
            return std::string_view::npos;
        }
        if (text[cr + 1] == '\n') {
            return cr;
        }
        from = cr + 1;
    }
}

std::string_view LineAt(std::string_view text, int line) {
    if (line < 0) {
        return {};
    }
    std::size_t start = 0;
    for (int skipped = 0; skipped < line; ++skipped) {
        const std::size_t cr = NextCrlf(text, start);
        if (cr == std::string_view::npos) {
            return {};
        }
        start = cr + 2;
    }
    const std::size_t cr = NextCrlf(text, start);
    if (cr == std::string_view::npos) {
        return {};
    }
    return text.substr(start, cr + 2 - start);
}

int MonthIndex(std::string_view text) {
    if (text.size() != 3) {
        return -1;
    }
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        if (res::FoldAscii(text[0]) == kMonths[m][0] && res::FoldAscii(text[1]) == kMonths[m][1] &&
            res::FoldAscii(text[2]) == kMonths[m][2]) {
            return static_cast<int>(m);
        }
    }
    return -1;
}

std::string_view LineField(std::string_view line, int field, bool restOfLine) {
    if (line.empty()) {
        return kNotEntry;
    }
    if (field == kFieldWholeLine) {
        return line.substr(0, line.size() - 2);
    }
    if (line[0] != 'd' && line[0] != '-' && line[0] != 'l') {
        return kNotEntry;
    }
    if (field == kFieldPermissions) {
        return line.substr(0, 10);
    }
    std::size_t pos = 0;
    for (int k = 0; k < 4; ++k) {
        if (!SkipField(line, pos)) {
            return {};
        }
    }
    const std::size_t fifthEnd = line.find(' ', pos);
    if (fifthEnd == std::string_view::npos) {
        return {};
    }
    // A month in the fifth column means the group column is missing.
    if (MonthIndex(line.substr(pos, fifthEnd - pos)) >= 0) {
        --field;
    }
    pos = 0;
    for (int k = 1; k < field; ++k) {
        if (!SkipField(line, pos)) {
            return {};
        }
    }
    if (restOfLine) {
        return line.substr(pos, line.find('\r', pos) - pos);
    }
    const std::size_t end = line.find(' ', pos);
    if (end == std::string_view::npos) {
        return {};
    }
    return line.substr(pos, end - pos);
}

std::int32_t ParseDecimalView(std::string_view text) {
    if (text.empty() || text.size() > 10) {
        return 0;
    }
    std::uint32_t value = 0;
    std::uint32_t place = 1;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (text[i] >= '0' && text[i] <= '9') {
            value += static_cast<std::uint32_t>(text[i] - '0') * place;
        }
        place *= 10;
    }
    return static_cast<std::int32_t>(value);
}

std::int64_t SizeFieldValue(std::string_view field) {
    if (field.empty()) {
        return 0;
    }
    bool plainDecimal = field.size() <= 19;
    std::uint64_t value = 0;
    for (std::size_t i = 0; plainDecimal && i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9') {
            plainDecimal = false;
        } else {
            value = value * 10 + static_cast<std::uint64_t>(field[i] - '0');
        }
    }
    if (plainDecimal && value <= static_cast<std::uint64_t>(INT64_MAX)) {
        return static_cast<std::int64_t>(value);
    }
    return ParseDecimalView(field);
}

ListedCalendar LineCalendar(std::string_view line, const std::tm* today) {
    std::tm now{};
    if (today == nullptr) {
        platform::LocalFields(static_cast<std::int64_t>(std::time(nullptr)), now);
        today = &now;
    }
    ListedCalendar c;
    c.month = std::max(MonthIndex(LineField(line, kFieldMonth, false)), 0);
    c.day = ParseDecimalView(LineField(line, kFieldDay, false));
    const std::string_view timeOrYear = LineField(line, kFieldTimeOrYear, false);
    const std::size_t colon = timeOrYear.find(':');
    if (colon != std::string_view::npos) {
        c.timeOfDay = true;
        c.hour = ParseDecimalView(timeOrYear.substr(0, colon));
        c.minute = ParseDecimalView(timeOrYear.substr(colon + 1));
        // A time instead of a year means the last twelve months. The listing is in the
        // server's zone, which may already be a day ahead of ours: tomorrow's date is not a
        // year old, or a newer file on the server would look older than ours and be replaced.
        c.year = today->tm_year + 1900;
        const bool later =
            c.month > today->tm_mon || (c.month == today->tm_mon && c.day > today->tm_mday);
        if (later || (c.month == 0 && c.day == 1)) { // only these can be tomorrow
            const std::tm tomorrow = NextDay(*today);
            if (c.month == tomorrow.tm_mon && c.day == tomorrow.tm_mday) {
                c.year = tomorrow.tm_year + 1900;
            } else if (later) {
                --c.year;
            }
        }
    } else {
        c.year = ParseDecimalView(timeOrYear);
    }
    if (c.year > 2030) {
        c.year = 1973;
    }
    return c;
}

std::int64_t LineTime(std::string_view line, bool found, const std::tm* today) {
    if (!found) {
        return LocalCalendarTime(1973, 0, 12, 0, 0);
    }
    const ListedCalendar c = LineCalendar(line, today);
    return LocalCalendarTime(c.year, c.month, c.day, c.hour, c.minute);
}

std::int64_t ListedAsUtc(const ListedCalendar& c) {
    std::tm t{};
    t.tm_year = c.year - 1900;
    t.tm_mon = c.month;
    t.tm_mday = c.day;
    t.tm_hour = c.hour;
    t.tm_min = c.minute;
    return platform::UtcCalendarTime(t);
}

} // namespace listing

namespace {

// Number of CR LF sequences, counting no further than `limit`.
int CountCrlf(std::string_view text, int limit) {
    int count = 0;
    std::size_t pos = 0;
    while (count < limit) {
        const std::size_t cr = listing::NextCrlf(text, pos);
        if (cr == std::string_view::npos) {
            break;
        }
        ++count;
        pos = cr + 2;
    }
    return count;
}

// Line (with its CR LF) whose name field equals `name`, and its index; -1 when absent.
std::string_view FindLineView(std::string_view name, std::string_view text, int& index) {
    index = -1;
    if (CountCrlf(text, kMaxListingLines) >= kMaxListingLines) {
        return {};
    }
    std::size_t pos = 0;
    for (int j = 0;; ++j) {
        const std::size_t cr = listing::NextCrlf(text, pos);
        if (cr == std::string_view::npos) {
            return {};
        }
        const std::string_view line = text.substr(pos, cr + 2 - pos);
        if (listing::LineField(line, kFieldName, true) == name) {
            index = j;
            return line;
        }
        pos = cr + 2;
    }
}

} // namespace

std::string ListingField(const std::string& listing, int line, int field, bool restOfLine) {
    return std::string(listing::LineField(listing::LineAt(listing, line), field, restOfLine));
}

int FindListingLine(const std::string& name, const std::string& listing) {
    int index = -1;
    FindLineView(name, listing, index);
    return index;
}

std::int64_t ListingEntrySize(const std::string& name, const std::string& listing) {
    int index = -1;
    const std::string_view line = FindLineView(name, listing, index);
    if (index < 0) {
        return 0;
    }
    return listing::SizeFieldValue(listing::LineField(line, kFieldSize, false));
}

std::int64_t ListingEntryTime(const std::string& name, const std::string& listing, int line,
                              const std::tm* today) {
    if (line >= 0) {
        return listing::LineTime(listing::LineAt(listing, line), true, today);
    }
    int index = -1;
    const std::string_view found = FindLineView(name, listing, index);
    return listing::LineTime(found, index >= 0, today);
}

int CountListingLines(const std::string& listing) {
    return CountCrlf(listing, kMaxListingLines);
}

bool ListingExceedsLineLimit(const std::string& listing) {
    return CountCrlf(listing, kMaxListingLines + 1) > kMaxListingLines;
}

std::int32_t ParseDecimal(const std::string& text) {
    return listing::ParseDecimalView(text);
}

std::uint8_t RemoteEntryKind(const std::string& name) {
    return static_cast<std::uint8_t>(res::FileTypeImageForName(name));
}

} // namespace ftp
