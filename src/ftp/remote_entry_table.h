// The listing of the current remote folder, the grammar by which it is read, and the entries
// the remote pane shows.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace ftp {

constexpr int kMaxListingLines = 10000;

// Grammar over a raw LIST text (lines end in CR LF). Field numbers: 0 whole line,
// 1 permissions, 2 links, 3 owner, 4 group, 5 size, 6 month, 7 day, 8 time or year, 9 name.
std::string ListingField(const std::string& listing, int line, int field, bool restOfLine);
int FindListingLine(const std::string& name, const std::string& listing);
std::int64_t ListingEntrySize(const std::string& name, const std::string& listing);
// `today` is the local date the year rule is judged against (nullptr: now).
std::int64_t ListingEntryTime(const std::string& name, const std::string& listing, int line,
                              const std::tm* today = nullptr);
int CountListingLines(const std::string& listing);
std::int32_t ParseDecimal(const std::string& text);
std::uint8_t RemoteEntryKind(const std::string& name);

class RemoteEntryTable {
public:
    std::string m_remoteListing;  // raw text of the last listing of the current remote folder

    // Built by Build() from m_remoteListing, freed by Free().
    std::vector<std::string> m_names;
    std::vector<std::uint8_t> m_kinds;
    std::vector<std::uint16_t> m_order;  // display position -> entry index
    int m_count = 0;

    // Names, kinds and display order of m_remoteListing; returns the number of entries kept.
    int Build();
    void Free();
    // Whole listing line of the name, or "none".
    std::string ListingEntryLine(const std::string& name) const;
};

}  // namespace ftp
