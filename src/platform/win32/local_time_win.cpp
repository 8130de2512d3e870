// The C runtime of Windows converts only times from 1970 to 3000 and has no timegm; the
// calendar arithmetic is done here, and the runtime is asked only for the zone's offset.
#include "platform/local_time.h"

#include <algorithm>
#include <climits>
#include <time.h>

#include "platform/calendar.h"

namespace platform {
namespace {

bool FieldsOf(std::int64_t seconds, std::tm& fields) {
    const std::int64_t days = seconds / kSecondsPerDay - (seconds % kSecondsPerDay < 0 ? 1 : 0);
    const std::int64_t rest = seconds - days * kSecondsPerDay;
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    if (year - 1900 < INT_MIN || year - 1900 > INT_MAX) {
        return false;
    }
    fields = std::tm{};
    fields.tm_year = static_cast<int>(year - 1900);
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = static_cast<int>(rest / kSecondsPerHour);
    fields.tm_min = static_cast<int>(rest % kSecondsPerHour / 60);
    fields.tm_sec = static_cast<int>(rest % 60);
    fields.tm_wday = static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    fields.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    fields.tm_isdst = 0;
    return true;
}

bool Probe(std::int64_t instant, std::tm& fields) {
    const __time64_t t = instant;
    if (_localtime64_s(&fields, &t) == 0) {
        return true;
    }
    // Beyond what the runtime converts (before 1970, after 3000): standard time, which is what
    // it assumes for the zone's rules anyway.
    return FieldsOf(instant - _timezone, fields);
}

// True when the local clock reads `local` at `instant`.
bool Reads(std::int64_t instant, std::int64_t local) {
    std::tm fields{};
    return Probe(instant, fields) && FieldSeconds(fields, fields.tm_sec) == local;
}

} // namespace

std::int64_t LocalToCalendarTime(const std::tm& fields) {
    // As mktime: the search is made with the seconds field brought into 0..59, the rest added.
    const int second = std::clamp(fields.tm_sec, 0, 59);
    const std::int64_t local = FieldSeconds(fields, second);
    const std::int64_t extra = fields.tm_sec - second;
    // First with the offset in force a day before, so that a time the clock shows twice is read
    // as the earlier; then with the offset at that guess, for a change within the day.
    const std::int64_t guess = local - LocalUtcOffset(local - kSecondsPerDay);
    if (Reads(guess, local)) {
        return guess + extra;
    }
    const std::int64_t corrected = local - LocalUtcOffset(guess);
    if (Reads(corrected, local)) {
        return corrected + extra;
    }
    // A time the clock skips: read with the offset before the change, as mktime does (02:30 on
    // a night the clock jumps from 02:00 to 03:00 is 03:30).
    return guess + extra;
}

std::int64_t LocalUtcOffset(std::int64_t time) {
    std::tm fields{};
    if (!Probe(time, fields)) {
        return 0;
    }
    return FieldSeconds(fields, fields.tm_sec) - time;
}

bool LocalFields(std::int64_t time, std::tm& fields) {
    return Probe(time, fields);
}

bool UtcFields(std::int64_t time, std::tm& fields) {
    return FieldsOf(time, fields);
}

std::int64_t UtcCalendarTime(const std::tm& fields) {
    return FieldSeconds(fields, fields.tm_sec);
}

void ReloadLocalTimeZone() {
    _tzset();
}

} // namespace platform
