#include "support/scripted_ftp_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <utility>

#include "support/test_sockets.h"

namespace testsupport {

namespace {

// Every wait of the server ends by itself after this long, so a broken test never hangs.
constexpr int kGiveUpMs = 10000;
constexpr int kSliceMs = 20;

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SendAllBytes(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long sent = sockets::Send(fd, bytes.data() + done, bytes.size() - done);
        if (sent < 0) {
            if (sockets::Retry()) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

} // namespace

Script& Script::Greeting(const std::string& reply) {
    steps.push_back(ScriptStep{});
    return Reply(reply);
}

Script& Script::On(const std::string& command) {
    steps.push_back(ScriptStep{command, {}});
    return *this;
}

Script& Script::Reply(const std::string& bytes) {
    steps.back().actions.push_back({ScriptAction::Kind::Reply, bytes, 0});
    return *this;
}

Script& Script::Pause(int ms) {
    steps.back().actions.push_back({ScriptAction::Kind::Pause, "", ms});
    return *this;
}

Script& Script::Close() {
    steps.back().actions.push_back({ScriptAction::Kind::Close, "", 0});
    return *this;
}

Script& Script::Reset() {
    steps.back().actions.push_back({ScriptAction::Kind::Reset, "", 0});
    return *this;
}

Script& Script::ResetData(const std::string& bytes) {
    steps.back().actions.push_back({ScriptAction::Kind::ResetData, bytes, 0});
    return *this;
}

Script& Script::ResetDataOnArrival() {
    steps.back().actions.push_back({ScriptAction::Kind::ResetDataOnArrival, "", 0});
    return *this;
}

Script& Script::SendData(const std::string& bytes, int delayMs) {
    steps.back().actions.push_back({ScriptAction::Kind::SendData, bytes, delayMs});
    return *this;
}

Script& Script::ReceiveData() {
    steps.back().actions.push_back({ScriptAction::Kind::ReceiveData, "", 0});
    return *this;
}

Script& Script::Listen(const std::string& reply) {
    steps.back().actions.push_back({ScriptAction::Kind::Listen, reply, 0});
    return *this;
}

Script& Script::Flood(const std::string& pattern, std::size_t limit) {
    steps.back().actions.push_back({ScriptAction::Kind::Flood, pattern, 0, limit});
    return *this;
}

Script& Script::FloodData(const std::string& pattern, std::size_t limit) {
    steps.back().actions.push_back({ScriptAction::Kind::FloodData, pattern, 0, limit});
    return *this;
}

Script& Script::TrickleData(const std::string& bytes, int intervalMs) {
    steps.back().actions.push_back({ScriptAction::Kind::TrickleData, bytes, intervalMs});
    return *this;
}

Script& Script::HoldData(const std::string& bytes) {
    steps.back().actions.push_back({ScriptAction::Kind::HoldData, bytes, 0});
    return *this;
}

Script& Script::StallData() {
    steps.back().actions.push_back({ScriptAction::Kind::StallData, "", 0});
    return *this;
}

Script& Script::Intrude(const std::string& bytes) {
    steps.back().actions.push_back({ScriptAction::Kind::Intrude, bytes, 0});
    return *this;
}

Script& Script::Login() {
    return Greeting("220 Scripted server ready\r\n")
        .On("USER u")
        .Reply("331 Password required\r\n")
        .On("PASS p")
        .Reply("230 Logged in\r\n")
        .NoFeatures();
}

Script& Script::NoFeatures() {
    return On("FEAT").Reply("500 FEAT not understood\r\n");
}

Script& Script::DataPreparation(const std::string& type) {
    return On("TYPE " + type)
        .Reply("200 Type set\r\n")
        .On("PORT *")
        .Reply("200 PORT command successful\r\n");
}

Script Script::AtRoot() {
    Script script;
    script.Login().On("PWD").Reply("257 \"/\" is current directory.\r\n");
    return script;
}

Script Script::Connected(const std::string& rootListing) {
    Script script = AtRoot();
    script.Listing("LIST", rootListing);
    return script;
}

Script& Script::Listing(const std::string& command, const std::string& listing) {
    return DataPreparation("A")
        .On(command)
        .Reply("150 Here comes the listing.\r\n")
        .SendData(listing)
        .Reply("226 Done.\r\n");
}

Script& Script::Retrieval(const std::string& type, const std::string& path,
                          const std::string& data) {
    return DataPreparation(type)
        .On("RETR " + path)
        .Reply("150 Sending.\r\n")
        .SendData(data)
        .Reply("226 Sent.\r\n");
}

Script& Script::PassivePreparation(const std::string& type) {
    return On("TYPE " + type)
        .Reply("200 Type set\r\n")
        .On("EPSV")
        .Listen("229 Entering Extended Passive Mode (|||%P%|)\r\n");
}

ScriptedFtpServer::ScriptedFtpServer(Script script) : m_steps(std::move(script.steps)) {
    m_listenFd = sockets::Open(AF_INET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listenFd, 5) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Problem("cannot listen on 127.0.0.1");
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    Stop();
    if (m_listenFd >= 0) {
        sockets::Close(m_listenFd);
    }
    if (m_passiveFd >= 0) {
        sockets::Close(m_passiveFd);
    }
}

void ScriptedFtpServer::Stop() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_refuser.joinable()) {
        m_refuser.join();
    }
}

void ScriptedFtpServer::RefuseMore() {
    while (!m_stop) {
        if (sockets::PollOne(m_listenFd, POLLIN, kSliceMs) <= 0) {
            continue;
        }
        const int fd = sockets::Accept(m_listenFd);
        if (fd >= 0) {
            SendAllBytes(fd, "421 Too many connections.\r\n");
            sockets::Close(fd);
            ++m_refused;
        }
    }
}

std::string ScriptedFtpServer::Transcript() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transcript;
}

std::string ScriptedFtpServer::DataReceived() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_data;
}

std::string ScriptedFtpServer::Problems() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_problems;
}

void ScriptedFtpServer::Problem(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_problems += text + "\n";
}

bool ScriptedFtpServer::WaitReadable(int fd, bool untilStop) {
    for (int waited = 0; waited < kGiveUpMs && !(untilStop && m_stop); waited += kSliceMs) {
        if (sockets::PollOne(fd, POLLIN, kSliceMs) > 0) {
            return true;
        }
    }
    return false;
}

bool ScriptedFtpServer::ReadLine(int fd, std::string& pending, std::string& line) {
    for (;;) {
        const std::size_t lf = pending.find('\n');
        if (lf != std::string::npos) {
            line = pending.substr(0, lf);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            pending.erase(0, lf + 1);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_transcript += line + "\n";
            return true;
        }
        if (!WaitReadable(fd)) {
            return false;
        }
        char buffer[4096];
        const long received = sockets::Receive(fd, buffer, sizeof buffer);
        if (received <= 0) {
            return false;
        }
        pending.append(buffer, static_cast<std::size_t>(received));
    }
}

void ScriptedFtpServer::ListenData(const std::string& reply, int controlFd) {
    if (m_passiveFd >= 0) {
        sockets::Close(m_passiveFd);
    }
    m_passiveFd = sockets::Open(AF_INET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_passiveFd < 0 ||
        ::bind(m_passiveFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_passiveFd, 1) != 0 ||
        ::getsockname(m_passiveFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Problem("cannot listen for a data connection");
        return;
    }
    const unsigned port = ntohs(address.sin_port);
    std::string text = reply;
    const std::pair<const char*, unsigned> fields[] = {
        {"%P%", port}, {"%P1%", port / 256}, {"%P2%", port % 256}};
    for (const auto& [field, value] : fields) {
        const std::size_t at = text.find(field);
        if (at != std::string::npos) {
            text.replace(at, std::string(field).size(), std::to_string(value));
        }
    }
    SendAllBytes(controlFd, text);
}

int ScriptedFtpServer::ConnectData(int delayMs) {
    SleepMs(delayMs);
    if (m_passiveFd >= 0) {
        const int listener = m_passiveFd;
        m_passiveFd = -1;
        const int fd = WaitReadable(listener) ? sockets::Accept(listener) : -1;
        sockets::Close(listener);
        if (fd < 0) {
            Problem("the client did not open the passive data connection");
            return -1;
        }
        ++m_dataConnections;
        return fd;
    }
    unsigned h1, h2, h3, h4, p1, p2;
    if (std::sscanf(m_lastPort.c_str(), "PORT %u,%u,%u,%u,%u,%u", &h1, &h2, &h3, &h4, &p1, &p2) !=
        6) {
        Problem("no PORT before a data connection");
        return -1;
    }
    // The tests talk to the loopback interface and nothing else.
    if (h1 != 127 || h2 != 0 || h3 != 0 || h4 != 1) {
        Problem("PORT address is not 127.0.0.1: " + m_lastPort);
        return -1;
    }
    const int fd = sockets::Open(AF_INET);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    peer.sin_port = htons(static_cast<uint16_t>(p1 * 256 + p2));
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        Problem("data connection refused");
        if (fd >= 0) {
            sockets::Close(fd);
        }
        return -1;
    }
    ++m_dataConnections;
    return fd;
}

void ScriptedFtpServer::SendData(const std::string& bytes, int delayMs) {
    const int fd = ConnectData(delayMs);
    if (fd < 0) {
        return;
    }
    // A client that stops early makes the send fail; that is its right.
    SendAllBytes(fd, bytes);
    sockets::ShutdownSend(fd);
    // Wait for the client to close its side: it has then read the reply before the data, so
    // the next reply can never arrive in the same receive as the earlier one.
    char buffer[4096];
    while (WaitReadable(fd, false) && sockets::Receive(fd, buffer, sizeof buffer) > 0) {
    }
    sockets::Close(fd);
}

void ScriptedFtpServer::ReceiveData() {
    const int fd = ConnectData(0);
    if (fd < 0) {
        return;
    }
    char buffer[65536];
    for (;;) {
        if (!WaitReadable(fd, false)) {
            Problem("data connection not closed by the client");
            break;
        }
        const long received = sockets::Receive(fd, buffer, sizeof buffer);
        if (received <= 0) {
            break;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_data.append(buffer, static_cast<std::size_t>(received));
    }
    sockets::Close(fd);
}

void ScriptedFtpServer::Flood(int fd, const std::string& pattern, std::size_t limit) {
    std::string block;
    while (block.size() < 65536) {
        block += pattern;
    }
    std::size_t sent = 0;
    int stalledMs = 0;
    while (sent < limit && stalledMs < kGiveUpMs && !m_stop) {
        if (sockets::PollOne(fd, POLLOUT, kSliceMs) <= 0) {
            stalledMs += kSliceMs; // the client takes nothing more
            continue;
        }
        stalledMs = 0;
        const std::size_t offset = sent % pattern.size();
        const long n = sockets::Send(fd, block.data() + offset,
                                     std::min(block.size() - offset, limit - sent), true);
        if (n < 0 && !sockets::Retry()) {
            break; // closed by the client
        }
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
        m_floodSent = sent;
    }
}

void ScriptedFtpServer::HoldData(const std::string& bytes) {
    const int fd = ConnectData(0);
    if (fd < 0) {
        return;
    }
    SendAllBytes(fd, bytes);
    char buffer[4096];
    while (WaitReadable(fd) && sockets::Receive(fd, buffer, sizeof buffer) > 0) {
    }
    sockets::Close(fd);
}

void ScriptedFtpServer::TrickleData(const std::string& bytes, int intervalMs) {
    const int fd = ConnectData(0);
    if (fd < 0) {
        return;
    }
    for (char byte : bytes) {
        if (m_stop || sockets::Send(fd, &byte, 1) != 1) {
            break;
        }
        SleepMs(intervalMs);
    }
    sockets::Close(fd);
}

void ScriptedFtpServer::StallData() {
    const int fd = ConnectData(0);
    if (fd < 0) {
        return;
    }
    // Reading nothing, the server cannot see the client close; the client's own limit ends it.
    for (int waited = 0; waited < kGiveUpMs && !m_stop; waited += kSliceMs) {
        SleepMs(kSliceMs);
    }
    sockets::Close(fd);
}

void ScriptedFtpServer::Intrude(const std::string& bytes) {
    unsigned h1, h2, h3, h4, p1, p2;
    if (std::sscanf(m_lastPort.c_str(), "PORT %u,%u,%u,%u,%u,%u", &h1, &h2, &h3, &h4, &p1, &p2) !=
        6) {
        Problem("no PORT before an intruder");
        return;
    }
    const int fd = sockets::Open(AF_INET);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(0x7f000002); // 127.0.0.2: loopback, yet not the server
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    peer.sin_port = htons(static_cast<uint16_t>(p1 * 256 + p2));
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        Problem("the intruder could not connect from 127.0.0.2");
        if (fd >= 0) {
            sockets::Close(fd);
        }
        return;
    }
    SendAllBytes(fd, bytes);
    sockets::ShutdownSend(fd);
    char buffer[4096];
    long n = 0;
    while (WaitReadable(fd, false) && (n = sockets::Receive(fd, buffer, sizeof buffer)) > 0) {
        m_intruderBytes += static_cast<std::size_t>(n);
    }
    if (n <= 0) {
        ++m_intrudersClosed;
    }
    sockets::Close(fd);
}

void ScriptedFtpServer::ResetData(const std::string& bytes, bool onArrival) {
    const int fd = ConnectData(0);
    if (fd < 0) {
        return;
    }
    SendAllBytes(fd, bytes);
    if (onArrival && WaitReadable(fd, false)) {
        char buffer[4096];
        sockets::Receive(fd, buffer, sizeof buffer);
    }
    sockets::ResetAndClose(fd);
}

void ScriptedFtpServer::Run() {
    if (!WaitReadable(m_listenFd)) {
        Problem("the client never connected");
        return;
    }
    const int fd = sockets::Accept(m_listenFd);
    if (fd < 0) {
        Problem("accept failed");
        return;
    }
    m_refuser = std::thread([this] { RefuseMore(); });
    std::string pending;
    bool open = true;
    bool reset = false;
    for (const ScriptStep& step : m_steps) {
        if (!step.expect.empty()) {
            std::string line;
            if (!ReadLine(fd, pending, line)) {
                Problem("expected \"" + step.expect + "\", the client sent nothing more");
                open = false;
                break;
            }
            const bool wildcard = step.expect.back() == '*';
            const std::string prefix =
                wildcard ? step.expect.substr(0, step.expect.size() - 1) : step.expect;
            if (wildcard ? line.compare(0, prefix.size(), prefix) != 0 : line != step.expect) {
                Problem("expected \"" + step.expect + "\", received \"" + line + "\"");
            }
            if (line.compare(0, 5, "PORT ") == 0) {
                m_lastPort = line;
            }
        }
        for (const ScriptAction& action : step.actions) {
            switch (action.kind) {
            case ScriptAction::Kind::Reply:
                SendAllBytes(fd, action.bytes);
                break;
            case ScriptAction::Kind::Pause:
                SleepMs(action.delayMs);
                break;
            case ScriptAction::Kind::Close:
                open = false;
                break;
            case ScriptAction::Kind::Reset:
                open = false;
                reset = true;
                break;
            case ScriptAction::Kind::SendData:
                SendData(action.bytes, action.delayMs);
                break;
            case ScriptAction::Kind::ReceiveData:
                ReceiveData();
                break;
            case ScriptAction::Kind::ResetData:
            case ScriptAction::Kind::ResetDataOnArrival:
                ResetData(action.bytes, action.kind == ScriptAction::Kind::ResetDataOnArrival);
                break;
            case ScriptAction::Kind::Listen:
                ListenData(action.bytes, fd);
                break;
            case ScriptAction::Kind::Flood:
                Flood(fd, action.bytes, action.limit);
                break;
            case ScriptAction::Kind::FloodData: {
                const int data = ConnectData(0);
                if (data >= 0) {
                    Flood(data, action.bytes, action.limit);
                    sockets::Close(data);
                }
                break;
            }
            case ScriptAction::Kind::HoldData:
                HoldData(action.bytes);
                break;
            case ScriptAction::Kind::TrickleData:
                TrickleData(action.bytes, action.delayMs);
                break;
            case ScriptAction::Kind::StallData:
                StallData();
                break;
            case ScriptAction::Kind::Intrude:
                Intrude(action.bytes);
                break;
            }
            if (!open) {
                break;
            }
        }
        if (!open) {
            break;
        }
    }
    // Past the script: keep recording whatever the client still sends until it closes.
    std::string line;
    while (open && ReadLine(fd, pending, line)) {
        Problem("unexpected \"" + line + "\" after the script");
    }
    if (reset) {
        sockets::ResetAndClose(fd);
        return;
    }
    sockets::ShutdownBoth(fd);
    sockets::Close(fd);
}

std::string MaskPort(const std::string& text) {
    std::string result = text;
    std::size_t at = 0;
    while ((at = result.find("PORT ", at)) != std::string::npos) {
        at += 5;
        std::size_t end = at;
        std::size_t fourthComma = std::string::npos;
        int commas = 0;
        while (end < result.size() &&
               (std::isdigit(static_cast<unsigned char>(result[end])) || result[end] == ',')) {
            if (result[end] == ',' && ++commas == 4) {
                fourthComma = end;
            }
            ++end;
        }
        if (commas == 5) {
            result.replace(fourthComma + 1, end - fourthComma - 1, "P,P");
        }
    }
    return result;
}

} // namespace testsupport
