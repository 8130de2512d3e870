// The INI text of a profile: lookups and edits, the same on every system.
#include "platform/profile.h"

#include <sstream>
#include <vector>

#include "res/ascii_case.h"

namespace platform {
namespace {

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) {
        return "";
    }
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A file saved by an editor may start with a UTF-8 byte-order mark; the first line is
        // still the section header.
        if (lines.empty() && line.rfind("\xEF\xBB\xBF", 0) == 0) {
            line.erase(0, 3);
        }
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionHeader(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') {
        return false;
    }
    std::size_t close = t.find(']');
    if (close == std::string::npos) {
        return false;
    }
    name = Trim(t.substr(1, close - 1));
    return true;
}

// Finds key in section; returns the line index or -1, and the section's last line.
int FindKey(const std::vector<std::string>& lines, const std::string& section,
            const std::string& key, int& sectionStart, int& sectionEnd) {
    sectionStart = -1;
    sectionEnd = -1;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (IsSectionHeader(lines[i], name)) {
            if (inSection) {
                return -1;
            }
            inSection = res::EqualIgnoringAsciiCase(name, section);
            if (inSection) {
                sectionStart = static_cast<int>(i);
                sectionEnd = static_cast<int>(i);
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(lines[i]).empty()) {
            sectionEnd = static_cast<int>(i);
        }
        std::size_t eq = lines[i].find('=');
        if (eq != std::string::npos &&
            res::EqualIgnoringAsciiCase(Trim(lines[i].substr(0, eq)), key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool FindValue(const std::string& text, const std::string& section, const std::string& key,
               std::string& value) {
    std::vector<std::string> lines = SplitLines(text);
    int start = 0;
    int end = 0;
    int at = FindKey(lines, section, key, start, end);
    if (at < 0) {
        return false;
    }
    const std::string& line = lines[static_cast<std::size_t>(at)];
    value = Trim(line.substr(line.find('=') + 1));
    return true;
}

std::string Cut(const std::string& s, std::size_t bufferSize) {
    if (bufferSize == 0) {
        return "";
    }
    return s.size() > bufferSize - 1 ? s.substr(0, bufferSize - 1) : s;
}

int ParseInt(const std::string& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    unsigned int result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10u + static_cast<unsigned>(value[i] - '0'); // wraps like the C library
    }
    return negative ? -static_cast<int>(result) : static_cast<int>(result);
}

} // namespace

std::string ProfileValue(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         std::size_t bufferSize) {
    std::string value;
    return Cut(FindValue(text, section, key, value) ? value : defaultValue, bufferSize);
}

int ProfileIntValue(const std::string& text, const std::string& section, const std::string& key,
                    int defaultValue) {
    std::string value;
    return FindValue(text, section, key, value) ? ParseInt(value) : defaultValue;
}

std::string ProfileWithEntries(const std::string& text, const std::string& section,
                               const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::string> lines = SplitLines(text);
    for (const auto& [key, value] : entries) {
        int start = 0;
        int end = 0;
        int at = FindKey(lines, section, key, start, end);
        std::string entry = key + "=" + value;
        if (at >= 0) {
            lines[static_cast<std::size_t>(at)] = entry;
        } else if (start >= 0) {
            lines.insert(lines.begin() + end + 1, entry);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }
    std::string out;
    for (const auto& l : lines) {
        out += l + "\r\n";
    }
    return out;
}

std::string ProfileReadString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize) {
    return ProfileValue(ProfileLoad(path).text, section, key, defaultValue, bufferSize);
}

int ProfileReadInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue) {
    return ProfileIntValue(ProfileLoad(path).text, section, key, defaultValue);
}

bool ProfileWriteString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    return ProfileWriteStrings(path, section, {{key, value}});
}

bool ProfileWriteStrings(const std::string& path, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
    ProfileSnapshot snapshot = ProfileLoad(path);
    return ProfileStore(snapshot, ProfileWithEntries(snapshot.text, section, entries));
}

} // namespace platform
