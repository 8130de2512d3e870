#include "platform/socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/socket_calls.h"
#include "platform/system_error.h"

namespace platform {

namespace {

int FamilyCode(Socket::Family family) {
    return family == Socket::Family::IPv6 ? AF_INET6 : AF_INET;
}

// The bound of the calling thread's waits (WaitBound).
struct Bound {
    const std::atomic<bool>* cancel = nullptr;
    bool limited = false;
    std::chrono::steady_clock::time_point deadline;
};
thread_local Bound t_bound;

// A flag raised is seen within this long.
constexpr int kCancelSliceMs = 100;

// poll() within the caller's limit (-1: none) and the thread's bound. The number of ready
// handles, or 0 (`error` ETIMEDOUT or ECANCELED) or -1 (`error` set).
int PollBounded(pollfd* fds, unsigned count, int limitMs, int& error) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const Clock::time_point start = Clock::now();
    for (bool first = true;; first = false) {
        if (t_bound.cancel != nullptr && t_bound.cancel->load()) {
            error = ECANCELED;
            return 0;
        }
        // What is left of the caller's limit and of the bound; -1 for none.
        const Clock::time_point now = Clock::now();
        long long wait = -1;
        if (limitMs >= 0) {
            wait = std::max(0LL, limitMs - static_cast<long long>(
                                               duration_cast<milliseconds>(now - start).count()));
        }
        if (t_bound.limited) {
            const long long left =
                std::max(0LL, static_cast<long long>(
                                  duration_cast<milliseconds>(t_bound.deadline - now).count()));
            wait = wait < 0 ? left : std::min(wait, left);
        }
        if (wait == 0 && !first) {
            error = ETIMEDOUT;
            return 0;
        }
        // With a flag to watch, the wait goes in slices.
        const bool sliced = t_bound.cancel != nullptr && (wait < 0 || wait > kCancelSliceMs);
        int rc;
        do {
            rc = sock::Poll(fds, count, sliced ? kCancelSliceMs : static_cast<int>(wait));
            error = rc < 0 ? sock::LastError() : 0;
        } while (rc < 0 && error == EINTR);
        if (rc < 0) {
            return -1;
        }
        if (rc > 0) {
            return rc;
        }
        if (!sliced && wait >= 0 && !t_bound.limited) {
            error = ETIMEDOUT;
            return 0;
        }
    }
}

pollfd PollEntry(int handle, short events) {
    pollfd p{};
    p.fd = handle;
    p.events = events;
    return p;
}

// 0, or the connect's error code.
int ConnectRetrying(int handle, const sockaddr* address, socklen_t length) {
    // Without blocking, so that the thread's wait bound (the user's cancel) holds here too; the
    // system's own time limit for a connect still applies.
    sock::SetNonBlocking(handle, true);
    int rc;
    int error = 0;
    do {
        rc = ::connect(handle, address, length);
        error = rc != 0 ? sock::LastError() : 0;
    } while (rc != 0 && error == EINTR);
    if (rc != 0 && sock::IsConnectPending(error)) {
        pollfd p = PollEntry(handle, POLLOUT);
        if (PollBounded(&p, 1, -1, error) > 0) {
            error = sock::PendingError(handle);
            // A reset (not a refusal) means the connection was made and is lost already: as
            // after a blocking connect, that is for the first read to tell.
            if (error == ECONNRESET) {
                error = 0;
            } else if (error == 0 && ::connect(handle, address, length) != 0) {
                // Once more, so that the socket counts as connected (a later connect on it
                // then fails with EISCONN, as after a blocking connect).
                const int again = sock::LastError();
                error = again == EISCONN ? 0 : again;
            }
        }
    }
    sock::SetNonBlocking(handle, false);
    return error;
}

// The resolver's reason for a failed lookup, in the user's words.
std::string ResolverText(int failure) {
#ifdef _WIN32
    return gai_strerrorA(failure);
#else
    return failure == EAI_SYSTEM ? SystemErrorText(errno) : gai_strerror(failure);
#endif
}

} // namespace

WaitBound::WaitBound(const std::atomic<bool>* cancel, int limitMs)
    : m_cancel(t_bound.cancel), m_limited(t_bound.limited), m_deadline(t_bound.deadline) {
    if (cancel != nullptr) {
        t_bound.cancel = cancel;
    }
    if (limitMs >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        if (!t_bound.limited || deadline < t_bound.deadline) {
            t_bound.deadline = deadline;
        }
        t_bound.limited = true;
    }
}

WaitBound::~WaitBound() {
    t_bound.cancel = m_cancel;
    t_bound.limited = m_limited;
    t_bound.deadline = m_deadline;
}

Socket::~Socket() {
    if (m_owning) {
        Close();
    }
}

Socket::Socket(Socket&& other) noexcept
    : m_handle(other.m_handle), m_owning(other.m_owning), m_lastError(other.m_lastError),
      m_idleLimitMs(other.m_idleLimitMs) {
    other.m_handle = -1;
    other.m_owning = true;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (m_owning) {
            Close();
        }
        m_handle = other.m_handle;
        m_owning = other.m_owning;
        m_lastError = other.m_lastError;
        m_idleLimitMs = other.m_idleLimitMs;
        other.m_handle = -1;
        other.m_owning = true;
    }
    return *this;
}

bool Socket::Connected(int error) {
    m_lastError = error;
    return error == 0;
}

bool Socket::Fail() {
    m_lastError = sock::LastError();
    return false;
}

bool Socket::Create(Family family) {
    if (m_owning) {
        Close();
    }
    m_owning = true;
    const int code = FamilyCode(family);
    m_handle = sock::Open(code);
    if (m_handle < 0) {
        return Fail();
    }
    sockaddr_storage any{};
    socklen_t length = sizeof(sockaddr_in);
    if (code == AF_INET6) {
        auto* any6 = reinterpret_cast<sockaddr_in6*>(&any);
        any6->sin6_family = AF_INET6;
        any6->sin6_addr = in6addr_any;
        length = sizeof(sockaddr_in6);
    } else {
        auto* any4 = reinterpret_cast<sockaddr_in*>(&any);
        any4->sin_family = AF_INET;
        any4->sin_addr.s_addr = htonl(INADDR_ANY);
    }
    if (::bind(m_handle, reinterpret_cast<sockaddr*>(&any), length) != 0) {
        Fail();
        sock::Close(m_handle);
        m_handle = -1;
        return false;
    }
    return true;
}

bool Socket::Connect(const std::string& host, unsigned port) {
    return ConnectToAny({host}, port);
}

bool Socket::ConnectToAny(const std::vector<std::string>& hosts, unsigned port) {
    const std::string service = std::to_string(port);
    // The socket made beforehand serves the first address of its family; after a failed
    // attempt a socket cannot be connected again, so every further address gets a fresh one.
    bool fresh = true;
    bool resolved = false;
    m_resolveError.clear();
    for (const std::string& host : hosts) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        const int failure = getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
        if (failure != 0 || result == nullptr) {
            m_resolveError = failure != 0 ? ResolverText(failure) : SystemErrorText(EADDRNOTAVAIL);
            continue;
        }
        resolved = true;
        bool connected = false;
        for (const addrinfo* a = result; a != nullptr && !connected; a = a->ai_next) {
            if (a->ai_family != AF_INET && a->ai_family != AF_INET6) {
                continue;
            }
            const Family family = a->ai_family == AF_INET6 ? Family::IPv6 : Family::IPv4;
            Family current;
            if ((!fresh || !GetFamily(current) || current != family) && !Create(family)) {
                continue;
            }
            fresh = false;
            connected = Connected(
                ConnectRetrying(m_handle, a->ai_addr, static_cast<socklen_t>(a->ai_addrlen)));
        }
        freeaddrinfo(result);
        if (connected) {
            return true;
        }
    }
    if (!resolved) {
        m_lastError = EINVAL;
    } else {
        m_resolveError.clear();
    }
    return false;
}

bool Socket::ConnectToPeerOf(const Socket& other, unsigned port) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(other.m_handle, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        return Fail();
    }
    Family family = Family::IPv4;
    if (peer.ss_family == AF_INET6) {
        family = Family::IPv6;
        reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port = htons(static_cast<uint16_t>(port));
    } else {
        reinterpret_cast<sockaddr_in*>(&peer)->sin_port = htons(static_cast<uint16_t>(port));
    }
    if (!Create(family)) {
        return false;
    }
    return Connected(ConnectRetrying(m_handle, reinterpret_cast<sockaddr*>(&peer), length));
}

bool Socket::LocalAddress(std::string& address, unsigned& port) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_handle, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return Fail();
    }
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes;
    if (local.ss_family == AF_INET6) {
        const auto* local6 = reinterpret_cast<const sockaddr_in6*>(&local);
        bytes = &local6->sin6_addr;
        port = ntohs(local6->sin6_port);
    } else {
        const auto* local4 = reinterpret_cast<const sockaddr_in*>(&local);
        bytes = &local4->sin_addr;
        port = ntohs(local4->sin_port);
    }
    if (inet_ntop(local.ss_family, bytes, text, sizeof text) == nullptr) {
        return Fail();
    }
    address = text;
    return true;
}

bool Socket::GetFamily(Family& family) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (m_handle < 0 ||
        ::getsockname(m_handle, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return false;
    }
    family = local.ss_family == AF_INET6 ? Family::IPv6 : Family::IPv4;
    return true;
}

bool Socket::Listen() {
    return ::listen(m_handle, 5) == 0 || Fail();
}

bool Socket::Accept(Socket& connection) {
    int handle;
    do {
        handle = sock::Accept(m_handle);
    } while (handle < 0 && sock::LastError() == EINTR);
    if (handle < 0) {
        return Fail();
    }
    connection.Close();
    connection.m_handle = handle;
    connection.m_owning = true;
    return true;
}

bool Socket::TimedOut() const {
    return m_lastError == ETIMEDOUT;
}

bool Socket::PeerAddress(std::string& address) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(m_handle, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        return Fail();
    }
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes =
        peer.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_addr)
            : &reinterpret_cast<const sockaddr_in*>(&peer)->sin_addr;
    if (inet_ntop(peer.ss_family, bytes, text, sizeof text) == nullptr) {
        return Fail();
    }
    address = text;
    return true;
}

long Socket::Send(const void* data, std::size_t length) {
    long sent;
    int error = 0;
    // With an idle limit the send never blocks past it: wait for room, then take what fits.
    do {
        if (!WaitForHandle(m_handle, POLLOUT, m_idleLimitMs, m_lastError)) {
            return -1;
        }
        sent = sock::Send(m_handle, data, length, m_idleLimitMs >= 0);
        error = sent < 0 ? sock::LastError() : 0;
    } while (sent < 0 && sock::IsRetry(error));
    if (sent < 0) {
        m_lastError = error;
        return -1;
    }
    return sent;
}

bool Socket::SendAll(const void* data, std::size_t length) {
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        long sent = Send(next, length);
        if (sent < 0) {
            return false;
        }
        next += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

long Socket::Receive(void* buffer, std::size_t length) {
    return ReceiveWhenReady(m_handle, buffer, length, m_idleLimitMs, m_lastError);
}

std::string Socket::ErrorText() const {
    return SystemErrorText(m_lastError);
}

void Socket::ShutdownBoth() {
    if (m_handle >= 0) {
        sock::Shutdown(m_handle, true);
    }
}

void Socket::ShutdownSend() {
    if (m_handle >= 0) {
        sock::Shutdown(m_handle, false);
    }
}

void Socket::Close() {
    if (m_handle >= 0 && m_owning) {
        sock::Close(m_handle);
    }
    m_handle = -1;
    m_owning = true;
}

void Socket::Attach(const Socket& owner) {
    if (m_owning) {
        Close();
    }
    m_handle = owner.m_handle;
    m_owning = false;
    m_lastError = 0;
    m_idleLimitMs = owner.m_idleLimitMs;
}

void Socket::Release() {
    if (!m_owning) {
        m_handle = -1;
        m_owning = true;
    }
}

bool WaitForHandle(int handle, short events, int limitMs, int& error) {
    if (limitMs < 0 && t_bound.cancel == nullptr && !t_bound.limited) {
        return true;
    }
    // poll() passes over a negative handle and would only wait out the limit.
    if (handle < 0) {
        error = EBADF;
        return false;
    }
    pollfd p = PollEntry(handle, events);
    return PollBounded(&p, 1, limitMs, error) > 0;
}

long ReceiveWhenReady(int handle, void* buffer, std::size_t length, int limitMs, int& error) {
    long received;
    do {
        if (!WaitForHandle(handle, POLLIN, limitMs, error)) {
            return -1;
        }
        received = sock::Receive(handle, buffer, length);
        error = received < 0 ? sock::LastError() : 0;
    } while (received < 0 && error == EINTR);
    return received;
}

bool WaitReadable(const Socket& first, const Socket& second, bool& firstReady, bool& secondReady,
                  int& error, int limitMs) {
    pollfd fds[2] = {PollEntry(first.Handle(), POLLIN), PollEntry(second.Handle(), POLLIN)};
    if (PollBounded(fds, 2, limitMs, error) <= 0) {
        return false;
    }
    const short ready = POLLIN | POLLHUP | POLLERR;
    firstReady = (fds[0].revents & ready) != 0;
    secondReady = (fds[1].revents & ready) != 0;
    if ((fds[0].revents | fds[1].revents) & POLLNVAL) {
        error = EBADF;
        return false;
    }
    return true;
}

} // namespace platform
