// mktime checks the zone file again on every call (one system call per converted time when TZ is
// unset); localtime_r reads the zone once. So the search mktime makes is made here over
// localtime_r, and its answer is kept for each local hour in which the offset does not change.
#include "platform/local_time.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <vector>

#include "platform/calendar.h"

namespace platform {
namespace {

// Local times further than this from the epoch (some 285 million years) are left to mktime,
// whose handling of times that localtime_r cannot represent is not worth repeating.
constexpr std::int64_t kWidestLocal = std::int64_t{1} << 53;

bool Probe(std::int64_t instant, std::tm& fields) {
    const std::time_t t = static_cast<std::time_t>(instant);
    return localtime_r(&t, &fields) != nullptr;
}

// The instant the local clock reads `local` (seconds field 0..59), found as mktime finds it:
// start from an offset, correct by the error, and where the clock skips the time and the probes
// swing between the two sides, settle where mktime settles (on a daylight-saving reading unless
// the probe before it was one and this one is not). `at` is the clock's reading at the result.
bool FindInstant(std::int64_t local, std::int64_t offsetGuess, std::int64_t& instant, std::tm& at) {
    std::int64_t t = local - offsetGuess;
    std::int64_t twoBack = t;
    std::int64_t oneBack = t;
    bool oneBackDst = false;
    for (int probesLeft = 6;;) {
        if (!Probe(t, at)) {
            return false;
        }
        const std::int64_t error = local - FieldSeconds(at, at.tm_sec);
        if (error == 0) {
            break;
        }
        const bool dst = at.tm_isdst != 0;
        if (t == twoBack && t != oneBack && (at.tm_isdst < 0 || !oneBackDst || dst)) {
            break;
        }
        if (--probesLeft == 0) {
            return false;
        }
        twoBack = oneBack;
        oneBack = t;
        t += error;
        oneBackDst = dst;
    }
    instant = t;
    return true;
}

struct HourSlot {
    std::int64_t hourStart = std::numeric_limits<std::int64_t>::min();
    // Offset in force a day before the hour: the search starts from it, so that a repeated time
    // is read with the offset of before the change.
    std::int64_t offsetGuess = 0;
    // When `uniform`, every second of the hour converts to local time minus this.
    std::int64_t offset = 0;
    bool uniform = false;
};

constexpr int kSlotBits = 10;

std::atomic<unsigned> g_zoneGeneration{0};

// An hour is uniform when its first and last second convert with the same offset and without
// leap-second or sub-minute corrections; the zone changes offset at most once in an hour, so
// then every second in between does too.
void FillSlot(HourSlot& slot, std::int64_t hourStart) {
    slot.hourStart = hourStart;
    slot.uniform = false;
    std::tm fields{};
    if (!Probe(hourStart - kSecondsPerDay, fields)) {
        slot.offsetGuess = 0;
        return;
    }
    slot.offsetGuess = FieldSeconds(fields, fields.tm_sec) - (hourStart - kSecondsPerDay);
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::tm lastFields{};
    const std::int64_t hourEnd = hourStart + kSecondsPerHour - 1;
    if (FindInstant(hourStart, slot.offsetGuess, first, fields) && fields.tm_sec == 0 &&
        FindInstant(hourEnd, slot.offsetGuess, last, lastFields) && lastFields.tm_sec == 59 &&
        hourStart - first == hourEnd - last) {
        slot.offset = hourStart - first;
        slot.uniform = true;
    }
}

const HourSlot& SlotFor(std::int64_t hourStart) {
    struct Cache {
        unsigned generation = 0;
        std::vector<HourSlot> slots;
    };
    thread_local Cache cache;
    const unsigned generation = g_zoneGeneration.load(std::memory_order_acquire);
    if (cache.slots.empty() || cache.generation != generation) {
        cache.slots.assign(std::size_t{1} << kSlotBits, HourSlot{});
        cache.generation = generation;
    }
    const std::uint64_t hour = static_cast<std::uint64_t>(hourStart / kSecondsPerHour);
    HourSlot& slot = cache.slots[(hour * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits)];
    if (slot.hourStart != hourStart) {
        FillSlot(slot, hourStart);
    }
    return slot;
}

} // namespace

std::int64_t LocalToCalendarTime(const std::tm& fields) {
    // mktime searches with the seconds field brought into 0..59 and adds the rest afterwards.
    const int second = std::clamp(fields.tm_sec, 0, 59);
    const std::int64_t local = FieldSeconds(fields, second);
    if (local < -kWidestLocal || local > kWidestLocal) {
        std::tm copy = fields;
        copy.tm_isdst = -1;
        return static_cast<std::int64_t>(std::mktime(&copy));
    }
    const std::int64_t hourStart =
        local - ((local % kSecondsPerHour) + kSecondsPerHour) % kSecondsPerHour;
    const HourSlot& slot = SlotFor(hourStart);
    if (slot.uniform) {
        return local - slot.offset + (fields.tm_sec - second);
    }
    std::int64_t instant = 0;
    std::tm at{};
    if (!FindInstant(local, slot.offsetGuess, instant, at)) {
        return -1;
    }
    if (fields.tm_sec != at.tm_sec) {
        // As mktime: a match on a leap second (:60) for :00 counts one second later.
        instant += (second == 0 && at.tm_sec == 60 ? 1 : 0) - second + fields.tm_sec;
    }
    return instant;
}

std::int64_t LocalUtcOffset(std::int64_t time) {
    std::tm fields{};
    if (!Probe(time, fields)) {
        return 0;
    }
    return static_cast<std::int64_t>(fields.tm_gmtoff);
}

bool LocalFields(std::int64_t time, std::tm& fields) {
    return Probe(time, fields);
}

bool UtcFields(std::int64_t time, std::tm& fields) {
    const std::time_t t = static_cast<std::time_t>(time);
    return gmtime_r(&t, &fields) != nullptr;
}

std::int64_t UtcCalendarTime(const std::tm& fields) {
    std::tm copy = fields;
    return static_cast<std::int64_t>(::timegm(&copy));
}

void ReloadLocalTimeZone() {
    tzset();
    g_zoneGeneration.fetch_add(1, std::memory_order_acq_rel);
}

} // namespace platform
