#include "ui/job_progress.h"

#include <algorithm>
#include <cstdio>

namespace ui {

void JobProgress::Start(Clock::time_point now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = {};
    m_state.running = true;
    m_state.started = now;
    m_state.shown = now - kShowEvery;
    m_state.samples.push_back({now, 0});
}

void JobProgress::AddFile(std::int64_t size) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_state.filesKnown;
    if (size < 0) {
        m_state.sizesKnown = false;
    } else {
        m_state.bytesKnown += size;
    }
}

void JobProgress::BeginFile(std::int64_t offset, int lane) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.lanes[lane] = {true, offset, offset};
}

bool JobProgress::Progress(std::int64_t done, Clock::time_point now, int lane) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.running) {
        return false;
    }
    // The engine sets the counter back to 0 once a file is through: that is no step back.
    State::Lane& moving = m_state.lanes[lane];
    moving.current = std::max(moving.current, done);
    const std::int64_t moved = m_state.movedBefore + MovingMovedLocked();
    // A sample every tenth of a second is enough for a rate over seconds.
    if (now - m_state.samples.back().at >= std::chrono::milliseconds(100)) {
        m_state.samples.push_back({now, moved});
        while (m_state.samples.size() > 2 && now - m_state.samples[1].at >= kRateWindow) {
            m_state.samples.pop_front();
        }
    } else {
        m_state.samples.back().moved = std::max(m_state.samples.back().moved, moved);
    }
    return DueLocked(now);
}

void JobProgress::FileDone(std::int64_t size, int lane) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.running) {
        return;
    }
    ++m_state.filesDone;
    State::Lane& moving = m_state.lanes[lane];
    if (moving.moving) {
        m_state.bytesDone += moving.current;
        m_state.movedBefore += std::max<std::int64_t>(0, moving.current - moving.offset);
    } else {
        m_state.bytesDone += std::max<std::int64_t>(0, size);
    }
    moving = {};
}

void JobProgress::AbandonFile(int lane) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.lanes[lane] = {};
}

std::int64_t JobProgress::MovingDoneLocked() const {
    std::int64_t done = 0;
    for (const State::Lane& lane : m_state.lanes) {
        done += lane.moving ? lane.current : 0;
    }
    return done;
}

std::int64_t JobProgress::MovingMovedLocked() const {
    std::int64_t moved = 0;
    for (const State::Lane& lane : m_state.lanes) {
        moved += lane.moving ? std::max<std::int64_t>(0, lane.current - lane.offset) : 0;
    }
    return moved;
}

void JobProgress::Finish(Clock::time_point now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.running) {
        return;
    }
    m_state.running = false;
    m_state.finished = true;
    m_state.ended = now;
}

bool JobProgress::Due(Clock::time_point now) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return DueLocked(now);
}

bool JobProgress::DueLocked(Clock::time_point now) {
    if (!m_state.running || now - m_state.shown < kShowEvery) {
        return false;
    }
    m_state.shown = now;
    return true;
}

double JobProgress::RateLocked(Clock::time_point now) const {
    // Bytes per second over the samples of the window, the newest bytes included.
    const std::int64_t moved = m_state.movedBefore + MovingMovedLocked();
    const Sample& oldest = m_state.samples.front();
    const double seconds = std::chrono::duration<double>(now - oldest.at).count();
    return seconds > 0 ? static_cast<double>(moved - oldest.moved) / seconds : 0.0;
}

std::string JobProgress::Text(Clock::time_point now) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const State& s = m_state;
    if (!s.running && !s.finished) {
        return "";
    }
    const std::int64_t done = s.bytesDone + MovingDoneLocked();
    std::string text = std::to_string(s.filesDone) + " of " + std::to_string(s.filesKnown) +
                       " files, " + FormatSize(done);
    if (s.sizesKnown) {
        text += " of " + FormatSize(s.bytesKnown);
    }
    const std::int64_t moved = s.movedBefore + MovingMovedLocked();
    if (s.finished) {
        const double seconds = std::chrono::duration<double>(s.ended - s.started).count();
        const auto rate = seconds > 0 ? static_cast<std::int64_t>(moved / seconds) : moved;
        return text + "\n" + FormatSize(rate) + "/s, took " +
               FormatDuration(static_cast<std::int64_t>(seconds + 0.5));
    }
    // Less than a second tells nothing of the rate yet.
    if (now - s.started < std::chrono::seconds(1)) {
        return text + "\n";
    }
    const double rate = RateLocked(now);
    text += "\n" + FormatSize(static_cast<std::int64_t>(rate)) + "/s";
    if (s.sizesKnown && rate >= 1.0 && s.bytesKnown >= done) {
        text += ", " +
                FormatDuration(static_cast<std::int64_t>(
                    static_cast<double>(s.bytesKnown - done) / rate + 0.5)) +
                " left";
    }
    return text;
}

std::string JobProgress::FormatSize(std::int64_t bytes) {
    if (bytes < 1024) {
        return std::to_string(std::max<std::int64_t>(bytes, 0)) + " B";
    }
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1023.95 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    if (value < 9.95) {
        std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    } else {
        std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
    }
    return text;
}

std::string JobProgress::FormatDuration(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

} // namespace ui
