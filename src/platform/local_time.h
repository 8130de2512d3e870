// Local date and time to calendar time as mktime computes it, without mktime's cost of checking
// the time-zone file again on every call.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

// The calendar time (seconds since the epoch) of the local time in `fields`: year, month, day,
// hour, minute and second, out-of-range values carried over as mktime carries them. The
// daylight-saving flag is ignored; the zone's rules decide it, as mktime decides for -1. -1 when
// the time cannot be represented (as with mktime, -1 is also the valid result for one second).
//
// A time the clock skips gets mktime's answer: 02:30 on a night the clock jumps from 02:00 to
// 03:00 reads as 03:30. A time the clock shows twice is read with the offset in force before the
// change, the earlier of the two; mktime itself picks whichever has the offset of the previous
// conversion anywhere in the process, so that one depends on what was converted before.
std::int64_t LocalToCalendarTime(const std::tm& fields);

// Seconds the local time zone is ahead of UTC at `time` (negative west of Greenwich); 0 when
// the time cannot be converted.
std::int64_t LocalUtcOffset(std::int64_t time);

// The local clock's fields at `time` (as localtime_r gives them); false when it cannot say.
bool LocalFields(std::int64_t time, std::tm& fields);
// The fields of `time` in UTC (gmtime_r), and back (timegm): the system's own calls differ.
bool UtcFields(std::int64_t time, std::tm& fields);
std::int64_t UtcCalendarTime(const std::tm& fields);
// Reads the zone's rules again (TZ, or the system's zone when TZ is unset). They are otherwise
// read once, at the first conversion; call this after changing TZ.
void ReloadLocalTimeZone();

} // namespace platform
