// A small INI profile layer: sections and keys are matched without regard to case, a missing
// key gives the caller's default, and every write replaces the file atomically with mode 0600
// (it holds passwords).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

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
