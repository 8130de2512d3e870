// A local file held for one transfer, locked so that no other program that locks changes it
// while the bytes move. Failing calls leave the platform's error code in LastError().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class TransferFile {
public:
    TransferFile() = default;
    ~TransferFile();
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    // Offset 0: created, or truncated if it exists. Any other offset: the file must exist; it
    // is kept and positioned there (beyond its end is allowed and leaves a hole). A symbolic
    // link at the path is refused with ELOOP. Both opens take regular files only: anything
    // else (a FIFO, a device) fails at once with kErrorNotRegularFile.
    bool OpenForWriting(const std::string& path, std::int64_t offset);
    bool OpenForReading(const std::string& path);
    // Cuts the open file to `length` bytes.
    bool CutTo(std::int64_t length);
    // Bytes read (0 at the end), or -1.
    long Read(void* buffer, std::size_t length);
    // Writes every byte, or fails.
    bool Write(const void* data, std::size_t length);
    // Length of the open file, or -1.
    std::int64_t Length();
    void Close();

    bool IsOpen() const { return m_handle >= 0; }
    int LastError() const { return m_lastError; }

private:
    bool Fail();
    bool OpenRegular(const std::string& path, int flags);
    bool Lock(bool exclusive);

    int m_handle = -1;
    int m_lastError = 0;
};

} // namespace platform
