// The settings file: section "data" of an INI profile, and the encodings of its values.
#pragma once

#include <cstdint>
#include <string>

class SettingsStore {
public:
    explicit SettingsStore(std::string path) : m_settingsPath(std::move(path)) {}

    int ReadInt(const std::string& key, int defaultValue) const;
    void WriteInt(const std::string& key, int value);
    // Fills items[0..count) from the list stored under key; false (items untouched) when the
    // key is missing or holds "enpty".
    bool ReadList(std::string* items, int count, const std::string& key, bool reversed) const;
    void WriteList(const std::string* items, int count, const std::string& key, bool reversed);
    // Direct profile access (used for "Htime").
    std::string ReadString(const std::string& key, const std::string& defaultValue,
                           std::size_t bufferSize) const;
    void WriteString(const std::string& key, const std::string& value);

    const std::string& Path() const { return m_settingsPath; }

private:
    std::string m_settingsPath;
};

// Decimal text of a value; "Max" from 10,000,000,000.
std::string FormatDecimal(std::int64_t value);

// Reverses the characters (UTF-8 code points) of a text.
std::string ReverseCharacters(const std::string& text);

// The settings file "DEVurorure.ini" in the directory that is current now.
std::string SettingsFilePath();
