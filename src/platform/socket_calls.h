// The socket calls of this layer under one set of names: Winsock differs from the POSIX calls in
// its handle type, its error variable, its flags and its idea of a non-blocking send. Handles
// are kept as int on both (a Winsock handle is a small kernel handle value).
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <cstddef>

namespace platform::sock {

// The errno-style code of the calling thread's last failed socket call.
int LastError();
// A TCP socket that no child process inherits; -1 on failure.
int Open(int family);
void Close(int handle);
bool SetNonBlocking(int handle, bool on);
int Accept(int handle);
// poll() over `count` handles; the number ready, 0 when the time ran out, -1 on failure.
int Poll(pollfd* fds, unsigned count, int timeoutMs);
// A send that never raises SIGPIPE; with `dontWait` it takes only what fits at once.
long Send(int handle, const void* data, std::size_t length, bool dontWait);
long Receive(int handle, void* buffer, std::size_t length);
void Shutdown(int handle, bool bothWays);
// The pending error of a socket whose connect went on in the background (SO_ERROR).
int PendingError(int handle);
// "Would block" and "interrupted": the codes after which a call is simply tried again.
bool IsRetry(int code);
// A connect without blocking has begun and goes on in the background.
bool IsConnectPending(int code);

inline int ToInt(std::ptrdiff_t handle) {
    return static_cast<int>(handle);
}

} // namespace platform::sock
