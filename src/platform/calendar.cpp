#include "platform/calendar.h"

#include "platform/file_system.h"
#include "platform/local_time.h"

namespace platform {

std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

std::int64_t FieldSeconds(const std::tm& fields, int second) {
    const int monthsOver = fields.tm_mon % 12 < 0 ? 1 : 0;
    const std::int64_t year = std::int64_t{fields.tm_year} + 1900 + fields.tm_mon / 12 - monthsOver;
    const int month = fields.tm_mon % 12 + 12 * monthsOver;
    const std::int64_t days = DaysFromCivil(year, month + 1, 1) + std::int64_t{fields.tm_mday} - 1;
    return days * kSecondsPerDay + std::int64_t{fields.tm_hour} * kSecondsPerHour +
           std::int64_t{fields.tm_min} * 60 + second;
}

bool ToLocalDateTime(std::int64_t time, LocalDateTime& out) {
    std::tm tm{};
    if (!LocalFields(time, tm)) {
        return false;
    }
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return true;
}

} // namespace platform
