// The data connection of one listing or transfer: prepared before the command that uses it,
// opened once the server has answered that command, and finished with the completion reply the
// server owes, or abandoned when the transfer fails on our side. The one place that knows how a
// data connection is made: in active mode our listening socket announced with PORT (EPRT on an
// IPv6 control connection), in passive mode our connection to the port the server names in its
// reply to EPSV (PASV when EPSV is refused). On a secured control connection the data
// connection is TLS too, with us as the TLS client in either mode, reusing the control
// connection's session.
#pragma once

#include <memory>
#include <string>

#include "platform/socket.h"
#include "platform/stream.h"
#include "platform/tls_stream.h"

namespace ftp {

class FtpClient;

// The port of a "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" reply; the address it names is
// never used. False when the final line holds no six numbers.
bool ParsePasvPort(const std::string& reply, unsigned& port);
// The port of a "229 Entering Extended Passive Mode (|||port|)" reply.
bool ParseEpsvPort(const std::string& reply, unsigned& port);

class DataConnection {
public:
    // `call` is the calling operation's socket on the control connection.
    DataConnection(FtpClient& client, platform::Socket& call);
    ~DataConnection();
    DataConnection(const DataConnection&) = delete;
    DataConnection& operator=(const DataConnection&) = delete;

    // "TYPE " + type and the data connection's announcement (in passive mode also the
    // connection itself). False after a socket error (shown) or a refused command.
    bool Prepare(const std::string& type);
    // Sends the command that uses the data connection (LIST, RETR, STOR) and reads its reply.
    bool Request(const std::string& command, std::string& reply);
    // The server's connection. Replies that arrive on the control connection meanwhile are
    // appended to `replies`; a refusal or a lost control connection ends the wait with false.
    // In active mode only a connection from the control connection's peer is taken: any other
    // is closed and the wait goes on. On a secured control connection, the TLS handshake
    // follows (shown when it fails).
    bool Open(std::string& replies);
    // What the listing or transfer reads or writes: the socket, or TLS over it.
    platform::Stream& Data() {
        return m_dataTls ? static_cast<platform::Stream&>(*m_dataTls) : m_data;
    }
    // Closes the sockets and, when the last reply was only the preliminary 1xx, reads the
    // completion reply. False when that reply refuses or the connection is lost. `sent`: we
    // sent the data (an upload), so a TLS data connection is ended so that its end reaches the
    // server whole.
    bool Finish(bool sent = false);
    // Ends a listing or transfer that failed on our side: closes the sockets and reads the
    // completion reply still owed after a preliminary 1xx, so it is not taken for the answer to
    // the next command. Always false.
    bool Abandon();
    // A send or receive on the data connection failed: the error is shown, or, when the
    // server let the idle limit pass, the control connection is broken too. Then Abandon.
    bool Failed();
    // True after a failure that means the server cannot or will not connect to us: the engine
    // is passive from then on and the operation is worth starting again.
    bool FellBack() const { return m_fellBack; }

private:
    bool PrepareActive();
    bool PreparePassive();
    // A refusal of the announcement (5xx, or 425 from servers that connect at once) or a 425
    // to the command itself, in active mode: fall back.
    void FallBackAfter(bool announcement);
    bool SecureData();
    // `sent`: an upload ran to its end (or was cancelled); see EndSentData.
    void CloseSockets(bool sent);
    void EndSentData();

    FtpClient& m_client;
    platform::Socket& m_call;
    platform::Socket m_listener;
    platform::Socket m_data;
    std::unique_ptr<platform::TlsStream> m_dataTls;
    unsigned m_listenPort = 0;
    bool m_passive = false;
    bool m_fellBack = false;
};

// Runs one listing or transfer, `attempt(call, connection)`, on the control connection. When
// an active-mode attempt falls back, it runs once more in passive mode with a fresh data
// connection: its whole command sequence again (a download's REST included, an upload reading
// its file from the start).
template <typename Attempt>
auto RunDataExchange(FtpClient& client, platform::Socket& control, Attempt attempt) {
    platform::Socket call;
    call.Attach(control);
    for (;;) {
        DataConnection connection(client, call);
        auto result = attempt(call, connection);
        if (!connection.FellBack()) {
            return result;
        }
    }
}

} // namespace ftp
