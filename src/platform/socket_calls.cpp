#include "platform/socket_calls.h"

#include <cerrno>

#ifdef _WIN32
#include "platform/win32/win_text.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform::sock {

#ifdef _WIN32

namespace {

SOCKET Native(int handle) {
    return static_cast<SOCKET>(static_cast<std::ptrdiff_t>(handle));
}

// Winsock must be started once before the first call of the process.
struct Startup {
    Startup() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
};

void EnsureStarted() {
    static Startup startup;
}

} // namespace

int LastError() {
    return win::ErrnoFromWin32(static_cast<unsigned long>(::WSAGetLastError()));
}

int Open(int family) {
    EnsureStarted();
    const SOCKET s =
        ::WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    return s == INVALID_SOCKET ? -1 : ToInt(static_cast<std::ptrdiff_t>(s));
}

void Close(int handle) {
    ::closesocket(Native(handle));
}

bool SetNonBlocking(int handle, bool on) {
    u_long mode = on ? 1 : 0;
    return ::ioctlsocket(Native(handle), FIONBIO, &mode) == 0;
}

int Accept(int handle) {
    const SOCKET s = ::accept(Native(handle), nullptr, nullptr);
    if (s == INVALID_SOCKET) {
        return -1;
    }
    // An accepted socket takes the listener's non-blocking mode; connections block.
    u_long mode = 0;
    ::ioctlsocket(s, FIONBIO, &mode);
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return ToInt(static_cast<std::ptrdiff_t>(s));
}

int Poll(pollfd* fds, unsigned count, int timeoutMs) {
    return ::WSAPoll(fds, count, timeoutMs);
}

long Send(int handle, const void* data, std::size_t length, bool dontWait) {
    // Winsock has no flag for a send that does not wait: the socket is non-blocking for it.
    const int chunk = static_cast<int>(length > 0x40000000 ? 0x40000000 : length);
    if (dontWait) {
        SetNonBlocking(handle, true);
    }
    const int sent = ::send(Native(handle), static_cast<const char*>(data), chunk, 0);
    if (dontWait) {
        const int error = ::WSAGetLastError();
        SetNonBlocking(handle, false);
        ::WSASetLastError(error);
    }
    return sent == SOCKET_ERROR ? -1 : sent;
}

long Receive(int handle, void* buffer, std::size_t length) {
    const int chunk = static_cast<int>(length > 0x40000000 ? 0x40000000 : length);
    const int received = ::recv(Native(handle), static_cast<char*>(buffer), chunk, 0);
    return received == SOCKET_ERROR ? -1 : received;
}

void Shutdown(int handle, bool bothWays) {
    ::shutdown(Native(handle), bothWays ? SD_BOTH : SD_SEND);
}

int PendingError(int handle) {
    int error = 0;
    int size = sizeof error;
    ::getsockopt(Native(handle), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    return error == 0 ? 0 : win::ErrnoFromWin32(static_cast<unsigned long>(error));
}

#else

int LastError() {
    return errno;
}

int Open(int family) {
    return ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

void Close(int handle) {
    ::close(handle);
}

bool SetNonBlocking(int handle, bool on) {
    const int flags = ::fcntl(handle, F_GETFL);
    return flags >= 0 &&
           ::fcntl(handle, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}

int Accept(int handle) {
    return ::accept4(handle, nullptr, nullptr, SOCK_CLOEXEC);
}

int Poll(pollfd* fds, unsigned count, int timeoutMs) {
    return ::poll(fds, count, timeoutMs);
}

long Send(int handle, const void* data, std::size_t length, bool dontWait) {
    // A peer that has gone must be an error we report, not SIGPIPE ending the process.
    return ::send(handle, data, length, dontWait ? MSG_NOSIGNAL | MSG_DONTWAIT : MSG_NOSIGNAL);
}

long Receive(int handle, void* buffer, std::size_t length) {
    return ::recv(handle, buffer, length, 0);
}

void Shutdown(int handle, bool bothWays) {
    ::shutdown(handle, bothWays ? SHUT_RDWR : SHUT_WR);
}

int PendingError(int handle) {
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &size);
    return error;
}

#endif

bool IsRetry(int code) {
    return code == EINTR || code == EAGAIN || code == EWOULDBLOCK;
}

bool IsConnectPending(int code) {
#ifdef _WIN32
    return code == EWOULDBLOCK || code == EINPROGRESS;
#else
    return code == EINPROGRESS;
#endif
}

} // namespace platform::sock
