#include "platform/transfer_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/system_error.h"
#include "platform/win32/win_file.h"
#include "platform/win32/win_text.h"

namespace platform {

namespace {

// OpenRegular's flags.
constexpr int kWrite = 1;
constexpr int kCreate = 2;

// The handle lives in the int the class keeps: Windows keeps handle values within 32 bits so
// that they pass between 32- and 64-bit processes, and they are never negative.
HANDLE AsHandle(int handle) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}

int FromHandle(HANDLE handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

// One read or write asks for at most this much: the calls count in 32 bits.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

} // namespace

TransferFile::~TransferFile() {
    Close();
}

bool TransferFile::Fail() {
    m_lastError = win::ErrnoFromWin32(::GetLastError());
    Close();
    return false;
}

bool TransferFile::OpenRegular(const std::string& path, int flags) {
    const bool write = (flags & kWrite) != 0;
    // Others may read while the bytes move, but no one else writes.
    const DWORD access = write ? GENERIC_WRITE | FILE_READ_ATTRIBUTES : GENERIC_READ;
    const DWORD disposition = (flags & kCreate) != 0 ? OPEN_ALWAYS : OPEN_EXISTING;
    win::EntryStatus status;
    // A link at the path is refused when writing (ELOOP); reading follows it, as on POSIX.
    win::Handle handle(write
                           ? win::OpenNotLink(path, access, FILE_SHARE_READ, disposition, 0, status)
                           : win::OpenPath(path, access, FILE_SHARE_READ, OPEN_EXISTING,
                                           FILE_FLAG_SEQUENTIAL_SCAN));
    if (!handle.Valid()) {
        const DWORD error = ::GetLastError();
        if (error != win::kErrorStoppedOnSymlink && win::IsDevicePath(path)) {
            m_lastError = kErrorNotRegularFile; // a reserved name ("CON") that refused the handle
            return false;
        }
        ::SetLastError(error);
        return Fail();
    }
    if (!write && !win::QueryStatus(handle.Get(), status)) {
        return Fail();
    }
    // A device under a reserved name ("CON", "NUL") or a folder: no file to hold the bytes.
    if (!status.disk || status.Folder()) {
        m_lastError = kErrorNotRegularFile;
        return false;
    }
    m_handle = FromHandle(handle.Release());
    return true;
}

bool TransferFile::CutTo(std::int64_t length) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = length;
    if (!::SetFileInformationByHandle(AsHandle(m_handle), FileEndOfFileInfo, &end, sizeof end)) {
        m_lastError = win::ErrnoFromWin32(::GetLastError());
        return false;
    }
    return true;
}

bool TransferFile::Lock(bool exclusive) {
    // Unlike POSIX locks these bind every program, and an exclusive one keeps others from
    // reading the bytes as well. Only another holder is a reason to refuse: a file system
    // without locks is not.
    OVERLAPPED from{};
    const DWORD mode = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!::LockFileEx(AsHandle(m_handle), mode, 0, MAXDWORD, MAXDWORD, &from) &&
        ::GetLastError() == ERROR_LOCK_VIOLATION) {
        return Fail();
    }
    return true;
}

bool TransferFile::OpenForWriting(const std::string& path, std::int64_t offset) {
    Close();
    if (!OpenRegular(path, kWrite | (offset == 0 ? kCreate : 0))) {
        return false;
    }
    if (!Lock(true)) {
        return false;
    }
    // Cut only once the lock is held, so a file another program holds is left intact.
    if (offset == 0 && Length() != 0 && !CutTo(0)) {
        Close();
        return false;
    }
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (!::SetFilePointerEx(AsHandle(m_handle), position, nullptr, FILE_BEGIN)) {
        return Fail();
    }
    return true;
}

bool TransferFile::OpenForReading(const std::string& path) {
    Close();
    if (!OpenRegular(path, 0)) {
        return false;
    }
    // Shared: readers may share, but no writer changes the file under us.
    return Lock(false);
}

long TransferFile::Read(void* buffer, std::size_t length) {
    DWORD count = 0;
    const DWORD asked = static_cast<DWORD>(std::min(length, kMostPerCall));
    if (!::ReadFile(AsHandle(m_handle), buffer, asked, &count, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            return 0;
        }
        m_lastError = win::ErrnoFromWin32(error);
        return -1;
    }
    return static_cast<long>(count);
}

bool TransferFile::Write(const void* data, std::size_t length) {
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        DWORD count = 0;
        const DWORD asked = static_cast<DWORD>(std::min(length, kMostPerCall));
        if (!::WriteFile(AsHandle(m_handle), next, asked, &count, nullptr)) {
            m_lastError = win::ErrnoFromWin32(::GetLastError());
            return false;
        }
        if (count == 0) {
            m_lastError = EIO;
            return false;
        }
        next += count;
        length -= count;
    }
    return true;
}

std::int64_t TransferFile::Length() {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(AsHandle(m_handle), &size)) {
        m_lastError = win::ErrnoFromWin32(::GetLastError());
        return -1;
    }
    return static_cast<std::int64_t>(size.QuadPart);
}

void TransferFile::Close() {
    if (m_handle >= 0) {
        OVERLAPPED from{};
        // Released at once, not whenever the system gets round to it after the close.
        ::UnlockFileEx(AsHandle(m_handle), 0, MAXDWORD, MAXDWORD, &from);
        ::CloseHandle(AsHandle(m_handle));
        m_handle = -1;
    }
}

} // namespace platform
