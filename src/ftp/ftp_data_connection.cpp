// The active-mode data connection shared by listings and transfers: our listening socket,
// its PORT announcement, and the wait for the server to connect.
#include "ftp/ftp_client.h"

namespace ftp {

std::string PortArgument(const std::string& portAddress, unsigned port) {
    return portAddress + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

bool FtpClient::OpenDataListener(platform::Socket& listener, unsigned& port) {
    std::string address;
    if (!listener.Create() || !listener.Listen() || !listener.LocalAddress(address, port)) {
        ShowSocketError(listener.LastError());
        listener.Close();
        return false;
    }
    return true;
}

bool FtpClient::PrepareDataConnection(platform::Socket& call, platform::Socket& listener,
                                      const std::string& type) {
    unsigned port = 0;
    if (!OpenDataListener(listener, port)) {
        return false;
    }
    std::string reply;
    if (!SendCommand(call, "TYPE " + type) || !ReadReply(call, reply, false)) {
        return false;
    }
    return SendCommand(call, "PORT " + PortArgument(m_portAddress, port)) &&
           ReadReply(call, reply, false);
}

bool FtpClient::AcceptDataConnection(platform::Socket& call, platform::Socket& listener,
                                     platform::Socket& data, std::string& replies) {
    // A server that cannot reach us says so on the control connection (425) instead of
    // connecting; waiting on the listening socket alone would then never end.
    for (;;) {
        bool connectionReady = false;
        bool replyReady = false;
        int error = 0;
        if (!platform::WaitReadable(listener, call, connectionReady, replyReady, error)) {
            ShowSocketError(error);
            return false;
        }
        if (connectionReady) {
            if (!listener.Accept(data)) {
                ShowSocketError(listener.LastError());
                return false;
            }
            return true;
        }
        if (replyReady) {
            std::string reply;
            const bool accepted = ReadReply(call, reply, false);
            replies += reply;
            if (!accepted) {
                return false;
            }
        }
    }
}

void CloseDataSockets(platform::Socket& data, platform::Socket& listener) {
    data.ShutdownBoth();
    data.Close();
    listener.ShutdownBoth();
    listener.Close();
}

bool FtpClient::AbandonDataTransfer(platform::Socket& call, platform::Socket& listener,
                                    platform::Socket* data) {
    if (data != nullptr) {
        CloseDataSockets(*data, listener);
    } else {
        listener.Close();
    }
    // The server still answers the transfer we abandoned; left unread, that answer would be
    // taken for the reply to our next command.
    if (m_lastReplyCode[0] == '1' && !m_connectionLost && m_controlSocket.IsValid()) {
        std::string reply;
        ReadReply(call, reply, false);
    }
    return false;
}

} // namespace ftp
