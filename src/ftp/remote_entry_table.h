// The listing of the current remote folder, the grammar by which it is read, and the entries
// the remote pane shows.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ftp/listing_index.h"

namespace ftp {

constexpr int kMaxListingLines = 10000;

// Entry kinds that do not come from the extension.
constexpr std::uint8_t kFolderKind = 0;
constexpr std::uint8_t kLinkKind = 14;
constexpr std::uint8_t kOtherFileKind = 15;

// Grammar over a raw LIST text (lines end in CR LF). Field numbers: 0 whole line,
// 1 permissions, 2 links, 3 owner, 4 group, 5 size, 6 month, 7 day, 8 time or year, 9 name.
// Each call reads the text afresh; callers asking many questions of one listing keep a
// ListingIndex of it instead.
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

class RemoteEntryTable {
public:
    std::string m_remoteListing; // raw text of the last listing of the current remote folder

    // Built by Build() from m_remoteListing, freed by Free().
    std::vector<std::string> m_names;
    std::vector<std::uint8_t> m_kinds;
    std::vector<std::uint16_t> m_order; // display position -> entry index
    int m_count = 0;

    // Replaces m_remoteListing and indexes it.
    void SetListing(std::string text);
    // Index of m_remoteListing, rebuilt first if the text changed since it was made. The check
    // compares the texts, so a job asking about many names takes the reference once.
    const ListingIndex& Index();

    // Names, kinds and display order of m_remoteListing (its first kMaxListingLines lines);
    // returns the number of entries kept.
    int Build();
    void Free();
    // Whole listing line of the name, or "none".
    std::string ListingEntryLine(const std::string& name) const;

private:
    ListingIndex m_index;
};

} // namespace ftp
