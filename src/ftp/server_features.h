// What a server offers beyond the commands every server knows, from its answer to FEAT (RFC
// 2389), and the machine-readable listings some of them send (MLSD, RFC 3659).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ftp {

struct ServerFeatures {
    bool mlsd = false; // "MLST": folders are listed with MLSD
    bool mdtm = false; // a file's modification time in UTC
    bool mfmt = false; // a file's modification time set
    bool utf8 = false; // names in UTF-8, switched on with OPTS UTF8 ON
    bool size = false;
};

// The features a FEAT reply names (a failed FEAT offers none). A feature line starts with a
// space; its first word, in any letter case, names the feature.
ServerFeatures ParseFeatures(const std::string& reply);

// An MLSD time ("modify" fact, UTC, YYYYMMDDHHMMSS with optional fractions) as seconds since
// the epoch; false when the text is no such time. The same form answers MDTM (after "213 ").
bool ParseFactTime(const std::string& text, std::int64_t& utc);
// The other way: seconds since the epoch as YYYYMMDDHHMMSS (MFMT's argument).
std::string FactTime(std::int64_t utc);

// The exact times (UTC) of the entries of one listing, line by line.
using ExactTimes = std::vector<std::int64_t>;

// An MLSD listing as lines of the long UNIX format that every reader of listings here knows
// ("drwxr-xr-x 1 owner group 4096 Dec  9 06:00 name"), with the listed time in this machine's
// zone, and the exact times beside, one for each line. "." and ".." and lines that are no entry
// are left out.
// `symlinks` tells whether an entry is a symbolic link: MLSD does not say where it leads, so
// its line is a file's until the caller puts the LIST line in its place.
std::string MlsdToListing(const std::string& mlsd, ExactTimes& times, bool& symlinks,
                          std::int64_t now);

} // namespace ftp
