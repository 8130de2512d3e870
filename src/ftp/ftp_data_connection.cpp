// The active-mode data connection shared by listings and transfers: our listening socket, its
// PORT announcement, and the wait for the server to connect.
#include "ftp/data_connection.h"

#include "ftp/ftp_client.h"

namespace ftp {

std::string PortArgument(const std::string& portAddress, unsigned port) {
    return portAddress + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

DataConnection::DataConnection(FtpClient& client, platform::Socket& call)
    : m_client(client), m_call(call) {}

DataConnection::~DataConnection() {
    CloseSockets();
}

bool DataConnection::Prepare(const std::string& type) {
    std::string address;
    unsigned port = 0;
    if (!m_listener.Create() || !m_listener.Listen() || !m_listener.LocalAddress(address, port)) {
        m_client.ShowSocketError(m_listener.LastError());
        m_listener.Close();
        return false;
    }
    std::string reply;
    if (!m_client.SendCommand(m_call, "TYPE " + type) ||
        !m_client.ReadReply(m_call, reply, false)) {
        return false;
    }
    return m_client.SendCommand(m_call, "PORT " + PortArgument(m_client.m_portAddress, port)) &&
           m_client.ReadReply(m_call, reply, false);
}

bool DataConnection::Open(std::string& replies) {
    // A server that cannot reach us says so on the control connection (425) instead of
    // connecting; waiting on the listening socket alone would then never end.
    for (;;) {
        bool connectionReady = false;
        bool replyReady = false;
        int error = 0;
        if (!platform::WaitReadable(m_listener, m_call, connectionReady, replyReady, error)) {
            m_client.ShowSocketError(error);
            return false;
        }
        if (connectionReady) {
            if (!m_listener.Accept(m_data)) {
                m_client.ShowSocketError(m_listener.LastError());
                return false;
            }
            return true;
        }
        if (replyReady) {
            std::string reply;
            const bool accepted = m_client.ReadReply(m_call, reply, false);
            replies += reply;
            if (!accepted) {
                return false;
            }
        }
    }
}

void DataConnection::CloseSockets() {
    if (m_data.IsValid()) {
        m_data.ShutdownBoth();
        m_data.Close();
    }
    if (m_listener.IsValid()) {
        m_listener.ShutdownBoth();
        m_listener.Close();
    }
}

bool DataConnection::Finish() {
    CloseSockets();
    // Some servers send the 150 and the 226 in one packet; then nothing more is due. The code,
    // not the line count, decides: a multi-line 150 still owes its 226.
    if (m_client.m_lastReplyCode[0] == '1') {
        std::string completion;
        return m_client.ReadReply(m_call, completion, false);
    }
    return true;
}

bool DataConnection::Abandon() {
    CloseSockets();
    if (m_client.m_lastReplyCode[0] == '1' && !m_client.m_connectionLost &&
        m_client.m_controlSocket.IsValid()) {
        std::string reply;
        m_client.ReadReply(m_call, reply, false);
    }
    return false;
}

} // namespace ftp
