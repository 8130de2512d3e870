#include "ftp/ftp_client.h"

#include <cerrno>
#include <charconv>

#include "platform/system_error.h"
#include "res/ascii_case.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "res/visible_text.h"

namespace ftp {

namespace {

constexpr std::size_t kReplyReceiveSize = 1024;
// A reply that grows this far without a final line is not a reply any more.
constexpr std::size_t kMaxReplyLength = 1024 * 1024;

bool HoldsLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

bool ParsePort(const std::string& text, unsigned& port) {
    unsigned value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || text.size() > 5 || ec != std::errc() || end != last || value < 1 ||
        value > 65535) {
        return false;
    }
    port = value;
    return true;
}

} // namespace

void SplitServerPort(const std::string& name, std::string& host, unsigned& port,
                     unsigned defaultPort) {
    host = name;
    port = defaultPort;
    if (!name.empty() && name[0] == '[') {
        const std::size_t close = name.find(']');
        if (close == std::string::npos) {
            return;
        }
        const std::string rest = name.substr(close + 1);
        unsigned value = defaultPort;
        if (rest.empty() || (rest[0] == ':' && ParsePort(rest.substr(1), value))) {
            host = name.substr(1, close - 1);
            port = value;
        }
        return;
    }
    const std::size_t colon = name.rfind(':');
    // Two colons or more: an IPv6 address, whose last group is no port.
    if (colon == std::string::npos || name.find(':') != colon) {
        return;
    }
    unsigned value = 0;
    if (ParsePort(name.substr(colon + 1), value)) {
        host = name.substr(0, colon);
        port = value;
    }
}

ServerName ParseServerName(const std::string& name) {
    struct Scheme {
        const char* prefix;
        Security security;
        unsigned port;
    };
    static const Scheme kSchemes[] = {{"ftp://", Security::Plain, 21},
                                      {"ftpes://", Security::Explicit, 21},
                                      {"ftps://", Security::Implicit, 990}};
    ServerName server;
    std::string rest = name;
    for (const Scheme& scheme : kSchemes) {
        const std::string prefix = scheme.prefix;
        std::string start = name.substr(0, prefix.size());
        res::LowerAscii(start);
        if (start == prefix) {
            server.security = scheme.security;
            server.port = scheme.port;
            rest = name.substr(prefix.size());
            rest = rest.substr(0, rest.find('/'));
            break;
        }
    }
    SplitServerPort(rest, server.host, server.port, server.port);
    return server;
}

FtpClient::FtpClient(IEngineOwner& owner) : m_owner(owner) {}

FtpClient::~FtpClient() = default;

bool FtpClient::CreateControlSocket(int& error) {
    m_controlTls.reset();
    if (!m_controlSocket.Create()) {
        error = m_controlSocket.LastError();
        return false;
    }
    error = 0;
    return true;
}

void FtpClient::CloseControlConnection() {
    if (m_controlTls) {
        m_controlTls->CloseNotify();
        m_controlTls.reset();
    }
    m_controlSocket.ShutdownBoth();
    m_controlSocket.Close();
}

void FtpClient::ShowSocketError(int code) {
    m_owner.ShowMessage(platform::SystemErrorText(code), BoxButtons::Ok, BoxIcon::Warning);
}

void FtpClient::ShowStreamError(const platform::Stream& stream) {
    m_owner.ShowMessage(stream.ErrorText(), BoxButtons::Ok, BoxIcon::Warning);
}

void FtpClient::ReportStreamFailure(const platform::Stream& failed) {
    if (failed.TimedOut()) {
        m_owner.AppendLog(res::LoadString(res::kTextStoppedAnswering));
    } else if (failed.LastError() == ECANCELED) {
        m_owner.AppendLog(res::LoadString(res::kTextWaitCanceled));
        m_owner.ClearCancelRequest(); // honoured
    } else {
        ShowStreamError(failed);
    }
}

bool FtpClient::BreakAfterWait(platform::Stream& control, int error) {
    if (error == ECANCELED) {
        m_owner.ClearCancelRequest(); // honoured
        BreakConnection(control, res::kTextWaitCanceled);
        return true;
    }
    if (error == ETIMEDOUT) {
        BreakConnection(control, res::kTextStoppedAnswering);
        return true;
    }
    return false;
}

void FtpClient::BreakConnection(platform::Stream& control, int textId) {
    if (textId != 0) {
        m_owner.AppendLog(res::LoadString(textId));
    }
    // Shut down, not closed: the handle stays ours until the next connect replaces it, so no
    // per-call reference can meet a handle number taken by another socket meanwhile.
    control.ShutdownBoth();
    m_connectionLost = true;
    m_owner.DisconnectCleanup();
}

void FtpClient::ShowFileError(int code) {
    m_owner.ShowMessage(platform::SystemErrorText(code), BoxButtons::Ok, BoxIcon::Warning);
}

BoxAnswer FtpClient::AskYesNo(const std::string& prefix, int stringId) {
    return m_owner.ShowMessage(prefix + res::LoadString(stringId), BoxButtons::YesNo,
                               BoxIcon::Question);
}

bool FtpClient::SendCommand(platform::Stream& stream, const std::string& command) {
    // A line break inside the text would smuggle a second command onto the wire.
    if (HoldsLineBreak(command)) {
        return false;
    }
    m_connectionLost = false;
    const std::string line = command + "\r\n";
    m_owner.AppendLog(">" + line);
    platform::Stream& wire = Wire(stream);
    if (!wire.SendAll(line.data(), line.size())) {
        ReportStreamFailure(wire);
        BreakConnection(stream);
        return false;
    }
    return true;
}

bool FtpClient::SendPassword(platform::Stream& stream, const std::string& password) {
    if (HoldsLineBreak(password)) {
        return false;
    }
    const std::string line = "PASS " + password + "\r\n";
    m_owner.AppendLog(">PASS " + std::string(password.size(), '*') + "\r\n");
    platform::Stream& wire = Wire(stream);
    if (!wire.SendAll(line.data(), line.size())) {
        ReportStreamFailure(wire);
        return false;
    }
    return true;
}

bool FtpClient::IsReplyComplete(const std::string& text, char& firstDigit) {
    const std::size_t length = text.size();
    if (length < 2 || text[length - 2] != '\r' || text[length - 1] != '\n') {
        return false;
    }
    // The final line runs from after the last LF but one up to (and including) the final CR.
    const std::size_t finalLf = length - 1;
    const std::size_t previousLf = finalLf == 0 ? std::string::npos : text.rfind('\n', finalLf - 1);
    const std::size_t start = previousLf == std::string::npos ? 0 : previousLf + 1;
    if (start + 3 >= finalLf) {
        return false;
    }
    if (!res::IsAsciiDigit(text[start]) || !res::IsAsciiDigit(text[start + 1]) ||
        !res::IsAsciiDigit(text[start + 2]) || text[start + 3] != ' ') {
        return false;
    }
    firstDigit = text[start];
    m_lastReplyCode = text.substr(start, 3);
    return true;
}

bool FtpClient::ReadReply(platform::Stream& stream, std::string& reply, bool breakLineFirst) {
    // A reply that trickles in byte by byte never lets the idle limit pass: it has a limit of
    // its own.
    const platform::WaitBound bound(nullptr, s_completionLimitMs);
    reply.clear();
    m_connectionLost = false;
    platform::Stream& wire = Wire(stream);
    char buffer[kReplyReceiveSize + 1];
    // Counted in bytes received, not in text kept: zero bytes keep no text yet still arrive.
    std::size_t receivedTotal = 0;
    int textId = 0;
    for (;;) {
        const long received = wire.Receive(buffer, kReplyReceiveSize);
        if (received == 0) {
            break;
        }
        if (received < 0) {
            if (breakLineFirst) {
                m_owner.AppendLog("\r\n");
                breakLineFirst = false;
            }
            ReportStreamFailure(wire);
            break;
        }
        buffer[received] = '\0';
        // Handled as zero-terminated text: whatever follows a zero byte is dropped.
        const std::string chunk(buffer);
        if (breakLineFirst) {
            m_owner.AppendLog("\r\n");
            breakLineFirst = false;
        }
        if (!chunk.empty()) {
            m_owner.AppendLog(chunk);
        }
        reply += chunk;
        char firstDigit = 0;
        if (IsReplyComplete(reply, firstDigit)) {
            // 421: the server is closing the connection. During the login it is a refusal
            // like any other; later it ends the session here, before another command is sent.
            if (m_lastReplyCode == "421" && !m_loggingIn) {
                BreakConnection(stream);
                return false;
            }
            return firstDigit != '4' && firstDigit != '5';
        }
        receivedTotal += static_cast<std::size_t>(received);
        if (receivedTotal > kMaxReplyLength) {
            textId = res::kTextReplyTooLong;
            break;
        }
    }
    if (breakLineFirst) {
        m_owner.AppendLog("\r\n");
    }
    BreakConnection(stream, textId);
    return false;
}

void FtpClient::ConnectFailed(platform::Socket& call) {
    m_owner.SetConnectPhase(kPhaseDone);
    CloseControlConnection();
    call.Release();
}

bool FtpClient::FtpConnect(const std::string& host, const std::string& user,
                           const std::string& password, unsigned port,
                           const std::string& displayName, const TlsRequest& tls) {
    const platform::WaitBound cancellable = CancellableWaits();
    platform::Socket call;
    m_loggingIn = true;
    struct LoginEnds {
        bool& flag;
        ~LoginEnds() { flag = false; }
    } loginEnds{m_loggingIn};
    ForgetConnection(host);
    // The log names the server as the user typed it, port suffix included.
    m_owner.AppendLog(res::LoadString(res::kTextConnectingTo) +
                      (displayName.empty() ? host : displayName));
    return OpenControl(call, host, port, tls) && NoteLocalAddress(call) &&
           SecureExplicitly(call, tls) && Protect(call, tls) && LogIn(call, user, password) &&
           DiscoverFeatures(call);
}

void FtpClient::ForgetConnection(const std::string& host) {
    m_fellBackToPassive = false;
    m_epsvRefused = false;
    m_currentType.clear();
    m_features = {};
    m_setTimeRefused = false;
    m_exactTimes.clear();
    m_controlTls.reset();
    m_tlsHost = host;
    m_acceptedFingerprint.clear();
}

bool FtpClient::OpenControl(platform::Socket& call, const std::string& host, unsigned port,
                            const TlsRequest& tls) {
    m_owner.SetConnectPhase(kPhaseConnecting);
    m_controlSocket.SetIdleLimit(s_idleLimitMs);
    // Only the resolved address tells the family, so the socket made beforehand may be replaced
    // here: this connects the owned control socket itself, the call's reference comes after.
    if (!m_controlSocket.Connect(host, port)) {
        if (m_controlSocket.LastError() == ECANCELED) {
            m_owner.AppendLog("\r\n" + res::LoadString(res::kTextWaitCanceled));
            m_owner.ClearCancelRequest();
        } else if (host.empty()) {
            m_owner.ShowMessage(res::LoadString(res::kTextNoServerName), BoxButtons::Ok,
                                BoxIcon::Warning);
        } else if (!m_controlSocket.ResolveError().empty()) {
            // The resolver's own words say whether the name is unknown or the network is down.
            m_owner.ShowMessage(res::LoadString(res::kTextCannotResolve) + host + "\":\r\n" +
                                    m_controlSocket.ResolveError(),
                                BoxButtons::Ok, BoxIcon::Warning);
        } else {
            ShowSocketError(m_controlSocket.LastError());
        }
        ConnectFailed(call);
        return false;
    }
    call.Attach(m_controlSocket);
    // Implicit TLS: the handshake comes first, and its log line starts the fresh line.
    const bool implicit = tls.security == Security::Implicit;
    if (implicit && !SecureControl(call, tls, true)) {
        return false;
    }
    std::string greeting;
    if (!ReadReply(call, greeting, !implicit)) {
        ConnectFailed(call);
        return false;
    }
    m_owner.SetConnectPhase(kPhaseDone);
    return true;
}

bool FtpClient::NoteLocalAddress(platform::Socket& call) {
    std::string address;
    unsigned localPort = 0;
    platform::Socket::Family family = platform::Socket::Family::IPv4;
    if (!m_controlSocket.LocalAddress(address, localPort) || !m_controlSocket.GetFamily(family)) {
        ConnectFailed(call);
        return false;
    }
    m_controlIPv6 = family == platform::Socket::Family::IPv6;
    if (!m_controlIPv6) {
        for (char& c : address) {
            if (c == '.') {
                c = ',';
            }
        }
    }
    m_portAddress = address;
    return true;
}

bool FtpClient::LoginRefused(platform::Socket& call) {
    // A refused USER or PASS ends with QUIT; a connection already gone is only closed, so the
    // user does not meet a second error and a second disconnect for the same loss.
    call.Release();
    // After a 421 the server is gone as surely as after a drop.
    if (m_connectionLost || m_lastReplyCode == "421") {
        CloseControlConnection();
    } else {
        FtpQuit();
    }
    return false;
}

bool FtpClient::LoginExchange(platform::Socket& call, const std::string& command, bool password) {
    if (!(password ? SendPassword(call, command) : SendCommand(call, command))) {
        ConnectFailed(call);
        return false;
    }
    std::string reply;
    return ReadReply(call, reply, false) || LoginRefused(call);
}

bool FtpClient::SecureExplicitly(platform::Socket& call, const TlsRequest& tls) {
    if (tls.security != Security::Explicit) {
        return true;
    }
    if (!SendCommand(call, "AUTH TLS")) {
        ConnectFailed(call);
        return false;
    }
    // Only a 2xx (234) lets the handshake begin; anything else, and nothing more but QUIT is
    // sent: a user who asked for TLS never sends the password in clear.
    std::string reply;
    if (!ReadReply(call, reply, false) || m_lastReplyCode[0] != '2') {
        if (!m_connectionLost) {
            m_owner.ShowMessage(res::LoadString(res::kTextTlsRefused), BoxButtons::Ok,
                                BoxIcon::Warning);
        }
        return LoginRefused(call);
    }
    return SecureControl(call, tls, false);
}

bool FtpClient::Protect(platform::Socket& call, const TlsRequest& tls) {
    // A refusal of PBSZ or PROT ends the connection as a refused USER does.
    return tls.security == Security::Plain ||
           (LoginExchange(call, "PBSZ 0") && LoginExchange(call, "PROT P"));
}

bool FtpClient::LogIn(platform::Socket& call, const std::string& user,
                      const std::string& password) {
    return LoginExchange(call, "USER " + user) && LoginExchange(call, password, true);
}

bool FtpClient::DiscoverFeatures(platform::Socket& call) {
    std::string reply;
    if (!SendCommand(call, "FEAT")) {
        return false;
    }
    if (ReadReply(call, reply, false)) {
        m_features = ParseFeatures(reply);
    }
    if (m_connectionLost) {
        return false;
    }
    // Names go as bytes either way; this only tells the server to take and send UTF-8.
    if (m_features.utf8 && SendCommand(call, "OPTS UTF8 ON")) {
        ReadReply(call, reply, false);
    }
    return !m_connectionLost;
}

bool FtpClient::SecureControl(platform::Socket& call, const TlsRequest& tls, bool breakLineFirst) {
    auto stream = std::make_unique<platform::TlsStream>();
    const bool shook = stream->Handshake(m_controlSocket, m_tlsHost);
    if (breakLineFirst) {
        m_owner.AppendLog("\r\n");
    }
    m_owner.SetConnectPhase(kPhaseDone);
    if (!shook) {
        // As a connection lost while a reply is awaited, with the reason shown.
        ShowStreamError(*stream);
        m_connectionLost = true;
        m_owner.DisconnectCleanup();
        ConnectFailed(call);
        return false;
    }
    m_owner.AppendLog(res::LoadString(res::kTextTlsSecured) + stream->Version() + ", " +
                      stream->Cipher() + "\r\n");
    const platform::CertificateInfo certificate = stream->PeerCertificate();
    const bool known =
        !certificate.fingerprint.empty() && certificate.fingerprint == tls.trustedFingerprint;
    if (!certificate.verified && !known) {
        std::string question;
        if (!tls.trustedFingerprint.empty()) {
            question += res::LoadString(res::kTextCertChanged);
        }
        question += res::LoadString(res::kTextCertUnverified) + certificate.problem + ".\n\n" +
                    res::LoadString(res::kTextCertSubject) +
                    res::VisibleText(certificate.subject, false) + "\n" +
                    res::LoadString(res::kTextCertIssuer) +
                    res::VisibleText(certificate.issuer, false) + "\n" +
                    res::LoadString(res::kTextCertValidFrom) + certificate.notBefore +
                    res::LoadString(res::kTextCertValidTo) + certificate.notAfter + "\n" +
                    res::LoadString(res::kTextCertFingerprint) + certificate.fingerprint + "\n\n" +
                    res::LoadString(res::kTextCertTrust);
        if (m_owner.ShowMessage(question, BoxButtons::YesNo, BoxIcon::Question) != BoxAnswer::Yes) {
            // Not a byte more to a server the user does not trust, not even TLS's goodbye.
            stream->Abandon();
            ConnectFailed(call);
            return false;
        }
        m_acceptedFingerprint = certificate.fingerprint;
    }
    m_controlTls = std::move(stream);
    return true;
}

bool FtpClient::FtpCurrentFolder(std::string& path) {
    const platform::WaitBound cancellable = CancellableWaits();
    platform::Socket call;
    call.Attach(m_controlSocket);
    std::string reply;
    if (!SendCommand(call, "PWD") || !ReadReply(call, reply, false)) {
        return false;
    }
    // UTF-8 never uses the quote byte inside a character, so a byte search is safe.
    const std::size_t open = reply.find('"');
    if (open == std::string::npos || open + 1 >= reply.size()) {
        return false;
    }
    const std::size_t close = reply.find('"', open + 1);
    if (close == std::string::npos) {
        return false;
    }
    path = reply.substr(open + 1, close - open - 1);
    return true;
}

void FtpClient::FtpQuit() {
    platform::Socket call;
    call.Attach(m_controlSocket);
    // A connection found broken is only closed: a QUIT on it would meet a second error.
    if (!m_connectionLost && SendCommand(call, "QUIT")) {
        std::string reply;
        ReadReply(call, reply, false);
    }
    call.Release();
    CloseControlConnection();
}

} // namespace ftp
