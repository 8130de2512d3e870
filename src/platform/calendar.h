// Calendar arithmetic without the C library's time calls: the Gregorian calendar counted in days
// from 1970-01-01, which both systems' local-time code builds on.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;

// Days from 1970-01-01 to a date of the Gregorian calendar (month 1..12).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);
// The date of a day counted from 1970-01-01.
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day);
// The fields read as if they were UTC, with `second` in place of the seconds field; months out
// of range are carried into the year.
std::int64_t FieldSeconds(const std::tm& fields, int second);

} // namespace platform
