// The field grammar of a UNIX-style LIST text: which field of which line a question reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace ftp {

// The fields of a listing line. With the group column missing the same numbers still name the
// same meanings (links, owner and group shift onto the columns that remain).
enum ListingFieldId : int {
    kFieldWholeLine = 0,
    kFieldPermissions = 1,
    kFieldLinks = 2,
    kFieldOwner = 3,
    kFieldGroup = 4,
    kFieldSize = 5,
    kFieldMonth = 6,
    kFieldDay = 7,
    kFieldTimeOrYear = 8,
    kFieldName = 9,        // read to the end of the line: a link's name includes its target
    kFieldLinkTarget = 11, // the text after " -> " of a link whose name has no spaces
};

// What a field query answers for a line that does not exist or is not an entry.
inline constexpr std::string_view kNotEntry = "\r\n";

// A name field (read to the end of the line) that names an entry the panes show: neither a
// line that is no entry nor a hidden name ("." and ".." included).
inline bool IsShownName(std::string_view name) {
    return !name.empty() && name != kNotEntry && name[0] != '.';
}

constexpr int kMaxListingLines = 10000;
// A listing this long is refused whatever its line count: 10,000 lines of long names fit.
constexpr std::size_t kMaxListingBytes = 16 * 1024 * 1024;

// Grammar over a raw LIST text (lines end in CR LF). Each call reads the text afresh; callers
// asking many questions of one listing keep a ListingIndex of it instead.
std::string ListingField(const std::string& listing, int line, int field, bool restOfLine);
int FindListingLine(const std::string& name, const std::string& listing);
// Sizes are 64-bit: a size field of up to 19 plain digits is read as it stands.
std::int64_t ListingEntrySize(const std::string& name, const std::string& listing);
// `today` is the local date the year rule is judged against (nullptr: now).
std::int64_t ListingEntryTime(const std::string& name, const std::string& listing, int line,
                              const std::tm* today = nullptr);
// CR LF count, at most kMaxListingLines.
int CountListingLines(const std::string& listing);
// True when the text has more than kMaxListingLines lines (such a listing is refused).
bool ListingExceedsLineLimit(const std::string& listing);
std::int32_t ParseDecimal(const std::string& text);
std::uint8_t RemoteEntryKind(const std::string& name);

} // namespace ftp
