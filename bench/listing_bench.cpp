// Cost of reading a large listing: building the pane entries and their display order, and
// looking up every name the way the upload and mirroring jobs do.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ftp/dos_listing.h"
#include "ftp/listing_index.h"
#include "ftp/remote_entry_table.h"
#include "ftp/server_features.h"

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

std::string GeneratedListing(int lines, std::vector<std::string>& names) {
    static const char* const kExtensions[] = {".txt", ".html", ".jpg", ".zip", "", ".mp3", ".c"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::mt19937 random(42);
    std::string text = "total 123456\r\n";
    names.clear();
    for (int i = 1; i < lines; ++i) {
        const bool folder = random() % 8 == 0;
        std::string name = (random() % 2 ? "File " : "file_") + std::to_string(random() % 100000) +
                           "_" + std::to_string(i) + kExtensions[random() % 7];
        text += folder ? "drwxr-xr-x" : "-rw-r--r--";
        text += "   1 owner    group    " + std::to_string(random() % 5000000000ULL) + " " +
                kMonths[random() % 12] + " " + std::to_string(1 + random() % 28) +
                (random() % 2 ? " 12:34 " : "  2019 ") + name + "\r\n";
        names.push_back(std::move(name));
    }
    return text;
}

// The same kind of folder as MLSD sends it.
std::string GeneratedMlsd(int lines) {
    static const char* const kExtensions[] = {".txt", ".html", ".jpg", ".zip", "", ".mp3", ".c"};
    std::mt19937 random(42);
    std::string text = "type=cdir;modify=20260101000000; .\r\n";
    for (int i = 1; i < lines; ++i) {
        const bool folder = random() % 8 == 0;
        const std::string name = (random() % 2 ? "File " : "file_") +
                                 std::to_string(random() % 100000) + "_" + std::to_string(i) +
                                 kExtensions[random() % 7];
        text += std::string("modify=20") + (random() % 2 ? "26" : "19") + "0" +
                std::to_string(1 + random() % 9) + "1" + std::to_string(random() % 9) +
                "123456;perm=adfrw;size=" + std::to_string(random() % 5000000000ULL) +
                (folder ? ";type=dir" : ";type=file") +
                ";UNIX.mode=0644;UNIX.owner=1000;UNIX.group=1000; " + name + "\r\n";
    }
    return text;
}

} // namespace

int main() {
    std::vector<std::string> names;
    ftp::RemoteEntryTable table;
    table.m_remoteListing = GeneratedListing(ftp::kMaxListingLines, names);

    auto start = std::chrono::steady_clock::now();
    ftp::RewriteDosListing(table.m_remoteListing);
    std::printf("DOS-style rewrite pass, %d Unix lines: %.2f ms\n", ftp::kMaxListingLines,
                MillisecondsSince(start));

    start = std::chrono::steady_clock::now();
    const int kept = table.Build();
    const double listBuild = MillisecondsSince(start);
    std::printf("build entries and display order, %d lines, %d entries: %.2f ms\n",
                ftp::kMaxListingLines, kept, listBuild);

    // MLSD: the lines become the long format first, then the same build.
    const std::string mlsd = GeneratedMlsd(ftp::kMaxListingLines);
    start = std::chrono::steady_clock::now();
    ftp::ExactTimes times;
    bool symlinks = false;
    ftp::RemoteEntryTable mlsdTable;
    mlsdTable.m_remoteListing = ftp::MlsdToListing(mlsd, times, symlinks, 1780000000);
    const int mlsdKept = mlsdTable.Build();
    const double mlsdBuild = MillisecondsSince(start);
    std::printf("MLSD: convert, build entries and display order, %d lines, %d entries: %.2f ms "
                "(%.2f x the LIST row; target within 1.5)\n",
                ftp::kMaxListingLines, mlsdKept, mlsdBuild, mlsdBuild / listBuild);

    // The largest listing that is searched by name.
    const std::string searchable = GeneratedListing(ftp::kMaxListingLines - 1, names);
    start = std::chrono::steady_clock::now();
    const ftp::ListingIndex index(searchable);
    std::printf("index %d lines: %.2f ms\n", index.LineCount(), MillisecondsSince(start));

    start = std::chrono::steady_clock::now();
    long long found = 0;
    for (const std::string& name : names) {
        found += index.FindLine(name) >= 0 ? 1 : 0;
    }
    std::printf("FindListingLine for every name (%zu names, %lld found): %.2f ms\n", names.size(),
                found, MillisecondsSince(start));

    start = std::chrono::steady_clock::now();
    long long total = 0;
    const std::tm today = [] {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 5;
        t.tm_mday = 15;
        return t;
    }();
    for (const std::string& name : names) {
        total += index.Size(name) + index.Time(name, -1, &today) % 7;
    }
    std::printf("size and time for every name: %.2f ms (checksum %lld)\n", MillisecondsSince(start),
                total);

    // For comparison: the free function reads the text afresh on each call.
    start = std::chrono::steady_clock::now();
    const int sample = 100;
    for (int i = 0; i < sample; ++i) {
        found += ftp::FindListingLine(names[names.size() - 1 - i], searchable);
    }
    std::printf("free FindListingLine, %d names near the end: %.2f ms\n", sample,
                MillisecondsSince(start));
    return 0;
}
