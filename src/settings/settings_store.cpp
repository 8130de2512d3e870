#include "settings/settings_store.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/profile.h"

namespace {

constexpr const char* kSection = "data";
constexpr const char* kMissing = "enpty"; // the store's marker for a missing list
constexpr std::size_t kListBuffer = 2048;

} // namespace

int SettingsStore::ReadInt(const std::string& key, int defaultValue) const {
    return platform::ProfileReadInt(m_settingsPath, kSection, key, defaultValue);
}

void SettingsStore::WriteInt(const std::string& key, int value) {
    platform::ProfileWriteString(m_settingsPath, kSection, key, FormatDecimal(value));
}

bool SettingsStore::ReadList(std::string* items, int count, const std::string& key,
                             bool reversed) const {
    std::string text =
        platform::ProfileReadString(m_settingsPath, kSection, key, kMissing, kListBuffer);
    if (text == kMissing) {
        return false;
    }
    std::size_t p = 0;
    int i = 0;
    while (p < text.size() && i < count) {
        std::size_t semi = text.find(';', p); // ';' is ASCII, so no character is split
        if (semi == std::string::npos) {
            break;
        }
        items[i] = text.substr(p, semi - p);
        if (reversed) {
            items[i] = ReverseCharacters(items[i]);
        }
        p = semi + 1;
        if (p >= text.size()) {
            break;
        }
        ++i;
    }
    return true;
}

void SettingsStore::WriteList(const std::string* items, int count, const std::string& key,
                              bool reversed) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += reversed ? ReverseCharacters(items[i]) : items[i];
        text += ';';
    }
    platform::ProfileWriteString(m_settingsPath, kSection, key, text);
}

std::string SettingsStore::ReadString(const std::string& key, const std::string& defaultValue,
                                      std::size_t bufferSize) const {
    return platform::ProfileReadString(m_settingsPath, kSection, key, defaultValue, bufferSize);
}

void SettingsStore::WriteString(const std::string& key, const std::string& value) {
    platform::ProfileWriteString(m_settingsPath, kSection, key, value);
}

std::string FormatDecimal(std::int64_t value) {
    if (value == 0) {
        return "0";
    }
    if (value >= 10000000000LL) {
        return "Max";
    }
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits;
    while (magnitude > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    }
    return value < 0 ? "-" + digits : digits;
}

std::string ReverseCharacters(const std::string& text) {
    // Reverse whole UTF-8 sequences so a character keeps its lead byte before its trail bytes.
    std::string out;
    out.reserve(text.size());
    std::size_t end = text.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
        out.append(text, start, end - start);
        end = start;
    }
    return out;
}

std::string SettingsFilePath() {
    // No fixed buffer: a deep start-up directory still finds its settings file.
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "DEVurorure.ini";
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string dir(buffer.data());
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir + "DEVurorure.ini";
}
