// CPU cost of the mirroring decisions for one large folder, without a server: a local folder of
// 10,000 files against a listing of the remote folder, deciding what to delete (the remote
// names the local folder lacks) and what to store (the time test of every local file), as the
// upload job does for each folder it reaches: one index of the listing, one read of the local
// folder for the deletions, one read with the entries' kinds for the stores.
#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/window/headless/headless_window.h"
#include "settings/settings_store.h"
#include "ui/main_dialog.h"

namespace {

constexpr int kLocalFiles = 10000;
constexpr int kRuns = 7;

double CpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string LocalName(int i) {
    return "file_" + std::to_string(i) + (i % 3 == 0 ? ".txt" : ".bin");
}

// Every other listed file is newer than its local copy (Jan 1 2025 against mid-2024 or
// mid-2025); the names past the local ones are extras to delete.
std::string Listing(int entries) {
    std::string text;
    for (int i = 0; i < entries; ++i) {
        const std::string name =
            i < kLocalFiles - 1000 ? LocalName(i) : "extra_" + std::to_string(i);
        text += "-rw-r--r--    1 owner    group        4096 Jan 01  2025 " + name + "\r\n";
    }
    return text;
}

struct Result {
    double cpu = 0, wall = 0;
    // Parts of cpu: index and deletions, the folder read with one status per entry, the time
    // tests.
    double deletions = 0, folderRead = 0, timeTests = 0;
    int toStore = 0, toDelete = 0;
};

Result Decide(ui::CMainDialog& dialog, headless::HeadlessMainWindow& window,
              const std::string& folder, const std::string& listingText) {
    const std::size_t boxesBefore = window.Boxes().size();
    const double cpuStart = CpuMilliseconds();
    const auto wallStart = std::chrono::steady_clock::now();
    const ftp::ListingIndex listing(listingText);
    // Every extra asks its question, which the headless window answers No: a decision made
    // and nothing sent.
    dialog.MirrorDeleteExtras(folder, "/remote", listing);
    Result r;
    const double readStart = CpuMilliseconds();
    std::vector<platform::FolderEntry> entries;
    platform::ReadFolder(folder, entries);
    const double testStart = CpuMilliseconds();
    for (const platform::FolderEntry& entry : entries) {
        if (entry.kind == platform::EntryKind::File &&
            dialog.NeedsUpload(entry.modifiedRead ? std::optional(entry.modified) : std::nullopt,
                               entry.name, listing, "/remote", "/remote/" + entry.name)) {
            ++r.toStore;
        }
    }
    r.cpu = CpuMilliseconds() - cpuStart;
    r.deletions = readStart - cpuStart;
    r.folderRead = testStart - readStart;
    r.timeTests = cpuStart + r.cpu - testStart;
    r.wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
                 .count();
    r.toDelete = static_cast<int>(window.Boxes().size() - boxesBefore);
    return r;
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "quorrel-mirror-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    std::tm older{};
    older.tm_year = 124; // 2024-06-01
    older.tm_mon = 5;
    older.tm_mday = 1;
    std::tm newer = older;
    newer.tm_year = 125;
    const time_t times[2] = {mktime(&older), mktime(&newer)};
    for (int i = 0; i < kLocalFiles; ++i) {
        const std::string path = folder + "/" + LocalName(i);
        std::FILE* f = std::fopen(path.c_str(), "w");
        if (f == nullptr) {
            std::perror(path.c_str());
            return 1;
        }
        std::fclose(f);
        const utimbuf t{times[i % 2], times[i % 2]};
        ::utime(path.c_str(), &t);
    }

    headless::HeadlessMainWindow window;
    settings::SettingsStore settings(folder + "/unused.ini");
    ui::CMainDialog dialog(window, settings);
    dialog.Arrange().m_job.mirroring = true;
    dialog.Arrange().m_job.timeZoneIndex = 13;

    std::printf("mirroring decisions, %d local files (one folder), best and median of %d runs\n",
                kLocalFiles, kRuns);
    // 10,000 entries is as many as a listing may have; a listing that long is not searched by
    // name, so every local file counts as missing. 9,999 is the longest that is searched.
    for (const int entries : {kLocalFiles, kLocalFiles - 1}) {
        const std::string text = Listing(entries);
        std::vector<Result> runs;
        for (int run = 0; run < kRuns; ++run) {
            runs.push_back(Decide(dialog, window, folder, text));
        }
        std::sort(runs.begin(), runs.end(),
                  [](const Result& a, const Result& b) { return a.cpu < b.cpu; });
        const Result& median = runs[kRuns / 2];
        std::printf("  listing of %5d entries: CPU %.1f ms best, %.1f ms median, %.1f ms worst "
                    "(wall %.1f ms median); %d to store, %d to delete\n",
                    entries, runs.front().cpu, median.cpu, runs.back().cpu, median.wall,
                    median.toStore, median.toDelete);
        std::printf("    median run: index and deletions %.1f ms, local folder read with its "
                    "%d file statuses %.1f ms, time tests %.1f ms\n",
                    median.deletions, kLocalFiles, median.folderRead, median.timeTests);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
