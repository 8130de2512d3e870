#include "support/server_process.h"

// Winsock's headers go before <windows.h>.
#include "support/test_sockets.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <thread>

#include "platform/socket.h"
#include "platform/tls_stream.h"
#include "support/temp_dir.h"

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
    sockets::SetReceiveLimit(socket.Handle(), 5000);
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

#ifdef _WIN32
// Something listens on the port.
bool Accepts(const std::string& address, int port) {
    sockaddr_storage addr;
    const socklen_t len = MakeAddress(address, port, addr);
    const int fd = sockets::Open(addr.ss_family);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0;
    sockets::Close(fd);
    return connected;
}
#endif

bool Greets(const std::string& address, int port) {
    sockaddr_storage addr;
    const socklen_t len = MakeAddress(address, port, addr);
    int fd = sockets::Open(addr.ss_family);
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
        sockets::SetReceiveLimit(fd, 2000);
        char buf[64];
        ok = sockets::Receive(fd, buf, sizeof buf) > 0 && buf[0] == '2';
        // Only to a server that greeted: whatever else took the port meanwhile (another test's
        // data connection listening there) must not receive our bytes.
        if (ok) {
            sockets::Send(fd, "QUIT\r\n", 6);
        }
    }
    sockets::Close(fd);
    return ok;
}

// "{name}" in every argument replaced by `value`.
void Replace(std::vector<std::string>& args, const std::string& name, const std::string& value) {
    for (std::string& arg : args) {
        for (std::size_t at; (at = arg.find(name)) != std::string::npos;) {
            arg.replace(at, name.size(), value);
        }
    }
}

#ifdef _WIN32

// One argument of a command line as the C runtime (and Wine, for a Linux program) splits it.
std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes double only before a quote.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::wstring Wide(const std::string& text) {
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Starts a Linux program through Wine, in "/" with its input from /dev/null and its output
// appended to `output` (a Unix path). Wine execs it apart from this process: nothing of it is
// left to wait for.
bool LaunchLinux(const std::vector<std::string>& argv, const std::string& output) {
    std::vector<std::string> args = {"/bin/sh", "-c", "exec \"$@\" </dev/null >>\"$0\" 2>&1",
                                     output};
    args.insert(args.end(), argv.begin(), argv.end());
    std::string line;
    for (const std::string& arg : args) {
        line += (line.empty() ? "" : " ") + QuoteArgument(arg);
    }
    std::wstring wide = Wide(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Started in Z:\ (the Unix root): the test's own current folder may be gone already (the
    // local pane follows the listed folder), and Wine cannot start a program there then.
    if (!::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          L"Z:\\", &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

// A listening socket on 127.0.0.1 and its port.
int ListenOnLoopback(int& port) {
    const int fd = sockets::Open(AF_INET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(fd, 1) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) {
            sockets::Close(fd);
        }
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

#endif

} // namespace

int FreeLoopbackPort(const std::string& address) {
    sockaddr_storage addr;
    socklen_t len = MakeAddress(address, 0, addr);
    int fd = sockets::Open(addr.ss_family);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        // Both families keep the port at the same place.
        port = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    }
    sockets::Close(fd);
    return port;
}

#ifdef _WIN32

std::string ServerPath(const std::string& path) {
    if (path.size() < 2 || (path[0] != 'Z' && path[0] != 'z') || path[1] != ':') {
        return path;
    }
    std::string unixPath = path.substr(2);
    for (char& c : unixPath) {
        c = c == '\\' ? '/' : c;
    }
    return unixPath.empty() ? "/" : unixPath;
}

int RunLinuxCommand(const std::vector<std::string>& argv, std::string* output) {
    TempDir dir;
    // The status file appears whole, once the command has ended.
    const std::string out = ServerPath(dir / "out");
    std::vector<std::string> args = {"/bin/sh", "-c",
                                     "\"$@\" >\"$0\"; echo $? >\"$0.part\" && mv \"$0.part\" "
                                     "\"$0.status\"",
                                     out};
    args.insert(args.end(), argv.begin(), argv.end());
    if (!LaunchLinux(args, "/dev/null")) {
        return -1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::error_code ec;
    while (!std::filesystem::exists(dir / "out.status", ec)) {
        if (std::chrono::steady_clock::now() > end) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (output != nullptr) {
        *output = dir.Read("out");
    }
    try {
        return std::stoi(dir.Read("out.status"));
    } catch (const std::exception&) {
        return -1;
    }
}

bool ServerProcess::Start(const std::string& address, std::vector<std::string> argv,
                          bool implicitTls, const std::string& output) {
    m_address = address;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int watchPort = 0;
        m_watchListener = ListenOnLoopback(watchPort);
        if (m_watchListener < 0) {
            return false;
        }
        m_port = FreeLoopbackPort(address);
        std::vector<std::string> args = argv;
        Replace(args, "{port}", std::to_string(m_port));
        Replace(args, "{watch}", std::to_string(watchPort));
        if (!LaunchLinux(args, output.empty() ? "/dev/null" : ServerPath(output))) {
            Stop();
            return false;
        }
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < end) {
            if (m_watch < 0 && sockets::PollOne(m_watchListener, POLLIN, 0) > 0) {
                m_watch = sockets::Accept(m_watchListener);
            }
            // The server only closes its end when it ends: it died (the port was taken after
            // all), try another.
            if (m_watch >= 0 && sockets::PollOne(m_watch, POLLIN, 0) > 0) {
                break;
            }
            if (m_watch >= 0 &&
                (implicitTls ? GreetsOverTls(address, m_port) : Greets(address, m_port))) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Stop();
    }
    return false;
}

void ServerProcess::Stop() {
    // The server sees its watch end and ends itself; it is gone once its port refuses.
    if (m_watch >= 0) {
        sockets::Close(m_watch);
        m_watch = -1;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_address.empty() && Accepts(m_address, m_port) &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (m_watchListener >= 0) {
        sockets::Close(m_watchListener);
        m_watchListener = -1;
    }
}

#else

std::string ServerPath(const std::string& path) {
    return path;
}

bool ServerProcess::Start(const std::string& address, std::vector<std::string> argv,
                          bool implicitTls, const std::string& output) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = FreeLoopbackPort(address);
        std::vector<std::string> args = argv;
        Replace(args, "{port}", std::to_string(m_port));
        Replace(args, "{watch}", "0");
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

#endif

} // namespace testsupport
