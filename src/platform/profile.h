// A small INI profile layer: sections and keys are matched without regard to case, a missing
// key gives the caller's default, and every write replaces the file atomically with mode 0600
// (it holds passwords).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// What makes a settings file unusable: it is then neither read nor written, and the program
// says so.
enum class ProfileProblem {
    None,
    NotRegularFile, // a FIFO, a device, a folder, a link that leads nowhere it may
    TooLarge,       // past kMaxProfileBytes
    OthersLink,     // a symbolic link that another user made
};
// Thirty hosts with the longest values fill a small part of this.
constexpr std::size_t kMaxProfileBytes = 1024 * 1024;

// A settings file as read once, and where its writes go: the path itself, or for a link the
// user made, the file the link leads to (the link stays a link).
struct ProfileSnapshot {
    std::string text;
    std::string writePath;
    bool throughLink = false;
    ProfileProblem problem = ProfileProblem::None;
    // The file's identity when it was read or written, to notice a change.
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    unsigned mode = 0;
};

ProfileSnapshot ProfileLoad(const std::string& path);
// True when the file at `path` is still the one the snapshot holds (one stat).
bool ProfileUnchanged(const std::string& path, const ProfileSnapshot& snapshot);
// Lookups in a profile's text, by the rules below.
std::string ProfileValue(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         std::size_t bufferSize);
int ProfileIntValue(const std::string& text, const std::string& section, const std::string& key,
                    int defaultValue);
// The text after writing `entries` into `section`.
std::string ProfileWithEntries(const std::string& text, const std::string& section,
                               const std::vector<std::pair<std::string, std::string>>& entries);
// Replaces the snapshot's file with `text` through a temporary file only this process made,
// and updates the snapshot. False with errno set when it could not (EPERM for a file with a
// problem, which is never written).
bool ProfileStore(ProfileSnapshot& snapshot, const std::string& text);

// The value of key in section, cut to bufferSize - 1 bytes; `defaultValue` (also cut) when the
// file, the section or the key is missing.
std::string ProfileReadString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize);

// The value parsed as a signed decimal (leading digits with an optional sign; 0 when there are
// none), or `defaultValue` when the key is missing.
int ProfileReadInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue);

// Creates the file, the section and the key as needed and replaces an existing value. False,
// with errno set, when the file could not be replaced.
bool ProfileWriteString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The same for several keys in turn, with one replacement of the file: the file ends as the
// writes one by one would leave it, at the cost of one.
bool ProfileWriteStrings(const std::string& path, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& entries);

} // namespace platform
