// The settings file: section "data" of an INI profile, and the encodings of its values.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile.h"

namespace settings {

class SettingsStore {
public:
    explicit SettingsStore(std::string path) : m_settingsPath(std::move(path)) {}

    // The file is read when it is first needed and again only when it has changed, not once
    // per key. A file that cannot be used (not a regular file, too large, another user's link)
    // is neither read nor ever written: Problem() says why.
    platform::ProfileProblem Problem() const;

    int ReadInt(const std::string& key, int defaultValue) const;
    void WriteInt(const std::string& key, int value);
    // Fills items[0..count) from the list stored under key; false (items untouched) when the
    // key is missing or holds "enpty". An item the list format cannot carry (one holding ';' or
    // a line break, starting with the byte 0x01, or a first item starting with a blank that the
    // profile would trim) is stored as 0x01 and its bytes in hexadecimal, so every host
    // survives a restart.
    bool ReadList(std::string* items, int count, const std::string& key, bool reversed) const;
    void WriteList(const std::string* items, int count, const std::string& key, bool reversed);
    // Direct profile access (used for "Htime").
    std::string ReadString(const std::string& key, const std::string& defaultValue,
                           std::size_t bufferSize) const;
    void WriteString(const std::string& key, const std::string& value);

    // Between these, writes are kept and then made with one replacement of the file: saving
    // every setting costs one flush to the disk instead of one per key. Reads meanwhile see the
    // file as it was.
    void BeginBatch();
    void EndBatch();

    const std::string& Path() const { return m_settingsPath; }
    // The error code of the first write that failed since the last call, 0 when none did.
    int TakeWriteError();

private:
    void Write(const std::string& key, const std::string& value);
    // The file as it is now, read again only when it changed.
    const platform::ProfileSnapshot& Snapshot() const;
    void Store(const std::vector<std::pair<std::string, std::string>>& entries);

    void NoteWriteFailure();

    std::string m_settingsPath;
    mutable platform::ProfileSnapshot m_snapshot;
    mutable bool m_loaded = false;
    int m_writeError = 0;
    bool m_batching = false;
    std::vector<std::pair<std::string, std::string>> m_batch;
};

// Decimal text of a value; "Max" from 10,000,000,000.
std::string FormatDecimal(std::int64_t value);

// Reverses the characters (UTF-8 code points) of a text.
std::string ReverseCharacters(const std::string& text);

// The settings file "DEVurorure.ini" in the directory that is current now.
std::string SettingsFilePath();

} // namespace settings
