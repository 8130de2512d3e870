#include "support/server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/socket.h"
#include "platform/tls_stream.h"

namespace testsupport {
namespace {

// The address with a port, for either family.
socklen_t MakeAddress(const std::string& address, int port, sockaddr_storage& out) {
    out = {};
    auto* a4 = reinterpret_cast<sockaddr_in*>(&out);
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&out);
    if (::inet_pton(AF_INET6, address.c_str(), &a6->sin6_addr) == 1) {
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(static_cast<uint16_t>(port));
        return sizeof *a6;
    }
    ::inet_pton(AF_INET, address.c_str(), &a4->sin_addr);
    a4->sin_family = AF_INET;
    a4->sin_port = htons(static_cast<uint16_t>(port));
    return sizeof *a4;
}

// An implicit-TLS server greets after the handshake.
bool GreetsOverTls(const std::string& address, int port) {
    platform::Socket socket;
    if (!socket.Connect(address, static_cast<unsigned>(port))) {
        return false;
    }
    timeval tv{5, 0};
    ::setsockopt(socket.Handle(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    platform::TlsStream tls;
    char buf[64];
    const bool ok =
        tls.Handshake(socket, address) && tls.Receive(buf, sizeof buf) > 0 && buf[0] == '2';
    if (ok) {
        tls.SendAll("QUIT\r\n", 6);
    }
    tls.ShutdownBoth();
    return ok;
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
        // Only to a server that greeted: whatever else took the port meanwhile (another test's
        // data connection listening there) must not receive our bytes.
        if (ok) {
            ::send(fd, "QUIT\r\n", 6, MSG_NOSIGNAL);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

int FreeLoopbackPort(const std::string& address) {
    sockaddr_storage addr;
    socklen_t len = MakeAddress(address, 0, addr);
    int fd = ::socket(addr.ss_family, SOCK_STREAM, 0);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        // Both families keep the port at the same place.
        port = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    }
    ::close(fd);
    return port;
}

bool ServerProcess::Start(const std::string& address, std::vector<std::string> argv,
                          bool implicitTls, const std::string& output) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = FreeLoopbackPort(address);
        std::vector<std::string> args = argv;
        for (std::string& arg : args) {
            for (std::size_t at; (at = arg.find("{port}")) != std::string::npos;) {
                arg.replace(at, 6, std::to_string(m_port));
            }
        }
        std::vector<char*> pointers;
        for (std::string& arg : args) {
            pointers.push_back(arg.data());
        }
        pointers.push_back(nullptr);
        const pid_t parent = ::getpid();
        m_pid = ::fork();
        if (m_pid == 0) {
            // The server must never outlive the test that started it.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) {
                ::_exit(1);
            }
            // The test may have left its working folder behind (the local pane follows the
            // listed folder), and a server may not start in a folder that no longer exists.
            if (::chdir("/") != 0) {
                ::_exit(1);
            }
            const int null = ::open("/dev/null", O_RDWR);
            const int out =
                output.empty() ? null : ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(null, 0);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execv(pointers[0], pointers.data());
            ::_exit(127);
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
            if (implicitTls ? GreetsOverTls(address, m_port) : Greets(address, m_port)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Stop();
    }
    return false;
}

void ServerProcess::Stop() {
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
