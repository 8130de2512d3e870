// The listing grammar, its index, the pane entries and the DOS-style rewrite against the
// step-by-step grammar of the tests, on any bytes a server could send.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ftp/dos_listing.h"
#include "ftp/listing_index.h"
#include "ftp/remote_entry_table.h"
#include "ftp/server_features.h"
#include "unit/listing_oracle.h"

namespace {

[[noreturn]] void Differ(const char* what) {
    __builtin_printf("differs: %s\n", what);
    std::abort();
}

void Check(bool same, const char* what) {
    if (!same) {
        Differ(what);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // One zone without daylight saving: both sides convert the same local times the same way.
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1024) {
        return 0; // the oracle rescans from the start: quadratic by design
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    const ftp::ListingIndex index(text);
    const int lines = oracle::CountListingLines(text);
    Check(ftp::CountListingLines(text) == lines, "line count");
    std::tm today{};
    today.tm_year = 2015 - 1900;
    today.tm_mon = 6;
    today.tm_mday = 15;
    // One line per input, chosen by its first byte: the oracle reads the text afresh for every
    // question, and all the lines of every input would make each run cost thousands of scans.
    const int chosen = size == 0 ? -1 : data[0] % (lines + 2) - 1;
    for (int j = chosen; j <= chosen; ++j) {
        for (int field = 0; field <= 12; ++field) {
            for (bool rest : {false, true}) {
                const std::string expected = oracle::ListingField(text, j, field, rest);
                Check(ftp::ListingField(text, j, field, rest) == expected, "field");
                Check(index.Field(j, field, rest) == expected, "indexed field");
            }
        }
        const std::string name = oracle::ListingField(text, j, 9, true);
        const int line = oracle::FindListingLine(name, text);
        Check(ftp::FindListingLine(name, text) == line, "find");
        Check(index.FindLine(name) == line, "indexed find");
        Check(ftp::ListingEntrySize(name, text) == oracle::ListingEntrySize(name, text), "size");
        Check(index.Size(name) == oracle::ListingEntrySize(name, text), "indexed size");
        Check(index.EntryLine(name) == oracle::ListingEntryLine(name, text), "entry line");
        const std::int64_t time = oracle::ListingEntryTime(name, text, -1, today);
        Check(ftp::ListingEntryTime(name, text, -1, &today) == time, "time");
        Check(index.Time(name, -1, &today) == time, "indexed time");
    }
    ftp::RemoteEntryTable table;
    table.SetListing(text);
    const int count = table.Build();
    const oracle::Entries expected = oracle::BuildEntries(text);
    Check(count == static_cast<int>(expected.names.size()), "entry count");
    Check(table.m_names == expected.names, "entry names");
    Check(table.m_kinds == expected.kinds, "entry kinds");
    for (int k = 0; k < count; ++k) {
        Check(table.m_order[static_cast<std::size_t>(k)] ==
                  expected.order[static_cast<std::size_t>(k)],
              "display order");
    }

    // The DOS-style rewrite keeps every line break and gives only lines the grammar reads.
    std::string rewritten = text;
    ftp::RewriteDosListing(rewritten, &today);
    Check(oracle::CountListingLines(rewritten) == lines, "rewrite keeps the lines");

    // The same bytes as an MLSD listing: every line it keeps is one entry that the grammar
    // reads under the name MLSD gave, with the exact time beside it.
    ftp::ExactTimes times;
    bool symlinks = false;
    const std::string converted = ftp::MlsdToListing(text, times, symlinks, 1500000000);
    const ftp::ListingIndex entries(converted);
    Check(entries.LineCount() == static_cast<int>(times.size()), "one time a line");
    for (int line = 0; line < entries.LineCount(); ++line) {
        Check(entries.FindLine(entries.FieldView(line, ftp::kFieldName, true)) >= 0,
              "converted name");
    }
    return 0;
}
