// Raw sockets for the test servers and probes, on POSIX sockets or on Winsock: the calls whose
// names, flags or types differ, under one set of names. Handles are kept as int on both, as the
// platform layer keeps them (a Winsock handle is a small kernel handle value).
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstddef>

namespace testsupport::sockets {

#ifdef _WIN32

inline SOCKET Native(int handle) {
    return static_cast<SOCKET>(static_cast<std::ptrdiff_t>(handle));
}

// A stream socket; -1 on failure. Winsock is started by the first one.
inline int Open(int family) {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started ? static_cast<int>(
                         static_cast<std::ptrdiff_t>(::socket(family, SOCK_STREAM, IPPROTO_TCP)))
                   : -1;
}

inline int Accept(int listener) {
    return static_cast<int>(
        static_cast<std::ptrdiff_t>(::accept(Native(listener), nullptr, nullptr)));
}

inline void Close(int handle) {
    ::closesocket(Native(handle));
}

// poll() of one handle: > 0 when ready, 0 when the time ran out.
inline int PollOne(int handle, short events, int timeoutMs) {
    WSAPOLLFD p{Native(handle), events, 0};
    return ::WSAPoll(&p, 1, timeoutMs);
}

// A send that never raises SIGPIPE; with `dontWait` it takes only what fits at once.
inline long Send(int handle, const void* data, std::size_t length, bool dontWait = false) {
    u_long on = dontWait ? 1 : 0;
    if (dontWait) {
        ::ioctlsocket(Native(handle), FIONBIO, &on);
    }
    const long sent =
        ::send(Native(handle), static_cast<const char*>(data), static_cast<int>(length), 0);
    if (dontWait) {
        on = 0;
        ::ioctlsocket(Native(handle), FIONBIO, &on);
    }
    return sent;
}

inline long Receive(int handle, void* buffer, std::size_t length) {
    return ::recv(Native(handle), static_cast<char*>(buffer), static_cast<int>(length), 0);
}

// The last call failed only for now (would block, or interrupted): try again.
inline bool Retry() {
    const int error = ::WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

inline void ShutdownSend(int handle) {
    ::shutdown(Native(handle), SD_SEND);
}

inline void ShutdownBoth(int handle) {
    ::shutdown(Native(handle), SD_BOTH);
}

inline void SetReceiveLimit(int handle, int ms) {
    const DWORD limit = static_cast<DWORD>(ms);
    ::setsockopt(Native(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                 sizeof limit);
}

// Closes with an RST: no FIN first, whatever is unsent or unread is dropped.
inline void ResetAndClose(int handle) {
    const linger abort{1, 0};
    ::setsockopt(Native(handle), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                 sizeof abort);
    ::closesocket(Native(handle));
}

#else

inline int Open(int family) {
    return ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

inline int Accept(int listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

inline void Close(int handle) {
    ::close(handle);
}

inline int PollOne(int handle, short events, int timeoutMs) {
    pollfd p{handle, events, 0};
    return ::poll(&p, 1, timeoutMs);
}

inline long Send(int handle, const void* data, std::size_t length, bool dontWait = false) {
    return ::send(handle, data, length, MSG_NOSIGNAL | (dontWait ? MSG_DONTWAIT : 0));
}

inline long Receive(int handle, void* buffer, std::size_t length) {
    return ::recv(handle, buffer, length, 0);
}

inline bool Retry() {
    return errno == EINTR || errno == EAGAIN;
}

inline void ShutdownSend(int handle) {
    ::shutdown(handle, SHUT_WR);
}

inline void ShutdownBoth(int handle) {
    ::shutdown(handle, SHUT_RDWR);
}

inline void SetReceiveLimit(int handle, int ms) {
    const timeval limit{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

inline void ResetAndClose(int handle) {
    const linger abort{1, 0};
    ::setsockopt(handle, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(handle);
}

#endif

} // namespace testsupport::sockets
