#include "platform/win32/win_file.h"

#include <string_view>

#include "platform/file_system.h"
#include "platform/win32/win_text.h"

namespace platform::win {

bool Fail(int code) {
    SetLastFileError(code);
    return false;
}

bool FailWin32(DWORD error) {
    return Fail(ErrnoFromWin32(error));
}

namespace {

// 100 ns intervals from 1601-01-01 (FILETIME's epoch) to 1970-01-01.
constexpr std::int64_t kEpochIntervals = 116444736000000000LL;
constexpr std::int64_t kIntervalsPerSecond = 10000000;

std::int64_t Intervals(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime) -
           kEpochIntervals;
}

// The attributes FileBasicInfo may set; the rest (folder, reparse point...) the system keeps.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool SetAttributes(HANDLE handle, DWORD attributes) {
    FILE_BASIC_INFO basic{}; // zero times are left as they are
    basic.FileAttributes = attributes & kSettableAttributes;
    if (basic.FileAttributes == 0) {
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) != 0;
}

bool MarkForRemoval(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

} // namespace

void Handle::Reset(HANDLE handle) {
    if (Valid()) {
        ::CloseHandle(m_handle);
    }
    m_handle = handle;
}

HANDLE Handle::Release() {
    HANDLE handle = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    return handle;
}

bool IsLinkTag(DWORD tag) {
    return IsReparseTagNameSurrogate(tag);
}

bool EntryStatus::Link() const {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkTag(reparseTag);
}

HANDLE OpenPath(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags) {
    if (path.empty()) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition,
                         flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

HANDLE OpenNotLink(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags, EntryStatus& status) {
    Handle handle(OpenPath(path, access, share, disposition, flags | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle.Valid() || !QueryStatus(handle.Get(), status)) {
        return INVALID_HANDLE_VALUE;
    }
    if (status.disk && status.Link()) {
        ::SetLastError(kErrorStoppedOnSymlink);
        return INVALID_HANDLE_VALUE;
    }
    if (!status.disk || (status.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return handle.Release();
    }
    // Its filter must see the reads and writes: opened once more without the flag.
    handle.Reset();
    handle.Reset(OpenPath(path, access, share, OPEN_EXISTING, flags));
    EntryStatus again;
    if (!handle.Valid() || !QueryStatus(handle.Get(), again)) {
        return INVALID_HANDLE_VALUE;
    }
    if (!again.disk || again.volume != status.volume || again.index != status.index) {
        ::SetLastError(kErrorStoppedOnSymlink);
        return INVALID_HANDLE_VALUE;
    }
    status = again;
    return handle.Release();
}

bool IsDevicePath(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.rfind(L"\\\\", 0) == 0) {
        return false; // already a full path of its own kind
    }
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH &&
           std::wstring_view(full, length).rfind(L"\\\\.\\", 0) == 0;
}

bool QueryStatus(HANDLE handle, EntryStatus& status) {
    status = EntryStatus{};
    const DWORD type = ::GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
            return false;
        }
        status.disk = false;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return false;
    }
    status.attributes = info.dwFileAttributes;
    status.volume = info.dwVolumeSerialNumber;
    status.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    status.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                            info.nFileSizeLow);
    status.modifiedNs = NsFromFileTime(info.ftLastWriteTime);
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) {
            return false;
        }
        status.reparseTag = tag.ReparseTag;
    }
    return true;
}

FileStatus ToFileStatus(const EntryStatus& entry) {
    FileStatus status;
    if (!entry.disk) {
        status.kind = EntryKind::System;
        return status;
    }
    status.kind = entry.Folder() ? EntryKind::Folder : EntryKind::File;
    status.size = entry.size;
    constexpr std::int64_t kNsPerSecond = 1000000000;
    status.modified =
        entry.modifiedNs / kNsPerSecond - (entry.modifiedNs % kNsPerSecond < 0 ? 1 : 0);
    // The attribute means nothing for a folder (Explorer marks customised folders with it).
    status.readOnly = !entry.Folder() && (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return status;
}

std::int64_t NsFromFileTime(const FILETIME& time) {
    return Intervals(time) * 100;
}

std::int64_t SecondsFromFileTime(const FILETIME& time) {
    const std::int64_t intervals = Intervals(time);
    // Whole seconds rounded down, as stat gives them for times before 1970 too.
    return intervals >= 0 ? intervals / kIntervalsPerSecond
                          : -((-intervals + kIntervalsPerSecond - 1) / kIntervalsPerSecond);
}

FILETIME FileTimeFromSeconds(std::int64_t seconds) {
    const std::uint64_t intervals =
        static_cast<std::uint64_t>(seconds * kIntervalsPerSecond + kEpochIntervals);
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(intervals & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(intervals >> 32);
    return time;
}

DWORD RemoveOpened(HANDLE handle, const EntryStatus& status) {
    if (MarkForRemoval(handle)) {
        return 0;
    }
    DWORD error = ::GetLastError();
    // Read-only guards a file on Windows; here, as on POSIX, only the folder's rights do.
    if (error != ERROR_ACCESS_DENIED || (status.attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        !SetAttributes(handle, status.attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return error;
    }
    if (MarkForRemoval(handle)) {
        return 0;
    }
    error = ::GetLastError();
    SetAttributes(handle, status.attributes);
    return error;
}

} // namespace platform::win
