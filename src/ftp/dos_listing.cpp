// DOS-style listing lines rewritten into the Unix shape, in one pass over the text.
#include "ftp/dos_listing.h"
#include "platform/local_time.h"
#include "res/ascii_case.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>

namespace ftp {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct DosEntry {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
    int hour = 0; // 0..23
    int minute = 0;
    bool folder = false;
    std::uint64_t size = 0;
    std::string_view name;
};

// Reads `minCount` to `maxCount` digits (at most 19, so the value cannot overflow).
bool ReadDigits(std::string_view s, std::size_t& pos, std::size_t minCount, std::size_t maxCount,
                std::uint64_t& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < s.size() && pos - start < maxCount && res::IsAsciiDigit(s[pos])) {
        value = value * 10 + static_cast<std::uint64_t>(s[pos] - '0');
        ++pos;
    }
    return pos - start >= minCount;
}

bool ReadChar(std::string_view s, std::size_t& pos, char c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// Steps over a run of spaces; false when there is none.
bool SkipSpaces(std::string_view s, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < s.size() && s[pos] == ' ') {
        ++pos;
    }
    return pos > start;
}

enum class Meridiem { None, Am, Pm };

// Reads an "AM" or "PM" (any case), directly after the minutes or after spaces; `pos` moves
// only when one is there.
Meridiem ReadMeridiem(std::string_view s, std::size_t& pos) {
    std::size_t at = pos;
    SkipSpaces(s, at);
    if (at + 1 >= s.size() || (s[at + 1] != 'M' && s[at + 1] != 'm')) {
        return Meridiem::None;
    }
    if (s[at] == 'A' || s[at] == 'a') {
        pos = at + 2;
        return Meridiem::Am;
    }
    if (s[at] == 'P' || s[at] == 'p') {
        pos = at + 2;
        return Meridiem::Pm;
    }
    return Meridiem::None;
}

// `line` is without its ending. Columns: leading spaces, MM-DD-YY or MM-DD-YYYY, spaces, H:MM
// or HH:MM with an optional AM/PM, spaces, <DIR> or a size, spaces, then the name to the end.
bool ParseDosLine(std::string_view line, DosEntry& entry) {
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] == ' ') {
        ++pos;
    }
    // Unix lines, totals and the other styles end at their first character.
    if (pos >= line.size() || !res::IsAsciiDigit(line[pos])) {
        return false;
    }
    std::uint64_t month = 0;
    std::uint64_t day = 0;
    std::uint64_t year = 0;
    if (!ReadDigits(line, pos, 2, 2, month) || !ReadChar(line, pos, '-') ||
        !ReadDigits(line, pos, 2, 2, day) || !ReadChar(line, pos, '-')) {
        return false;
    }
    const std::size_t yearStart = pos;
    if (!ReadDigits(line, pos, 2, 4, year) || pos - yearStart == 3) {
        return false;
    }
    if (pos - yearStart == 2) {
        year += year >= 70 ? 1900 : 2000;
    }
    std::uint64_t hour = 0;
    std::uint64_t minute = 0;
    if (!SkipSpaces(line, pos) || !ReadDigits(line, pos, 1, 2, hour) || !ReadChar(line, pos, ':') ||
        !ReadDigits(line, pos, 2, 2, minute)) {
        return false;
    }
    const Meridiem meridiem = ReadMeridiem(line, pos);
    if (month < 1 || month > 12 || day < 1 || day > 31 || minute > 59 ||
        (meridiem == Meridiem::None ? hour > 23 : (hour < 1 || hour > 12))) {
        return false;
    }
    if (meridiem != Meridiem::None) {
        hour = hour % 12 + (meridiem == Meridiem::Pm ? 12 : 0); // 12 AM is midnight, 12 PM noon
    }
    if (!SkipSpaces(line, pos)) {
        return false;
    }
    std::uint64_t size = 0;
    constexpr std::string_view kFolderMark = "<DIR>";
    const bool folder = line.substr(pos, kFolderMark.size()) == kFolderMark;
    if (folder) {
        pos += kFolderMark.size();
    } else if (!ReadDigits(line, pos, 1, 19, size) ||
               size > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return false;
    }
    if (!SkipSpaces(line, pos) || pos >= line.size()) {
        return false;
    }
    const std::string_view name = line.substr(pos);
    // The grammar ends a name at a CR: such a name would read back as another one.
    if (name.find('\r') != std::string_view::npos) {
        return false;
    }
    entry.year = static_cast<int>(year);
    entry.month = static_cast<int>(month);
    entry.day = static_cast<int>(day);
    entry.hour = static_cast<int>(hour);
    entry.minute = static_cast<int>(minute);
    entry.folder = folder;
    entry.size = size;
    entry.name = name;
    return true;
}

void AppendNumber(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

// The grammar reads "HH:MM" as this year, or last year when the month and day are still to
// come; only where that gives the listed year can the time of day be kept.
bool TimeOfDayReadsBack(const DosEntry& entry, const std::tm& today) {
    int year = today.tm_year + 1900;
    const int month = entry.month - 1;
    if (month > today.tm_mon || (month == today.tm_mon && entry.day > today.tm_mday)) {
        --year;
    }
    return year == entry.year;
}

void AppendUnixLine(const DosEntry& entry, const std::tm& today, std::string& out) {
    out += entry.folder ? "drwxr-xr-x 1 owner group " : "-rw-r--r-- 1 owner group ";
    AppendNumber(out, entry.size);
    out += ' ';
    out += kMonthNames[static_cast<std::size_t>(entry.month - 1)];
    out += ' ';
    AppendNumber(out, static_cast<std::uint64_t>(entry.day));
    out += ' ';
    if (TimeOfDayReadsBack(entry, today)) {
        AppendTwoDigits(out, entry.hour);
        out += ':';
        AppendTwoDigits(out, entry.minute);
    } else {
        AppendNumber(out, static_cast<std::uint64_t>(entry.year));
    }
    out += ' ';
    out += entry.name;
}

} // namespace

void RewriteDosListing(std::string& listing, const std::tm* today) {
    const std::string_view text = listing;
    std::string out;
    std::tm now{};
    bool rewriting = false;
    std::size_t copied = 0; // text before this is already in `out`
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        if (end > start && lf != std::string_view::npos && text[end - 1] == '\r') {
            --end;
        }
        DosEntry entry;
        if (ParseDosLine(text.substr(start, end - start), entry)) {
            if (!rewriting) {
                rewriting = true;
                out.reserve(text.size() + text.size() / 2);
                if (today == nullptr) {
                    platform::LocalFields(static_cast<std::int64_t>(std::time(nullptr)), now);
                    today = &now;
                }
            }
            out.append(text, copied, start - copied);
            AppendUnixLine(entry, *today, out);
            copied = end; // the line's own ending follows with the next stretch
        }
        start = next;
    }
    if (rewriting) {
        out.append(text, copied);
        listing = std::move(out);
    }
}

} // namespace ftp
