// The data connection of one listing or transfer: prepared before the command that uses it,
// opened once the server has answered that command, and finished with the completion reply the
// server owes, or abandoned when the transfer fails on our side. The one place that knows how a
// data connection is made (today: our listening socket announced with PORT).
#pragma once

#include <string>

#include "platform/socket.h"

namespace ftp {

class FtpClient;

class DataConnection {
public:
    // `call` is the calling operation's socket on the control connection.
    DataConnection(FtpClient& client, platform::Socket& call);
    ~DataConnection();
    DataConnection(const DataConnection&) = delete;
    DataConnection& operator=(const DataConnection&) = delete;

    // The listening socket, "TYPE " + type and its announcement. False after a socket error
    // (shown) or a refused command.
    bool Prepare(const std::string& type);
    // The server's connection. Replies that arrive on the control connection meanwhile are
    // appended to `replies`; a refusal or a lost control connection ends the wait with false.
    bool Open(std::string& replies);
    platform::Socket& Data() { return m_data; }
    // Closes the sockets and, when the last reply was only the preliminary 1xx, reads the
    // completion reply. False when that reply refuses or the connection is lost.
    bool Finish();
    // Ends a listing or transfer that failed on our side: closes the sockets and reads the
    // completion reply still owed after a preliminary 1xx, so it is not taken for the answer to
    // the next command. Always false.
    bool Abandon();

private:
    void CloseSockets();

    FtpClient& m_client;
    platform::Socket& m_call;
    platform::Socket m_listener;
    platform::Socket m_data;
};

} // namespace ftp
