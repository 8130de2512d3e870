// Blocking TCP stream sockets over IPv4 and IPv6 as the FTP engine uses them. Every failing
// call leaves the platform's error code in LastError(); SystemErrorText turns it into the
// user's sentence.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/stream.h"

namespace platform {

class Socket : public Stream {
public:
    Socket() = default;
    // Takes over a connected handle (a socket pair's end, for example).
    explicit Socket(int handle) : m_handle(handle) {}
    ~Socket() override;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;

    enum class Family { IPv4, IPv6 };

    // A TCP stream socket bound to any local address and any free port.
    bool Create(Family family = Family::IPv4);
    // `host` is a numeric IPv4 or IPv6 address or a name. Every address the name resolves to is
    // tried in order until one connects; the handle is replaced by a fresh socket of the
    // address's family where needed. A name that cannot be looked up fails with EINVAL and
    // leaves the resolver's reason in ResolveError(); when no address connects, the last
    // attempt's error is kept.
    bool Connect(const std::string& host, unsigned port);
    // As Connect, for the addresses of several names in turn.
    bool ConnectToAny(const std::vector<std::string>& hosts, unsigned port);
    // Connects a fresh socket to the address at the far end of `other`'s connection, at `port`.
    bool ConnectToPeerOf(const Socket& other, unsigned port);
    // Local address in numeric form (dotted for IPv4) and local port.
    bool LocalAddress(std::string& address, unsigned& port);
    // The family of the local address; false when the handle has none.
    bool GetFamily(Family& family);
    bool Listen(); // backlog of 5
    bool Accept(Socket& connection);
    // Bytes accepted by the socket, or -1.
    long Send(const void* data, std::size_t length);
    // Sends every byte, continuing after partial sends.
    bool SendAll(const void* data, std::size_t length) override;
    // Bytes received, 0 when the peer closed the connection, or -1.
    long Receive(void* buffer, std::size_t length) override;
    void ShutdownBoth() override;
    // Ends our sending half; the peer reads the end of the stream.
    void ShutdownSend();
    // Closes an owned handle; a reference from Attach is only let go (its owner closes it).
    void Close();

    // A non-owning reference to another socket's handle for the length of one call: the
    // handle is neither closed nor changed when this object goes away.
    void Attach(const Socket& owner);
    void Release();

    // How long a receive or a send may wait for the peer, in milliseconds (-1: no limit). A wait
    // that runs out fails with TimedOut(). The limit belongs to this object, not its handle.
    void SetIdleLimit(int ms) { m_idleLimitMs = ms; }
    int IdleLimit() const { return m_idleLimitMs; }
    bool TimedOut() const override;
    // The numeric address at the far end of the connection.
    bool PeerAddress(std::string& address);

    bool IsValid() const { return m_handle >= 0; }
    int Handle() const { return m_handle; }
    int LastError() const override { return m_lastError; }
    // SystemErrorText of LastError().
    std::string ErrorText() const override;
    // The resolver's own reason when the last connect found no address for its name; "" else.
    const std::string& ResolveError() const { return m_resolveError; }

private:
    bool Fail();
    // Records a connect's outcome (0 or its error code); true when it connected.
    bool Connected(int error);

    int m_handle = -1;
    bool m_owning = true;
    int m_lastError = 0;
    int m_idleLimitMs = -1;
    std::string m_resolveError;
};

// While one lives on a thread, every wait of that thread for a peer (a connect, a receive, a
// send that waits for room, TLS included) also ends when `*cancel` turns true (ECANCELED) or
// `limitMs` milliseconds have passed since it was made (ETIMEDOUT). Bounds nest: an inner one
// keeps the outer's cancel flag when it has none, and the earlier deadline holds.
class WaitBound {
public:
    // `cancel` may be nullptr; `limitMs` -1 for no deadline.
    WaitBound(const std::atomic<bool>* cancel, int limitMs);
    ~WaitBound();
    WaitBound(const WaitBound&) = delete;
    WaitBound& operator=(const WaitBound&) = delete;

private:
    const std::atomic<bool>* m_cancel;
    bool m_limited;
    std::chrono::steady_clock::time_point m_deadline;
};

// Waits until `handle` is ready for `events` (poll's), at most `limitMs` milliseconds; -1 does
// not wait at all unless a WaitBound holds. False with the error code; ETIMEDOUT when the time
// ran out, ECANCELED when the bound's flag was raised.
bool WaitForHandle(int handle, short events, int limitMs, int& error);

// A receive on `handle`, after waiting at most `limitMs` for something to arrive: a receiver
// is mostly ahead of its sender, and a receive tried before the wait would mostly find
// nothing. Bytes received (0 at the end), or -1 with `error` set.
long ReceiveWhenReady(int handle, void* buffer, std::size_t length, int limitMs, int& error);

// Waits until `first` or `second` has something to read (a pending connection on a listening
// socket counts), at most `limitMs` milliseconds (-1: no limit). False with the error code when
// the wait fails; ETIMEDOUT when the time ran out.
bool WaitReadable(const Socket& first, const Socket& second, bool& firstReady, bool& secondReady,
                  int& error, int limitMs = -1);

} // namespace platform
