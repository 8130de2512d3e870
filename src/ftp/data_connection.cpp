// The data connection shared by listings and transfers: in active mode our listening socket,
// its PORT or EPRT announcement and the wait for the server to connect; in passive mode EPSV or
// PASV and our connection to the server; and the fall-back from the one to the other.
#include "ftp/data_connection.h"

#include <cerrno>

#include "ftp/ftp_client.h"
#include "res/ascii_case.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace ftp {

namespace {

// Preliminary replies a server may send while we wait for its data connection (one is usual),
// and the bytes they may take together.
constexpr int kMaxRepliesWhileWaiting = 16;
constexpr std::size_t kMaxReplyBytesWhileWaiting = 1024 * 1024;

// The last line of a reply, without its line end.
std::string FinalLine(const std::string& reply) {
    std::size_t end = reply.size();
    while (end > 0 && (reply[end - 1] == '\r' || reply[end - 1] == '\n')) {
        --end;
    }
    const std::size_t lf = reply.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t start = lf == std::string::npos ? 0 : lf + 1;
    return reply.substr(start, end - start);
}

// A decimal number of 1 to 5 digits at `at`, moving `at` past it.
bool ReadNumber(const std::string& text, std::size_t& at, unsigned& value) {
    const std::size_t start = at;
    value = 0;
    while (at < text.size() && res::IsAsciiDigit(text[at]) && at - start < 5) {
        value = value * 10 + static_cast<unsigned>(text[at] - '0');
        ++at;
    }
    return at > start && (at == text.size() || !res::IsAsciiDigit(text[at]));
}

} // namespace

bool ParsePasvPort(const std::string& reply, unsigned& port) {
    const std::string line = FinalLine(reply);
    // Some servers put the numbers in parentheses, some do not; the first run of six counts.
    for (std::size_t start = 4; start < line.size(); ++start) {
        if (!res::IsAsciiDigit(line[start]) || res::IsAsciiDigit(line[start - 1])) {
            continue;
        }
        std::size_t at = start;
        unsigned numbers[6] = {};
        int count = 0;
        while (count < 6 && ReadNumber(line, at, numbers[count]) && numbers[count] <= 255) {
            ++count;
            if (count < 6) {
                if (at >= line.size() || line[at] != ',') {
                    break;
                }
                ++at;
            }
        }
        if (count == 6) {
            port = numbers[4] * 256 + numbers[5];
            return port != 0;
        }
    }
    return false;
}

bool ParseEpsvPort(const std::string& reply, unsigned& port) {
    const std::string line = FinalLine(reply);
    const std::size_t open = line.find('(');
    if (open == std::string::npos || open + 4 >= line.size()) {
        return false;
    }
    const char d = line[open + 1];
    if (res::IsAsciiDigit(d) || line[open + 2] != d || line[open + 3] != d) {
        return false;
    }
    std::size_t at = open + 4;
    unsigned value = 0;
    if (!ReadNumber(line, at, value) || at >= line.size() || line[at] != d || value == 0 ||
        value > 65535) {
        return false;
    }
    port = value;
    return true;
}

std::string PortArgument(const std::string& portAddress, unsigned port) {
    return portAddress + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

DataConnection::DataConnection(FtpClient& client, platform::Socket& call)
    : m_client(client), m_call(call) {}

DataConnection::~DataConnection() {
    CloseSockets(false);
}

bool DataConnection::Prepare(const std::string& type) {
    m_passive = m_client.PassiveMode();
    if (!m_passive) {
        // The listening socket comes first: without it there is nothing to announce.
        std::string address;
        unsigned port = 0;
        const auto family = m_client.m_controlIPv6 ? platform::Socket::Family::IPv6
                                                   : platform::Socket::Family::IPv4;
        if (!m_listener.Create(family) || !m_listener.Listen() ||
            !m_listener.LocalAddress(address, port)) {
            m_client.ShowSocketError(m_listener.LastError());
            m_listener.Close();
            return false;
        }
        m_listenPort = port;
    }
    if (!m_client.m_typeOnChangeOnly || m_client.m_currentType != type) {
        std::string reply;
        m_client.m_currentType.clear();
        if (!m_client.SendCommand(m_call, "TYPE " + type) ||
            !m_client.ReadReply(m_call, reply, false)) {
            return false;
        }
        m_client.m_currentType = type;
    }
    return m_passive ? PreparePassive() : PrepareActive();
}

bool DataConnection::PrepareActive() {
    const std::string command =
        m_client.m_controlIPv6
            ? "EPRT |2|" + m_client.m_portAddress + "|" + std::to_string(m_listenPort) + "|"
            : "PORT " + PortArgument(m_client.m_portAddress, m_listenPort);
    std::string reply;
    if (!m_client.SendCommand(m_call, command)) {
        return false;
    }
    if (!m_client.ReadReply(m_call, reply, false)) {
        FallBackAfter(true);
        return false;
    }
    return true;
}

bool DataConnection::PreparePassive() {
    std::string reply;
    unsigned port = 0;
    bool named = false;
    // A 425 to EPSV or PASV is a server that found no free port of its range this instant
    // (several connections opening data connections at once): asked once more, it usually has.
    auto ask = [this, &reply](const char* command) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!m_client.SendCommand(m_call, command)) {
                return false;
            }
            if (m_client.ReadReply(m_call, reply, false)) {
                return true;
            }
            if (m_client.m_connectionLost || m_client.m_lastReplyCode != "425") {
                return false;
            }
        }
        return false;
    };
    if (!m_client.m_epsvRefused) {
        if (ask("EPSV")) {
            named = ParseEpsvPort(reply, port);
        } else if (m_client.m_connectionLost || m_client.m_lastReplyCode[0] != '5') {
            return false;
        } else {
            // Older servers know only PASV; asking EPSV again on this connection is wasted.
            m_client.m_epsvRefused = true;
        }
    }
    if (m_client.m_epsvRefused) {
        if (!ask("PASV")) {
            return false;
        }
        named = ParsePasvPort(reply, port);
    }
    if (!named) {
        m_client.m_owner.ShowMessage(res::LoadString(res::kTextNoPassivePort), BoxButtons::Ok,
                                     BoxIcon::Warning);
        return false;
    }
    // Always the server we are talking to: a PASV reply naming another host is not followed.
    if (!m_data.ConnectToPeerOf(m_client.m_controlSocket, port)) {
        m_client.ShowSocketError(m_data.LastError());
        m_data.Close();
        return false;
    }
    m_data.SetIdleLimit(FtpClient::IdleLimit());
    return true;
}

void DataConnection::FallBackAfter(bool announcement) {
    if (m_passive || m_client.m_connectionLost) {
        return;
    }
    const std::string& code = m_client.m_lastReplyCode;
    if (code == "425" || (announcement && code[0] == '5')) {
        m_client.m_fellBackToPassive = true;
        m_fellBack = true;
        m_client.m_owner.AppendLog(res::LoadString(res::kTextPassiveFromNowOn));
    }
}

bool DataConnection::Request(const std::string& command, std::string& reply) {
    if (!m_client.SendCommand(m_call, command)) {
        return false;
    }
    if (!m_client.ReadReply(m_call, reply, false)) {
        FallBackAfter(false);
        return false;
    }
    return true;
}

bool DataConnection::Open(std::string& replies) {
    if (m_passive) {
        return SecureData(); // connected in Prepare
    }
    std::string serverAddress;
    if (!m_call.PeerAddress(serverAddress)) {
        m_client.ShowSocketError(m_call.LastError());
        return false;
    }
    // A server that cannot reach us says so on the control connection (425) instead of
    // connecting; waiting on the listening socket alone would then never end. A server that
    // keeps sending preliminary replies instead is cut off before they pile up.
    int repliesWhileWaiting = 0;
    for (;;) {
        bool connectionReady = false;
        bool replyReady = false;
        int error = 0;
        // A reply the control connection's TLS layer holds already shows on no handle.
        if (m_client.m_controlTls && m_client.m_controlTls->HasBuffered()) {
            replyReady = true;
        } else if (!platform::WaitReadable(m_listener, m_call, connectionReady, replyReady, error,
                                           FtpClient::IdleLimit())) {
            if (!m_client.BreakAfterWait(m_call, error)) {
                m_client.ShowSocketError(error);
            }
            return false;
        }
        if (connectionReady) {
            if (!m_listener.Accept(m_data)) {
                m_client.ShowSocketError(m_listener.LastError());
                return false;
            }
            // Only the server may connect: another process or host could plant a listing or
            // a file, or take what we upload.
            std::string peer;
            if (m_data.PeerAddress(peer) && peer == serverAddress) {
                m_data.SetIdleLimit(FtpClient::IdleLimit());
                return SecureData();
            }
            m_data.Close();
            continue;
        }
        if (replyReady) {
            if (++repliesWhileWaiting > kMaxRepliesWhileWaiting ||
                replies.size() > kMaxReplyBytesWhileWaiting) {
                m_client.BreakConnection(m_call, res::kTextReplyTooLong);
                return false;
            }
            std::string reply;
            const bool accepted = m_client.ReadReply(m_call, reply, false);
            replies += reply;
            if (!accepted) {
                FallBackAfter(false);
                return false;
            }
        }
    }
}

bool DataConnection::SecureData() {
    if (!m_client.m_controlTls) {
        return true;
    }
    // The TLS client also on a connection we accepted, with the control connection's session:
    // servers such as vsftpd refuse data connections that do not reuse it.
    m_dataTls = std::make_unique<platform::TlsStream>();
    if (!m_dataTls->Handshake(m_data, m_client.m_tlsHost, m_client.m_controlTls.get())) {
        m_client.ShowStreamError(*m_dataTls);
        return false;
    }
    return true;
}

void DataConnection::EndSentData() {
    // close_notify, then our half of the connection. Closing a socket that holds unread bytes
    // (a TLS 1.3 server's session tickets, its own close_notify) sends a reset, which may take
    // the end of an upload with it before the server has read it; so read on until the server
    // closes or answers on the control connection. (A download has read to the end, or was
    // cancelled and must not read the rest.)
    m_dataTls->CloseNotify();
    m_data.ShutdownSend();
    char buffer[4096];
    for (;;) {
        if (!m_dataTls->HasBuffered()) {
            bool dataReady = false;
            bool replyReady = false;
            int error = 0;
            if ((m_client.m_controlTls && m_client.m_controlTls->HasBuffered()) ||
                !platform::WaitReadable(m_data, m_call, dataReady, replyReady, error) ||
                !dataReady) {
                return;
            }
        }
        if (m_dataTls->Receive(buffer, sizeof buffer) <= 0) {
            return;
        }
    }
}

void DataConnection::CloseSockets(bool sent) {
    if (m_dataTls) {
        if (sent) {
            EndSentData();
        } else {
            m_dataTls->CloseNotify();
        }
        m_dataTls.reset();
    }
    if (m_data.IsValid()) {
        m_data.ShutdownBoth();
        m_data.Close();
    }
    if (m_listener.IsValid()) {
        m_listener.ShutdownBoth();
        m_listener.Close();
    }
}

bool DataConnection::Finish(bool sent) {
    CloseSockets(sent);
    // Some servers send the 150 and the 226 in one packet; then nothing more is due. The code,
    // not the line count, decides: a multi-line 150 still owes its 226.
    if (m_client.m_lastReplyCode[0] == '1') {
        std::string completion;
        return m_client.ReadReply(m_call, completion, false);
    }
    return true;
}

bool DataConnection::Failed() {
    const platform::Stream& data = Data();
    if (!m_client.BreakAfterWait(m_call, data.LastError())) {
        m_client.ShowStreamError(data);
    }
    return Abandon();
}

bool DataConnection::Abandon() {
    CloseSockets(false);
    if (m_client.m_lastReplyCode[0] == '1' && !m_client.m_connectionLost &&
        m_client.m_controlSocket.IsValid()) {
        std::string reply;
        m_client.ReadReply(m_call, reply, false);
    }
    return false;
}

} // namespace ftp
