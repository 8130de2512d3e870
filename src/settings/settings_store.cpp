#include "settings/settings_store.h"

#ifdef _WIN32
#include <filesystem>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <vector>

#include "platform/profile.h"

namespace settings {

namespace {

constexpr const char* kSection = "data";
constexpr const char* kMissing = "enpty"; // the store's marker for a missing list
constexpr std::size_t kListBuffer = 2048;

// Items the list format cannot carry (a ';' would split the item, a line break the file) go
// as this byte and the item's bytes in hexadecimal; every other item is written as it is.
constexpr char kEncodedMark = '\x01';

bool NeedsEncoding(const std::string& item, bool first) {
    if (item.find_first_of(";\r\n") != std::string::npos) {
        return true;
    }
    // The profile trims a value's leading blanks, which are the first item's.
    return !item.empty() &&
           (item[0] == kEncodedMark || (first && (item[0] == ' ' || item[0] == '\t')));
}

std::string EncodeItem(const std::string& item) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out(1, kEncodedMark);
    for (char c : item) {
        const auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0f];
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The item an encoded text stands for; any other text stands for itself.
std::string DecodeItem(const std::string& text) {
    if (text.empty() || text[0] != kEncodedMark || (text.size() - 1) % 2 != 0) {
        return text;
    }
    std::string out;
    for (std::size_t i = 1; i < text.size(); i += 2) {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return text;
        }
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

} // namespace

const platform::ProfileSnapshot& SettingsStore::Snapshot() const {
    if (!m_loaded || (m_snapshot.problem == platform::ProfileProblem::None &&
                      !platform::ProfileUnchanged(m_settingsPath, m_snapshot))) {
        m_snapshot = platform::ProfileLoad(m_settingsPath);
        m_loaded = true;
    }
    return m_snapshot;
}

platform::ProfileProblem SettingsStore::Problem() const {
    return Snapshot().problem;
}

void SettingsStore::Store(const std::vector<std::pair<std::string, std::string>>& entries) {
    Snapshot();
    if (m_snapshot.problem != platform::ProfileProblem::None) {
        return; // left as it is; the user was told at the start
    }
    if (!platform::ProfileStore(m_snapshot,
                                platform::ProfileWithEntries(m_snapshot.text, kSection, entries))) {
        NoteWriteFailure();
        m_loaded = false; // whatever the file is now, it is read again
    }
}

int SettingsStore::ReadInt(const std::string& key, int defaultValue) const {
    return platform::ProfileIntValue(Snapshot().text, kSection, key, defaultValue);
}

void SettingsStore::WriteInt(const std::string& key, int value) {
    Write(key, FormatDecimal(value));
}

void SettingsStore::Write(const std::string& key, const std::string& value) {
    if (m_batching) {
        m_batch.emplace_back(key, value);
    } else {
        Store({{key, value}});
    }
}

void SettingsStore::BeginBatch() {
    m_batching = true;
    m_batch.clear();
}

void SettingsStore::EndBatch() {
    m_batching = false;
    if (!m_batch.empty()) {
        Store(m_batch);
    }
    m_batch.clear();
}

void SettingsStore::NoteWriteFailure() {
    if (m_writeError == 0) {
        m_writeError = errno != 0 ? errno : EIO;
    }
}

int SettingsStore::TakeWriteError() {
    const int error = m_writeError;
    m_writeError = 0;
    return error;
}

bool SettingsStore::ReadList(std::string* items, int count, const std::string& key,
                             bool reversed) const {
    std::string text =
        platform::ProfileValue(Snapshot().text, kSection, key, kMissing, kListBuffer);
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
        items[i] = DecodeItem(text.substr(p, semi - p));
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
        const std::string item = reversed ? ReverseCharacters(items[i]) : items[i];
        text += NeedsEncoding(item, i == 0) ? EncodeItem(item) : item;
        text += ';';
    }
    Write(key, text);
}

std::string SettingsStore::ReadString(const std::string& key, const std::string& defaultValue,
                                      std::size_t bufferSize) const {
    return platform::ProfileValue(Snapshot().text, kSection, key, defaultValue, bufferSize);
}

void SettingsStore::WriteString(const std::string& key, const std::string& value) {
    Write(key, value);
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
#ifdef _WIN32
    // The current folder in UTF-8 with '/', as the program keeps local paths.
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) {
        return "DEVurorure.ini";
    }
    const std::u8string text = current.generic_u8string();
    std::string dir(text.begin(), text.end());
#else
    // No fixed buffer: a deep start-up directory still finds its settings file.
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "DEVurorure.ini";
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string dir(buffer.data());
#endif
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir + "DEVurorure.ini";
}

} // namespace settings
