#include "support/pyftpd_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace testsupport {
namespace {

// A numeric address with a port, for either family.
socklen_t MakeAddress(const std::string& address, int port, sockaddr_storage& out) {
    out = {};
    if (address.find(':') != std::string::npos) {
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&out);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET6, address.c_str(), &a6->sin6_addr);
        return sizeof(sockaddr_in6);
    }
    auto* a4 = reinterpret_cast<sockaddr_in*>(&out);
    a4->sin_family = AF_INET;
    a4->sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address.c_str(), &a4->sin_addr);
    return sizeof(sockaddr_in);
}

int FreePort(const std::string& address) {
    sockaddr_storage addr;
    socklen_t len = MakeAddress(address, 0, addr);
    int fd = ::socket(addr.ss_family, SOCK_STREAM, 0);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port
                                                : reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    }
    ::close(fd);
    return port;
}

bool Greets(const std::string& address, int port) {
    sockaddr_storage addr;
    const socklen_t len = MakeAddress(address, port, addr);
    int fd = ::socket(addr.ss_family, SOCK_STREAM, 0);
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
        timeval tv{2, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buf[64];
        ok = ::recv(fd, buf, sizeof buf, 0) > 0 && buf[0] == '2';
        ::send(fd, "QUIT\r\n", 6, MSG_NOSIGNAL);
    }
    ::close(fd);
    return ok;
}

// Greets, asked from inside the server's namespace when it has one.
bool GreetsFrom(const std::string& netns, const std::string& address, int port) {
    if (netns.empty()) {
        return Greets(address, port);
    }
    bool ok = false;
    std::thread([&] { ok = EnterNetworkNamespace(netns) && Greets(address, port); }).join();
    return ok;
}

} // namespace

bool EnterNetworkNamespace(const std::string& name) {
    const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool entered = ::setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return entered;
}

PyFtpdServer::PyFtpdServer(std::string address, std::string netns)
    : m_address(std::move(address)), m_netns(std::move(netns)) {}

std::string PyFtpdServer::Address() const {
    const bool v6 = m_address.find(':') != std::string::npos;
    return (v6 ? "[" + m_address + "]" : m_address) + ":" + std::to_string(m_port);
}

PyFtpdServer::~PyFtpdServer() {
    Stop();
}

bool PyFtpdServer::Start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        // A fresh namespace has every port free.
        m_port = m_netns.empty() ? FreePort(m_address) : 2121 + attempt;
        std::string port = std::to_string(m_port);
        pid_t parent = ::getpid();
        // Opened before the fork: the child of a threaded process should not allocate.
        const int netns =
            m_netns.empty() ? -1 : ::open(("/run/netns/" + m_netns).c_str(), O_RDONLY | O_CLOEXEC);
        if (!m_netns.empty() && netns < 0) {
            return false;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            // The server must never outlive the test that started it.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) {
                ::_exit(1);
            }
            // The test may have left its working folder behind (the local pane follows the
            // listed folder), and python cannot start in a folder that no longer exists.
            if (::chdir("/") != 0 || (netns >= 0 && ::setns(netns, CLONE_NEWNET) != 0)) {
                ::_exit(1);
            }
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl("/usr/bin/python3", "python3", "-m", "pyftpdlib", "-i", m_address.c_str(), "-p",
                    port.c_str(), "-w", "-d", m_root.Path().c_str(), "-u", kUser, "-P", kPassword,
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (netns >= 0) {
            ::close(netns);
        }
        if (m_pid < 0) {
            return false;
        }
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break; // it died (the port was taken after all): try another
            }
            if (GreetsFrom(m_netns, m_address, m_port)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Stop();
    }
    return false;
}

void PyFtpdServer::Stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
    }
}

} // namespace testsupport
