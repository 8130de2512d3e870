// What a start point hands to its job: written on the window's thread before the job starts,
// read only by that job, and freed by it.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct JobInputs {
    std::vector<std::string> items;  // bare names of the chosen rows
    std::vector<std::uint8_t> kinds; // their images: res::kImageFolder for a folder
    std::string localBase;           // the local folder with '/' at its end
    std::string remoteBase;          // the remote folder with '/' at its end
    bool mirroring = false;          // the upload job mirrors
    bool overwrite = false;          // the upload job stores every file
    int timeZoneIndex = 0;           // the host's TimeZoneIndex, for the upload's time test

    int Count() const { return static_cast<int>(items.size()); }
    void Add(const std::string& name, int kind) {
        items.push_back(name);
        kinds.push_back(static_cast<std::uint8_t>(kind));
    }
    void FreeItems() {
        items = {};
        kinds = {};
    }
};

// How far one job may walk remote folder trees: a server can list folders without end, and
// each costs a listing and, for a download, a local folder.
class TreeWalkBounds {
public:
    static constexpr int kMaxDepth = 100;     // levels below the folder the job started from
    static constexpr int kMaxFolders = 10000; // listings of folders in one job

    void Reset() { m_listed = 0; }
    // One more folder listed; false once the job is past its limit (kMaxFolders).
    bool CountListing() { return ++m_listed <= s_maxFolders; }
    // Another limit, for tests that would not list 10,000 folders.
    static void SetMaxFolders(int count) { s_maxFolders = count; }
    // The levels of a path below the job's folder ("a/b" is 2).
    static int Depth(const std::string& relative) {
        return 1 + static_cast<int>(std::count(relative.begin(), relative.end(), '/'));
    }

private:
    int m_listed = 0;
    static inline std::atomic<int> s_maxFolders{kMaxFolders};
};

} // namespace ui
