#include "platform/file_system.h"

#include <cerrno>
#include <string_view>

#include "platform/local_time.h"
#include "platform/win32/win_file.h"
#include "platform/win32/win_text.h"

namespace platform {

namespace {

thread_local int t_lastFileError = 0;

using win::Fail;
using win::FailWin32;

bool IsAbsolute(const std::wstring& path) {
    const bool drive =
        path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    return drive || (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\');
}

std::string Child(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Calls each(found) for every entry other than "." and ".."; false when the folder cannot be
// read to its end.
template <typename Each> bool ForEachEntry(const std::string& path, Each each) {
    if (path.empty()) {
        return Fail(ENOENT);
    }
    const std::wstring folder = win::WidePath(path);
    std::wstring pattern = folder;
    if (pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A drive's root has no "." entry: empty, it has nothing at all.
        if (error == ERROR_FILE_NOT_FOUND) {
            const DWORD attributes = ::GetFileAttributesW(folder.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                return true;
            }
        }
        return Fail(win::ErrnoFromWin32(error));
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") {
            each(found);
        }
    } while (::FindNextFileW(find, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    return error == ERROR_NO_MORE_FILES || Fail(win::ErrnoFromWin32(error));
}

} // namespace

int LastFileError() {
    return t_lastFileError;
}

void SetLastFileError(int code) {
    t_lastFileError = code;
}

std::string HomeFolder() {
    for (const wchar_t* name : {L"USERPROFILE", L"SystemDrive"}) {
        wchar_t value[MAX_PATH + 1];
        const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) {
            continue;
        }
        std::wstring folder(value, length);
        if (folder.size() == 2 && folder[1] == L':') {
            folder += L'\\';
        }
        if (IsAbsolute(folder)) {
            return win::PathFromWide(folder);
        }
    }
    return "C:";
}

bool SetCurrentFolder(const std::string& path) {
    const std::wstring folder = win::WidePath(path);
    if (!IsAbsolute(folder)) {
        return Fail(ENOENT);
    }
    return ::SetCurrentDirectoryW(folder.c_str()) || FailWin32();
}

bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    const bool read = ForEachEntry(path, [&](const WIN32_FIND_DATAW& found) {
        FolderEntry entry;
        entry.name = win::Utf8(found.cFileName);
        entry.link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                     win::IsLinkTag(found.dwReserved0);
        if (!entry.link) {
            entry.kind = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                                             : EntryKind::File;
            entry.modifiedRead = true;
            entry.modified = win::SecondsFromFileTime(found.ftLastWriteTime);
            entry.size = static_cast<std::int64_t>(
                (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
        } else {
            // A link counts as what it leads to; a dangling one as a file.
            win::Handle target(win::OpenPath(Child(path, entry.name), FILE_READ_ATTRIBUTES,
                                             win::kShareAll, OPEN_EXISTING, 0));
            win::EntryStatus status;
            if (target.Valid() && win::QueryStatus(target.Get(), status)) {
                const FileStatus fileStatus = win::ToFileStatus(status);
                entry.kind = fileStatus.kind;
                entry.modifiedRead = status.disk;
                entry.modified = fileStatus.modified;
                entry.size = status.disk ? fileStatus.size : -1;
            }
        }
        entries.push_back(std::move(entry));
    });
    if (!read) {
        entries.clear();
    }
    return read;
}

bool ReadFolderNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    const bool read = ForEachEntry(path, [&names](const WIN32_FIND_DATAW& found) {
        names.push_back(win::Utf8(found.cFileName));
    });
    if (!read) {
        names.clear();
    }
    return read;
}

bool GetFileStatus(const std::string& path, FileStatus& status) {
    if (path.empty()) {
        return Fail(ENOENT);
    }
    win::Handle handle(win::OpenPath(path, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING, 0));
    win::EntryStatus entry;
    if (handle.Valid()) {
        if (!win::QueryStatus(handle.Get(), entry)) {
            return FailWin32();
        }
        status = win::ToFileStatus(entry);
        return true;
    }
    const DWORD error = ::GetLastError();
    if (win::IsDevicePath(path)) {
        status = FileStatus{};
        status.kind = EntryKind::System; // a reserved name: a device that refused the handle
        return true;
    }
    // A few files refuse even a handle for their attributes (the paging file); the folder's
    // record of them still answers, and they are never links.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (error == ERROR_SHARING_VIOLATION &&
        ::GetFileAttributesExW(win::WidePath(path).c_str(), GetFileExInfoStandard, &data) &&
        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        entry.attributes = data.dwFileAttributes;
        entry.size = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        entry.modifiedNs = win::NsFromFileTime(data.ftLastWriteTime);
        status = win::ToFileStatus(entry);
        return true;
    }
    return Fail(win::ErrnoFromWin32(error));
}

std::vector<DriveRoot> ListDriveRoots(bool onlyFolders) {
    std::vector<DriveRoot> roots;
    const DWORD drives = ::GetLogicalDrives();
    // An empty drive must not bring up the system's "insert a disk" box.
    DWORD oldMode = 0;
    const bool quiet = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode) != 0;
    for (int i = 0; i < 26; ++i) {
        if ((drives & (DWORD{1} << i)) == 0) {
            continue;
        }
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        DriveRoot drive;
        drive.path = {static_cast<char>('A' + i), ':'};
        switch (::GetDriveTypeW(root)) {
        case DRIVE_FIXED:
            drive.type = DriveType::Fixed;
            break;
        case DRIVE_REMOTE:
            drive.type = DriveType::Network;
            break;
        case DRIVE_CDROM:
            drive.type = DriveType::Optical;
            break;
        case DRIVE_REMOVABLE:
            drive.type = DriveType::Removable;
            break;
        case DRIVE_RAMDISK:
            drive.type = DriveType::RamDisk;
            break;
        default:
            continue; // no root folder, or a drive of no known kind
        }
        if (onlyFolders) {
            // A drive without its medium (an empty optical drive) has no root to enter.
            const DWORD attributes = ::GetFileAttributesW(root);
            if (attributes == INVALID_FILE_ATTRIBUTES ||
                (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                continue;
            }
        }
        roots.push_back(std::move(drive));
    }
    if (quiet) {
        ::SetThreadErrorMode(oldMode, nullptr);
    }
    return roots;
}

} // namespace platform
