// What a job knows of a remote file's modification time, and how sure it is: exactly (MLSD,
// MDTM), within the minute or the day its LIST line gives once the server's offset from UTC is
// known, or only as today's rule reads a listing (the host's time zone decides).
#pragma once

#include <cstdint>

namespace ui {

struct RemoteFileTime {
    enum class Source { Exact, Listed, Zone };
    Source source = Source::Zone;
    // Seconds since the epoch; the time lies within [earliest, latest]. For Zone both are the
    // listing's time as today's rule reads it.
    std::int64_t earliest = 0;
    std::int64_t latest = 0;
};

} // namespace ui
