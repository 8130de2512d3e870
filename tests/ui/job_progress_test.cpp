#include <gtest/gtest.h>

#include "ui/job_progress.h"

namespace {

using ui::JobProgress;
using namespace std::chrono_literals;

TEST(JobProgress, TheLineCountsFilesAndBytesAndTellsTheRateAndTheTimeLeft) {
    const JobProgress::Clock::time_point t0{};
    JobProgress p;
    EXPECT_EQ(p.Text(t0), "") << "no job yet";
    p.Start(t0);
    for (int i = 0; i < 3; ++i) {
        p.AddFile(4096);
    }
    EXPECT_EQ(p.Text(t0), "0 of 3 files, 0 B of 12 KB\n") << "no rate in the first second";

    p.BeginFile(0);
    p.Progress(2048, t0 + 1s);
    p.Progress(4096, t0 + 2s);
    p.FileDone(4096);
    EXPECT_EQ(p.Text(t0 + 2s), "1 of 3 files, 4.0 KB of 12 KB\n2.0 KB/s, 0:04 left");

    // A resumed file: what it had counts as done, not as moved.
    p.BeginFile(3072);
    p.Progress(4096, t0 + 3s);
    EXPECT_EQ(p.Text(t0 + 3s), "1 of 3 files, 8.0 KB of 12 KB\n1.7 KB/s, 0:02 left");
    p.FileDone(4096);
    // A file passed over counts its size; one of unknown size ends the total and the time left.
    p.FileDone(4096);
    p.AddFile(-1);
    EXPECT_EQ(p.Text(t0 + 4s), "3 of 4 files, 12 KB\n1.2 KB/s");

    p.Finish(t0 + 4s);
    EXPECT_EQ(p.Text(t0 + 9s), "3 of 4 files, 12 KB\n1.2 KB/s, took 0:04");
    EXPECT_FALSE(p.Due(t0 + 9s)) << "an ended job's line stays as it is";
}

// Files moving side by side on several lanes add up; one handed to another lane counts there.
TEST(JobProgress, LanesMovingAtOnceAddUp) {
    const JobProgress::Clock::time_point t0{};
    JobProgress p;
    p.Start(t0);
    for (int i = 0; i < 3; ++i) {
        p.AddFile(4096);
    }
    p.BeginFile(0, 1);
    p.BeginFile(0, 2);
    p.Progress(2048, t0 + 1s, 1);
    p.Progress(2048, t0 + 1s, 2);
    EXPECT_EQ(p.Text(t0 + 1s), "0 of 3 files, 4.0 KB of 12 KB\n4.0 KB/s, 0:02 left");
    p.AbandonFile(2);
    p.FileDone(4096, 1);
    EXPECT_EQ(p.Text(t0 + 1s), "1 of 3 files, 2.0 KB of 12 KB\n2.0 KB/s, 0:05 left");
}

TEST(JobProgress, TheLineChangesAFewTimesASecondAtMost) {
    const JobProgress::Clock::time_point t0{};
    JobProgress p;
    p.Start(t0);
    EXPECT_TRUE(p.Due(t0));
    EXPECT_FALSE(p.Due(t0 + 249ms));
    EXPECT_TRUE(p.Due(t0 + 250ms));
    EXPECT_FALSE(p.Due(t0 + 400ms));
}

TEST(JobProgress, SizesAndDurationsReadAsPeopleWriteThem) {
    const std::pair<std::int64_t, const char*> sizes[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {10 * 1024, "10 KB"},
        {1572864, "1.5 MB"},
        {1023 * 1024 * 1024LL, "1023 MB"},
        {1LL << 40, "1.0 TB"},
        {5LL << 50, "5120 TB"},
    };
    for (const auto& [bytes, text] : sizes) {
        EXPECT_EQ(JobProgress::FormatSize(bytes), text) << bytes;
    }
    const std::pair<std::int64_t, const char*> durations[] = {
        {0, "0:00"}, {7, "0:07"}, {754, "12:34"}, {3723, "1:02:03"}, {-5, "0:00"}};
    for (const auto& [seconds, text] : durations) {
        EXPECT_EQ(JobProgress::FormatDuration(seconds), text) << seconds;
    }
}

} // namespace
