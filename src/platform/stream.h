// The stream seam: what the FTP engine sends and receives through on a control or data
// connection. The plain socket is one; the TLS stream over a socket is the other, so the reply
// reader and the transfer loops are the same for both.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>

namespace platform {

class Stream {
public:
    virtual ~Stream() = default;
    // Sends every byte, continuing after partial sends; false after a failure (LastError).
    virtual bool SendAll(const void* data, std::size_t length) = 0;
    // Bytes received, 0 when the peer closed the connection, or -1 (LastError).
    virtual long Receive(void* buffer, std::size_t length) = 0;
    // Ends the connection in both directions (a TLS stream says so to its peer first).
    virtual void ShutdownBoth() = 0;
    // The system error code of the last failure, 0 when it was no system error.
    virtual int LastError() const = 0;
    // The user's sentence for the last failure.
    virtual std::string ErrorText() const = 0;
    // The last failure was a wait for the peer that ran past the idle limit.
    virtual bool TimedOut() const { return LastError() == ETIMEDOUT; }
    // Received bytes held inside the stream, which a wait on the handle would not see.
    virtual bool HasBuffered() const { return false; }
};

} // namespace platform
