#include "platform/file_operations.h"

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/win_file.h"
#include "platform/win32/win_text.h"

// After windows.h, which it needs.
#include <winternl.h>

namespace platform {

namespace {

using win::Fail;
using win::FailWin32;

// The entry itself, never what a link at it leads to, opened to be removed. Without the right
// to change its attributes when that is refused: only a read-only file needs it.
HANDLE OpenForRemoval(const std::string& path) {
    HANDLE handle = win::OpenPath(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  win::kShareAll, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
        handle = win::OpenPath(path, DELETE | FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT);
    }
    return handle;
}

// Removes the open entry when it is not a folder (a link to one is no folder).
bool RemoveNonFolder(HANDLE handle) {
    win::EntryStatus status;
    if (!win::QueryStatus(handle, status)) {
        return FailWin32();
    }
    if (!status.disk) {
        return Fail(EACCES);
    }
    if (status.Folder() && !status.Link()) {
        return Fail(EISDIR);
    }
    const DWORD error = win::RemoveOpened(handle, status);
    return error == 0 || FailWin32(error);
}

bool SameEntry(const std::string& a, const std::string& b) {
    win::Handle first(win::OpenPath(a, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT));
    win::Handle second(win::OpenPath(b, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT));
    win::EntryStatus one;
    win::EntryStatus two;
    return first.Valid() && second.Valid() && win::QueryStatus(first.Get(), one) &&
           win::QueryStatus(second.Get(), two) && one.disk && two.disk &&
           one.volume == two.volume && one.index == two.index;
}

bool Move(const std::string& from, const std::string& to) {
    return ::MoveFileExW(win::WidePath(from).c_str(), win::WidePath(to).c_str(), 0) != 0;
}

bool CaseOnlyChange(const std::string& from, const std::string& to) {
    const std::wstring a = win::Wide(from);
    const std::wstring b = win::Wide(to);
    return a != b && ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// True when the folder holds the last name of `path` in exactly its case.
bool NameAsWritten(const std::string& path) {
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW(win::WidePath(path).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(find);
    const std::size_t slash = path.find_last_of("/\\");
    return win::Utf8(found.cFileName) ==
           (slash == std::string::npos ? path : path.substr(slash + 1));
}

// A name beside `path` that nothing has.
std::string SpareName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folder + ".rename-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount64());
}

struct OpenFolder {
    win::Handle handle;
    std::uint64_t volume = 0;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(64 * 1024);
    std::size_t next = 0; // offset of the next record in buffer
    bool filled = false;  // buffer holds records from the last read
    bool started = false;
};

OpenFolder* AsFolder(void* folder) {
    return static_cast<OpenFolder*>(folder);
}

} // namespace

bool RemoveFile(const std::string& path) {
    win::Handle handle(OpenForRemoval(path));
    return handle.Valid() ? RemoveNonFolder(handle.Get()) : FailWin32();
}

bool RemoveFolder(const std::string& path) {
    win::Handle handle(OpenForRemoval(path));
    if (!handle.Valid()) {
        return FailWin32();
    }
    win::EntryStatus status;
    if (!win::QueryStatus(handle.Get(), status)) {
        return FailWin32();
    }
    // RemoveDirectoryW would take a link to a folder away; the contract says it is no folder.
    if (!status.disk || !status.Folder() || status.Link()) {
        return Fail(ENOTDIR);
    }
    const DWORD error = win::RemoveOpened(handle.Get(), status);
    return error == 0 || FailWin32(error);
}

bool MakeFolder(const std::string& path) {
    if (path.empty()) {
        return Fail(ENOENT);
    }
    return ::CreateDirectoryW(win::WidePath(path).c_str(), nullptr) != 0 || FailWin32();
}

bool RenameEntry(const std::string& from, const std::string& to) {
    if (from == to) {
        return true;
    }
    if (Move(from, to)) {
        if (!CaseOnlyChange(from, to) || NameAsWritten(to)) {
            return true;
        }
        // Taken for a rename to itself, and the name kept its old case.
    } else {
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) || !SameEntry(from, to)) {
            return FailWin32(error);
        }
    }
    // A new case for the same name on a file system that refuses it in one step: through a
    // spare name, and back when the second step fails.
    const std::string spare = SpareName(from);
    if (!Move(from, spare)) {
        return FailWin32();
    }
    if (Move(spare, to)) {
        return true;
    }
    const DWORD second = ::GetLastError();
    Move(spare, from);
    return FailWin32(second);
}

bool SetModificationTime(const std::string& path, std::int64_t time) {
    win::Handle handle(win::OpenPath(path, FILE_WRITE_ATTRIBUTES, win::kShareAll, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle.Valid()) {
        return FailWin32();
    }
    const FILETIME written = win::FileTimeFromSeconds(time);
    return ::SetFileTime(handle.Get(), nullptr, nullptr, &written) != 0 || FailWin32();
}

bool IsSymbolicLink(const std::string& path) {
    win::Handle handle(win::OpenPath(path, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT));
    win::EntryStatus status;
    return handle.Valid() && win::QueryStatus(handle.Get(), status) && status.disk && status.Link();
}

FolderForRemoval::~FolderForRemoval() {
    Close();
}

void FolderForRemoval::Close() {
    delete AsFolder(m_dir);
    m_dir = nullptr;
}

bool FolderForRemoval::Open(const std::string& path, const FileId* expected) {
    Close();
    // Held without FILE_SHARE_DELETE: the folder cannot be renamed or replaced while it is open,
    // and its entries are opened relative to this handle.
    win::Handle handle(win::OpenPath(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle.Valid()) {
        return FailWin32();
    }
    win::EntryStatus status;
    if (!win::QueryStatus(handle.Get(), status)) {
        return FailWin32();
    }
    if (status.disk && status.Link()) {
        return Fail(ELOOP);
    }
    if (!status.disk || !status.Folder()) {
        return Fail(ENOTDIR);
    }
    if (expected != nullptr && !(*expected == FileId{status.volume, status.index})) {
        return Fail(ENOENT); // the folder that was listed is no longer there
    }
    auto* folder = new OpenFolder;
    folder->handle.Reset(handle.Release());
    folder->volume = status.volume;
    m_dir = folder;
    return true;
}

bool FolderForRemoval::Next(Entry& entry) {
    OpenFolder* folder = AsFolder(m_dir);
    if (folder == nullptr) {
        return false;
    }
    for (;;) {
        if (!folder->filled) {
            // The listing comes from the open handle itself, never from the path again.
            const FILE_INFO_BY_HANDLE_CLASS kind =
                folder->started ? FileIdBothDirectoryInfo : FileIdBothDirectoryRestartInfo;
            if (!::GetFileInformationByHandleEx(folder->handle.Get(), kind, folder->buffer.data(),
                                                static_cast<DWORD>(folder->buffer.size()))) {
                return false; // ERROR_NO_MORE_FILES at the end
            }
            folder->started = true;
            folder->filled = true;
            folder->next = 0;
        }
        const auto* record =
            reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(folder->buffer.data() + folder->next);
        if (record->NextEntryOffset == 0) {
            folder->filled = false;
        } else {
            folder->next += record->NextEntryOffset;
        }
        const std::wstring_view name(record->FileName, record->FileNameLength / sizeof(wchar_t));
        if (name == L"." || name == L"..") {
            continue;
        }
        entry.name = win::Utf8(std::wstring(name));
        // For a reparse point the listing gives its tag in place of the extended attributes'
        // size. A link to a folder is no folder: it is removed, never entered.
        const bool reparse = (record->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.folder = (record->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                       (!reparse || (record->EaSize != 0 && !win::IsLinkTag(record->EaSize)));
        entry.id = FileId{folder->volume, static_cast<std::uint64_t>(record->FileId.QuadPart)};
        return true;
    }
}

bool FolderForRemoval::RemoveEntry(const std::string& name) {
    OpenFolder* folder = AsFolder(m_dir);
    if (folder == nullptr) {
        return Fail(EBADF);
    }
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string::npos) {
        return Fail(EINVAL);
    }
    // Opened relative to the held folder, as unlinkat does: a folder above it renamed meanwhile
    // changes nothing.
    std::wstring wide = win::Wide(name);
    UNICODE_STRING objectName{};
    objectName.Buffer = wide.data();
    objectName.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, folder->handle.Get(),
                               nullptr);
    const ULONG options =
        FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT;
    HANDLE opened = INVALID_HANDLE_VALUE;
    IO_STATUS_BLOCK io{};
    NTSTATUS result =
        ::NtOpenFile(&opened, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                     &attributes, &io, win::kShareAll, options);
    if (result == static_cast<NTSTATUS>(0xC0000022L)) { // STATUS_ACCESS_DENIED
        result = ::NtOpenFile(&opened, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes,
                              &io, win::kShareAll, options);
    }
    if (result < 0) {
        return FailWin32(::RtlNtStatusToDosError(result));
    }
    win::Handle handle(opened);
    return RemoveNonFolder(handle.Get());
}

} // namespace platform
