// What the Windows files of the platform layer share: handles that close themselves, the status
// of an open entry, and which reparse points count as links.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace platform::win {

// Records `code` as the calling thread's last file error (LastFileError) and fails.
bool Fail(int code);
// The same for a Win32 error, by default the calling thread's last one.
bool FailWin32(DWORD error = ::GetLastError());

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE);
    HANDLE Release();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// What an open handle names. Only `disk` is meaningful when it is false (a console, a pipe or
// another device opened through a reserved name such as "NUL").
struct EntryStatus {
    bool disk = true;
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // last write, nanoseconds since the epoch

    bool Folder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A symbolic link or a junction: a reparse point that stands for another name. Other reparse
    // points (cloud placeholders, deduplicated files) are the files themselves.
    bool Link() const;
};

bool IsLinkTag(DWORD tag);

// CreateFileW for a program path; FILE_FLAG_BACKUP_SEMANTICS always, so folders open too.
HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
// The entry at `path` itself, opened with `access`: a symbolic link or a junction there is
// refused (INVALID_HANDLE_VALUE with ERROR_STOPPED_ON_SYMLINK, which reads as ELOOP); any other
// reparse point (a cloud placeholder) is opened again through its filter, and must still be the
// same file. `status` describes what was opened.
HANDLE OpenNotLink(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags, EntryStatus& status);
constexpr DWORD kErrorStoppedOnSymlink = 681;

// True when the system takes `path` for a device rather than a file: a reserved name such as
// "CON" or "NUL" in any folder.
bool IsDevicePath(const std::string& path);

// Reads the status of an open handle; false with GetLastError() set when it cannot.
bool QueryStatus(HANDLE handle, EntryStatus& status);

// The status as the program reads it: a device is a System entry, read-only only for files.
FileStatus ToFileStatus(const EntryStatus& entry);

std::int64_t NsFromFileTime(const FILETIME& time);
std::int64_t SecondsFromFileTime(const FILETIME& time);
FILETIME FileTimeFromSeconds(std::int64_t seconds);

// Marks the open entry (opened with DELETE access) for removal, clearing a read-only attribute
// that stands in the way. A Win32 error, or 0.
DWORD RemoveOpened(HANDLE handle, const EntryStatus& status);

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace platform::win
