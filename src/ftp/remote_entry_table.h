// The listing of the current remote folder, the grammar by which it is read, and the entries
// the remote pane shows.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ftp/listing_grammar.h"
#include "ftp/listing_index.h"

namespace ftp {

class RemoteEntryTable {
public:
    // Raw text of the last listing of the current remote folder. Only the running job writes it
    // (through SetListing); the window's thread reads it through ListingEntryLine, which may
    // run while a job lists.
    std::string m_remoteListing;

    // Built by Build() from m_remoteListing, freed by Free().
    std::vector<std::string> m_names;
    std::vector<std::uint8_t> m_kinds;
    std::vector<std::uint16_t> m_order; // display position -> entry index
    std::vector<std::uint16_t> m_lines; // entry index -> its line in the listing
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
    // Whole listing line of the name, or "none". Any thread.
    std::string ListingEntryLine(const std::string& name) const;

private:
    mutable std::mutex m_textMutex; // between SetListing and ListingEntryLine
    ListingIndex m_index;
};

} // namespace ftp
