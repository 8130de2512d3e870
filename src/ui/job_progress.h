// What a transfer job has done and has still to do, for the line beside the byte counter: files
// done of files known, bytes done of bytes known, the rate over the last seconds and the time
// left. Files become known as the job reads its folders, so the totals grow while a tree is
// walked. The caller's clock is passed in, which keeps the arithmetic testable.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace ui {

class JobProgress {
public:
    using Clock = std::chrono::steady_clock;
    // How often the line may change: a few times a second, so that nothing blinks.
    static constexpr std::chrono::milliseconds kShowEvery{250};
    // The rate is measured over this much of the recent past.
    static constexpr std::chrono::seconds kRateWindow{5};

    // A new job: everything back to nothing.
    void Start(Clock::time_point now);
    // A file the job will move, of `size` bytes (negative: not known).
    void AddFile(std::int64_t size);
    // Files move side by side over several connections; each connection's file is its lane's.
    // Lane 0 is the browsing connection's.
    static constexpr int kLanes = 11;
    // The file about to move on `lane` starts at `offset` (a resumed download).
    void BeginFile(std::int64_t offset, int lane = 0);
    // The bytes of the lane's moving file done so far, `offset` included; never fewer than
    // before. True when the line is due again (see Due): one lock per block of a transfer.
    bool Progress(std::int64_t done, Clock::time_point now, int lane = 0);
    // The job is through with a file, moved or not; a file that did not move counts `size`.
    // `lane`: the lane it moved on, if it did.
    void FileDone(std::int64_t size, int lane = 0);
    // The lane's file goes again on another lane: what it moved here no longer counts.
    void AbandonFile(int lane);
    // The job is over: the line then tells the average rate and how long it took.
    void Finish(Clock::time_point now);

    // True when the line should be shown again (at most every kShowEvery); marks it shown.
    bool Due(Clock::time_point now);
    // Two lines, "" before anything is known.
    std::string Text(Clock::time_point now) const;

    // "512 B", "4.0 KB", "12 KB", "1.2 MB" (1024-based, one decimal below 10).
    static std::string FormatSize(std::int64_t bytes);
    // "0:07", "12:34", "1:02:03".
    static std::string FormatDuration(std::int64_t seconds);

private:
    bool DueLocked(Clock::time_point now);
    struct Sample {
        Clock::time_point at;
        std::int64_t moved;
    };
    double RateLocked(Clock::time_point now) const;
    // The bytes of the files moving now: as far as they are, and moved by this job.
    std::int64_t MovingDoneLocked() const;
    std::int64_t MovingMovedLocked() const;

    struct State {
        bool running = false;
        bool finished = false;
        Clock::time_point started{};
        Clock::time_point ended{};
        Clock::time_point shown{};
        int filesKnown = 0;
        int filesDone = 0;
        bool sizesKnown = true;
        std::int64_t bytesKnown = 0;
        std::int64_t bytesDone = 0; // of the files done
        struct Lane {
            bool moving = false;
            std::int64_t offset = 0;
            std::int64_t current = 0;
        };
        Lane lanes[kLanes];
        std::int64_t movedBefore = 0; // bytes moved by the files done
        std::deque<Sample> samples;
    };

    // Several connections may report at once.
    mutable std::mutex m_mutex;
    State m_state;
};

} // namespace ui
