// Local time to calendar time against the C library's mktime, across daylight-saving changes.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/local_time.h"
#include "support/environment.h"

namespace {

// The zones are named as in the tz database, which the Windows C runtime does not read from TZ.
#ifndef _WIN32

std::tm Fields(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return t;
}

std::int64_t LibraryTime(std::tm fields) {
    return static_cast<std::int64_t>(std::mktime(&fields));
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month] + (month == 1 && leap ? 1 : 0);
}

class LocalTime : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) {
            m_savedZone = tz;
        }
    }
    void TearDown() override {
        if (m_savedZone) {
            setenv("TZ", m_savedZone->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        platform::ReloadLocalTimeZone();
    }
    static void UseZone(const char* zone) {
        setenv("TZ", zone, 1);
        platform::ReloadLocalTimeZone();
    }
    // A zone missing from the system reads as UTC, which has no daylight saving.
    static bool ZoneHasDaylightSaving() {
        std::tm january = Fields(2021, 0, 15, 12, 0, 0);
        std::tm july = Fields(2021, 6, 15, 12, 0, 0);
        std::mktime(&january);
        std::mktime(&july);
        return january.tm_isdst != july.tm_isdst;
    }

private:
    std::optional<std::string> m_savedZone;
};

TEST_F(LocalTime, MatchesTheCLibraryForEveryHourOf1970To2037) {
    // Fields a listing can carry besides plain dates: out-of-range values carry over.
    const std::tm odd[] = {
        Fields(2021, 2, 0, 10, 0, -1),
        Fields(2021, 1, 40, 24, 75, 61),
        Fields(2021, -1, 1, -3, -1, -1),
        Fields(2020, 13, 31, 2, 30, -1),
        Fields(1970, 0, 1, 0, 0, -1),
        Fields(1969, 11, 31, 23, 0, 0),
        Fields(2000, 0, INT_MAX, 0, 0, -1),
        Fields(2000, 0, 1, INT_MIN, INT_MAX, -1),
        Fields(0, 0, 1, 0, 0, -1),
        Fields(3000, 11, 31, 23, 59, 59),
        Fields(INT_MIN + 1900, 0, 1, 0, 0, 0),
    };
    // Lord Howe moves its clock by half an hour, so its changes fall inside an hour.
    for (const char* zone :
         {"Europe/Berlin", "America/New_York", "Australia/Sydney", "Australia/Lord_Howe"}) {
        UseZone(zone);
        ASSERT_TRUE(ZoneHasDaylightSaving()) << zone << " is not installed (package tzdata)";
        int mismatches = 0;
        const auto compare = [&](const std::tm& fields) {
            const std::int64_t expected = LibraryTime(fields);
            const std::int64_t actual = platform::LocalToCalendarTime(fields);
            if (actual != expected && ++mismatches <= 5) {
                ADD_FAILURE() << zone << " " << fields.tm_year + 1900 << "-" << fields.tm_mon + 1
                              << "-" << fields.tm_mday << " " << fields.tm_hour << ":"
                              << fields.tm_min << ":" << fields.tm_sec << " gives " << actual
                              << ", the C library " << expected;
            }
        };
        // In ascending order, because mktime reads a time the clock shows twice with the offset
        // of its previous conversion: then that is the offset before the change, as chosen here.
        for (int year = 1970; year <= 2037; ++year) {
            for (int month = 0; month < 12; ++month) {
                for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                    for (int hour = 0; hour < 24; ++hour) {
                        for (int minute : {0, 59}) {
                            compare(Fields(year, month, day, hour, minute, -1));
                        }
                    }
                }
            }
        }
        for (const std::tm& fields : odd) {
            compare(fields);
        }
        EXPECT_EQ(mismatches, 0) << zone;
    }
}

TEST_F(LocalTime, UtcOffsetFollowsTheZoneAndItsSeason) {
    const std::int64_t january = 1610712000; // 2021-01-15 12:00 UTC
    const std::int64_t july = 1626350400;    // 2021-07-15 12:00 UTC
    UseZone("Asia/Kolkata");
    EXPECT_EQ(platform::LocalUtcOffset(january), 19800);
    UseZone("America/New_York");
    EXPECT_EQ(platform::LocalUtcOffset(january), -18000);
    EXPECT_EQ(platform::LocalUtcOffset(july), -14400);
}

#endif

} // namespace
