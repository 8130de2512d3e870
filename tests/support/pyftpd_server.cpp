#include "support/pyftpd_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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

// pyftpdlib's TLS handler, with an implicit variant that secures the connection before the
// greeting. Arguments: address port root user password certificate implicit(0/1).
const char* const kTlsServer = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.servers import FTPServer
address, port, root, user, password, cert, implicit = sys.argv[1:8]
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm='elradfmwMT')
class Explicit(TLS_FTPHandler):
    pass
class Implicit(TLS_FTPHandler):
    def handle(self):
        self.secure_connection(self.ssl_context)
    def handle_ssl_established(self):
        TLS_FTPHandler.handle(self)
handler = Implicit if implicit == '1' else Explicit
handler.certfile = cert
handler.authorizer = authorizer
handler.tls_control_required = True
handler.tls_data_required = True
FTPServer((address, int(port)), handler).serve_forever()
)";

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

bool MakeSelfSignedCertificate(const std::string& pemPath, const std::string& commonName) {
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=" +
        commonName + " -addext subjectAltName=IP:" + commonName + " -keyout '" + pemPath +
        "' -out '" + pemPath + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

PyFtpdServer::PyFtpdServer(std::string address, Tls tls, std::string certificate)
    : m_address(std::move(address)), m_tls(tls), m_certificate(std::move(certificate)) {}

PyFtpdServer::~PyFtpdServer() {
    Stop();
}

bool PyFtpdServer::Start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = FreeLoopbackPort(m_address);
        std::string port = std::to_string(m_port);
        pid_t parent = ::getpid();
        m_pid = ::fork();
        if (m_pid == 0) {
            // The server must never outlive the test that started it.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) {
                ::_exit(1);
            }
            // The test may have left its working folder behind (the local pane follows the
            // listed folder), and python cannot start in a folder that no longer exists.
            if (::chdir("/") != 0) {
                ::_exit(1);
            }
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            if (m_tls == Tls::None) {
                ::execl("/usr/bin/python3", "python3", "-m", "pyftpdlib", "-i", m_address.c_str(),
                        "-p", port.c_str(), "-w", "-d", m_root.Path().c_str(), "-u", kUser, "-P",
                        kPassword, static_cast<char*>(nullptr));
            } else {
                ::execl("/usr/bin/python3", "python3", "-c", kTlsServer, m_address.c_str(),
                        port.c_str(), m_root.Path().c_str(), kUser, kPassword,
                        m_certificate.c_str(), m_tls == Tls::Implicit ? "1" : "0",
                        static_cast<char*>(nullptr));
            }
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
            if (m_tls == Tls::Implicit ? GreetsOverTls(m_address, m_port)
                                       : Greets(m_address, m_port)) {
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
