#include "platform/win32/win_text.h"

#include <cerrno>
#include <climits>
#include <cwchar>

#include "platform/win32/win_file.h"

namespace platform::win {

namespace {

constexpr DWORD kErrorDiskQuotaExceeded = 1295; // newer than the MinGW headers

struct ErrorPair {
    DWORD win32;
    int code;
};

// Win32FromErrno takes the first entry of a code, so each code's first entry is the error whose
// sentence describes it best.
constexpr ErrorPair kErrors[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_NO_MORE_FILES, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_INVALID_NAME, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_CURRENT_DIRECTORY, EACCES},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_CANNOT_MAKE, EACCES},
    {ERROR_FAIL_I24, EACCES},
    {ERROR_DRIVE_LOCKED, EACCES},
    {ERROR_SEEK_ON_DEVICE, EACCES},
    {ERROR_NOT_LOCKED, EACCES},
    {ERROR_LOCK_FAILED, EACCES},
    {ERROR_CANT_ACCESS_FILE, EACCES},
    {ERROR_ACCESS_DENIED, EPERM},
    {ERROR_PRIVILEGE_NOT_HELD, EPERM},
    // Another program holds the file: the sentence says so, where "access denied" would not.
    {ERROR_SHARING_VIOLATION, EBUSY},
    {ERROR_LOCK_VIOLATION, EBUSY},
    {ERROR_BUSY, EBUSY},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {kErrorDiskQuotaExceeded, ENOSPC},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_BUFFER_OVERFLOW, ENAMETOOLONG},
    {ERROR_FILE_TOO_LARGE, EFBIG},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_INVALID_TARGET_HANDLE, EBADF},
    {ERROR_DIRECT_ACCESS_HANDLE, EBADF},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_ARENA_TRASHED, ENOMEM},
    {ERROR_INVALID_BLOCK, ENOMEM},
    {ERROR_NOT_ENOUGH_QUOTA, ENOMEM},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_INVALID_ACCESS, EINVAL},
    {ERROR_INVALID_DATA, EINVAL},
    {ERROR_NEGATIVE_SEEK, EINVAL},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
    {ERROR_IO_DEVICE, EIO},
    {ERROR_CRC, EIO},
    {ERROR_GEN_FAILURE, EIO},
    {ERROR_UNEXP_NET_ERR, EIO},
    {ERROR_NOT_READY, ENXIO},
    {ERROR_DEV_NOT_EXIST, ENODEV},
    {kErrorStoppedOnSymlink, ELOOP},
    {ERROR_CANT_RESOLVE_FILENAME, ELOOP},
    {ERROR_NOT_SUPPORTED, ENOTSUP},
    {ERROR_CALL_NOT_IMPLEMENTED, ENOSYS},
    {ERROR_INVALID_FUNCTION, ENOSYS},
    {ERROR_BAD_EXE_FORMAT, ENOEXEC},
    {ERROR_BAD_FORMAT, ENOEXEC},
    {ERROR_NO_UNICODE_TRANSLATION, EILSEQ},
    {ERROR_NO_PROC_SLOTS, EAGAIN},
    {ERROR_MAX_THRDS_REACHED, EAGAIN},
    {ERROR_NESTING_NOT_ALLOWED, EAGAIN},
    {ERROR_CANCELLED, ECANCELED},
    {ERROR_OPERATION_ABORTED, ECANCELED},
    {WSAETIMEDOUT, ETIMEDOUT},
    {ERROR_SEM_TIMEOUT, ETIMEDOUT},
    {ERROR_TIMEOUT, ETIMEDOUT},
    {WAIT_TIMEOUT, ETIMEDOUT},
    {WSAEINTR, EINTR},
    {WSAEBADF, EBADF},
    {WSAEACCES, EACCES},
    {WSAEFAULT, EFAULT},
    {WSAEINVAL, EINVAL},
    {WSAEMFILE, EMFILE},
    {WSAEWOULDBLOCK, EWOULDBLOCK},
    {WSAEINPROGRESS, EINPROGRESS},
    {WSAEALREADY, EALREADY},
    {WSAENOTSOCK, ENOTSOCK},
    {WSAEDESTADDRREQ, EDESTADDRREQ},
    {WSAEMSGSIZE, EMSGSIZE},
    {WSAEPROTOTYPE, EPROTOTYPE},
    {WSAENOPROTOOPT, ENOPROTOOPT},
    {WSAEPROTONOSUPPORT, EPROTONOSUPPORT},
    {WSAESOCKTNOSUPPORT, EPROTONOSUPPORT},
    {WSAEOPNOTSUPP, EOPNOTSUPP},
    {WSAEAFNOSUPPORT, EAFNOSUPPORT},
    {WSAEPFNOSUPPORT, EAFNOSUPPORT},
    {WSAEADDRINUSE, EADDRINUSE},
    {WSAEADDRNOTAVAIL, EADDRNOTAVAIL},
    {WSAENETDOWN, ENETDOWN},
    {WSASYSNOTREADY, ENETDOWN},
    {WSAENETUNREACH, ENETUNREACH},
    {WSAENETRESET, ENETRESET},
    {WSAECONNABORTED, ECONNABORTED},
    {WSAECONNRESET, ECONNRESET},
    {WSAEDISCON, ECONNRESET},
    {ERROR_NETNAME_DELETED, ECONNRESET},
    {WSAENOBUFS, ENOBUFS},
    {WSAEISCONN, EISCONN},
    {WSAENOTCONN, ENOTCONN},
    {WSAESHUTDOWN, EPIPE},
    {WSAECONNREFUSED, ECONNREFUSED},
    {ERROR_CONNECTION_REFUSED, ECONNREFUSED},
    {WSAELOOP, ELOOP},
    {WSAENAMETOOLONG, ENAMETOOLONG},
    {WSAEHOSTUNREACH, EHOSTUNREACH},
    {WSAEHOSTDOWN, EHOSTUNREACH},
    {ERROR_HOST_UNREACHABLE, EHOSTUNREACH},
    {ERROR_NETWORK_UNREACHABLE, ENETUNREACH},
    {WSAENOTEMPTY, ENOTEMPTY},
    {WSAEPROCLIM, EAGAIN},
    {WSAECANCELLED, ECANCELED},
};

std::wstring WideOf(const char* text, std::size_t size) {
    if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(size);
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, length, wide.data(), needed);
    return wide;
}

std::string Utf8Of(const wchar_t* wide, std::size_t size) {
    if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(size);
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), needed, nullptr, nullptr);
    return text;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Win32 calls refuse a path of MAX_PATH or more (folders a little less) unless it is given in
// the "\\?\" form, which is taken as it is: only whole paths the program built get it.
constexpr std::size_t kLongPath = MAX_PATH - 12;

bool IsPlainComponentPath(const std::wstring& path) {
    const std::wstring closed = path + L'\\';
    return closed.find(L"\\.\\") == std::wstring::npos &&
           closed.find(L"\\..\\") == std::wstring::npos;
}

} // namespace

std::wstring Wide(const std::string& utf8) {
    return WideOf(utf8.data(), utf8.size());
}

std::string Utf8(const std::wstring& wide) {
    return Utf8Of(wide.data(), wide.size());
}

std::string Utf8(const wchar_t* wide) {
    return wide == nullptr ? std::string() : Utf8Of(wide, std::wcslen(wide));
}

std::wstring WidePath(const std::string& path) {
    std::wstring wide = Wide(path);
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    if (wide.size() == 2 && wide[1] == L':' && IsDriveLetter(wide[0])) {
        wide += L'\\';
    }
    if (wide.size() >= kLongPath && IsPlainComponentPath(wide)) {
        if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\' && IsDriveLetter(wide[0])) {
            return L"\\\\?\\" + wide;
        }
        if (wide.size() > 2 && wide[0] == L'\\' && wide[1] == L'\\' && wide[2] != L'?' &&
            wide[2] != L'.') {
            return L"\\\\?\\UNC\\" + wide.substr(2);
        }
    }
    return wide;
}

std::string PathFromWide(const std::wstring& path) {
    std::wstring plain = path;
    if (plain.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        plain = L"\\\\" + plain.substr(8);
    } else if (plain.rfind(L"\\\\?\\", 0) == 0 && plain.size() >= 6 && plain[5] == L':') {
        plain = plain.substr(4);
    }
    while (plain.size() > 1 && (plain.back() == L'\\' || plain.back() == L'/')) {
        plain.pop_back();
    }
    std::string text = Utf8(plain);
    for (char& c : text) {
        if (c == '\\') {
            c = '/';
        }
    }
    return text;
}

int ErrnoFromWin32(unsigned long error) {
    for (const ErrorPair& pair : kErrors) {
        if (pair.win32 == error) {
            return pair.code;
        }
    }
    // The write-protect family of errors (a locked medium, a drive that refuses the request).
    if (error >= ERROR_WRITE_PROTECT && error <= ERROR_SHARING_BUFFER_EXCEEDED) {
        return EACCES;
    }
    return EIO;
}

unsigned long Win32FromErrno(int code) {
    if (code <= 0) {
        return 0;
    }
    for (const ErrorPair& pair : kErrors) {
        if (pair.code == code) {
            return pair.win32;
        }
    }
    return 0;
}

} // namespace platform::win
