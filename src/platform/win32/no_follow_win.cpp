#include "platform/no_follow.h"

#include <cerrno>

#include "platform/win32/win_file.h"
#include "platform/win32/win_text.h"

namespace platform {

namespace {

using win::Fail;
using win::FailWin32;

// The status of the entry itself; ELOOP for a symbolic link or a junction.
bool OwnStatus(const std::string& path, win::EntryStatus& status) {
    win::Handle handle(win::OpenPath(path, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle.Valid()) {
        const DWORD error = ::GetLastError();
        if (!win::IsDevicePath(path)) {
            return FailWin32(error);
        }
        status = win::EntryStatus{};
        status.disk = false; // a reserved name: a device that refused the handle
        return true;
    }
    if (!win::QueryStatus(handle.Get(), status)) {
        return FailWin32(::GetLastError());
    }
    return !(status.disk && status.Link()) || Fail(ELOOP);
}

bool Move(const std::string& from, const std::string& to) {
    return ::MoveFileExW(win::WidePath(from).c_str(), win::WidePath(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING) != 0;
}

bool SetAttributes(const std::string& path, DWORD attributes) {
    return ::SetFileAttributesW(win::WidePath(path).c_str(),
                                attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes) != 0;
}

} // namespace

bool GetStatusNoFollow(const std::string& path, FileStatus& status) {
    win::EntryStatus entry;
    if (!OwnStatus(path, entry)) {
        return false;
    }
    status = win::ToFileStatus(entry);
    return true;
}

bool MakeFolderNoFollow(const std::string& path) {
    if (path.empty()) {
        return Fail(ENOENT);
    }
    // CreateDirectoryW never follows a link at the last name; whatever stands there afterwards
    // is looked at as it is, so a link to a folder is refused rather than entered.
    if (!::CreateDirectoryW(win::WidePath(path).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return FailWin32(::GetLastError());
    }
    win::EntryStatus status;
    if (!OwnStatus(path, status)) {
        return false;
    }
    return (status.disk && status.Folder()) || Fail(ENOTDIR);
}

bool ReplaceEntry(const std::string& from, const std::string& to) {
    // A rename replaces the name's entry itself: a link there goes, its target is untouched.
    if (Move(from, to)) {
        return true;
    }
    const DWORD error = ::GetLastError();
    // A read-only file refuses to be replaced on Windows; here, as on POSIX, it does not.
    const DWORD attributes = ::GetFileAttributesW(win::WidePath(to).c_str());
    if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        !SetAttributes(to, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return FailWin32(error);
    }
    if (Move(from, to)) {
        return true;
    }
    const DWORD again = ::GetLastError();
    SetAttributes(to, attributes);
    return FailWin32(again);
}

} // namespace platform
