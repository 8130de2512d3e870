#include "platform/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

bool ResolveIPv4(const std::string& host, in_addr& address) {
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) {
        return false;
    }
    address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr;
    freeaddrinfo(result);
    return true;
}

} // namespace

Socket::~Socket() {
    if (m_owning) {
        Close();
    }
}

Socket::Socket(Socket&& other) noexcept
    : m_handle(other.m_handle), m_owning(other.m_owning), m_lastError(other.m_lastError) {
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
        other.m_handle = -1;
        other.m_owning = true;
    }
    return *this;
}

bool Socket::Fail() {
    m_lastError = errno;
    return false;
}

bool Socket::Create() {
    if (m_owning) {
        Close();
    }
    m_owning = true;
    m_handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_handle < 0) {
        return Fail();
    }
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    if (::bind(m_handle, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        Fail();
        ::close(m_handle);
        m_handle = -1;
        return false;
    }
    return true;
}

bool Socket::Connect(const std::string& host, unsigned port) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    if (!ResolveIPv4(host, peer.sin_addr)) {
        m_lastError = EINVAL;
        return false;
    }
    int rc;
    do {
        rc = ::connect(m_handle, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || Fail();
}

bool Socket::LocalAddress(std::string& address, unsigned& port) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_handle, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return Fail();
    }
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &local.sin_addr, text, sizeof text) == nullptr) {
        return Fail();
    }
    address = text;
    port = ntohs(local.sin_port);
    return true;
}

bool Socket::Listen() {
    return ::listen(m_handle, 5) == 0 || Fail();
}

bool Socket::Accept(Socket& connection) {
    int handle;
    do {
        handle = ::accept4(m_handle, nullptr, nullptr, SOCK_CLOEXEC);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        return Fail();
    }
    connection.Close();
    connection.m_handle = handle;
    connection.m_owning = true;
    return true;
}

long Socket::Send(const void* data, std::size_t length) {
    ssize_t sent;
    do {
        // A peer that has gone must be an error we report, not SIGPIPE ending the process.
        sent = ::send(m_handle, data, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        Fail();
        return -1;
    }
    return static_cast<long>(sent);
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
    ssize_t received;
    do {
        received = ::recv(m_handle, buffer, length, 0);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        Fail();
        return -1;
    }
    return static_cast<long>(received);
}

void Socket::ShutdownBoth() {
    if (m_handle >= 0) {
        ::shutdown(m_handle, SHUT_RDWR);
    }
}

void Socket::Close() {
    if (m_handle >= 0 && m_owning) {
        ::close(m_handle);
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
}

void Socket::Release() {
    if (!m_owning) {
        m_handle = -1;
        m_owning = true;
    }
}

bool WaitReadable(const Socket& first, const Socket& second, bool& firstReady, bool& secondReady,
                  int& error) {
    pollfd fds[2] = {};
    fds[0].fd = first.Handle();
    fds[0].events = POLLIN;
    fds[1].fd = second.Handle();
    fds[1].events = POLLIN;
    int rc;
    do {
        rc = ::poll(fds, 2, -1);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        error = errno;
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
