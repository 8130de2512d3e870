// Blocking TCP stream sockets as the FTP engine uses them. Every failing call leaves the
// platform's error code in LastError(); SystemErrorText turns it into the user's sentence.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

class Socket {
public:
    Socket() = default;
    // Takes over a connected handle (a socket pair's end, for example).
    explicit Socket(int handle) : m_handle(handle) {}
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;

    // A TCP stream socket bound to any local address and any free port.
    bool Create();
    // `host` is a dotted IPv4 address or a name whose first IPv4 address is used; a name that
    // cannot be looked up fails with EINVAL.
    bool Connect(const std::string& host, unsigned port);
    // Local address in dotted form and local port.
    bool LocalAddress(std::string& address, unsigned& port);
    bool Listen(); // backlog of 5
    bool Accept(Socket& connection);
    // Bytes accepted by the socket, or -1.
    long Send(const void* data, std::size_t length);
    // Sends every byte, continuing after partial sends.
    bool SendAll(const void* data, std::size_t length);
    // Bytes received, 0 when the peer closed the connection, or -1.
    long Receive(void* buffer, std::size_t length);
    void ShutdownBoth();
    // Closes an owned handle; a reference from Attach is only let go (its owner closes it).
    void Close();

    // A non-owning reference to another socket's handle for the length of one call: the
    // handle is neither closed nor changed when this object goes away.
    void Attach(const Socket& owner);
    void Release();

    bool IsValid() const { return m_handle >= 0; }
    int Handle() const { return m_handle; }
    int LastError() const { return m_lastError; }

private:
    bool Fail();

    int m_handle = -1;
    bool m_owning = true;
    int m_lastError = 0;
};

// Waits, without a time limit, until `first` or `second` has something to read (a pending
// connection on a listening socket counts). False with the error code when the wait fails.
bool WaitReadable(const Socket& first, const Socket& second, bool& firstReady, bool& secondReady,
                  int& error);

} // namespace platform
