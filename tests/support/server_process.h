// A test server in a child process: started on a free loopback port, waited for until it
// greets, stopped with the object, and killed with the test process if that ends first.
// On Windows the servers are Linux programs that Wine runs: Wine gives no usable handle for
// such a process, so a server there must end itself when asked (see "{watch}").
#pragma once

#ifndef _WIN32
#include <sys/types.h>
#endif

#include <string>
#include <vector>

namespace testsupport {

// A port that nothing listens on now, on `address` (127.0.0.1 or ::1).
int FreeLoopbackPort(const std::string& address);

// A local path as a server sees it: under Wine, "Z:/tmp/x" (or "Z:\tmp\x") is the Unix path
// "/tmp/x". Elsewhere the path itself.
std::string ServerPath(const std::string& path);

#ifdef _WIN32
// Runs the Linux program `argv` to its end through Wine and returns its exit status, or -1 when
// it did not run or end within a minute; its standard output goes to `output` when given.
int RunLinuxCommand(const std::vector<std::string>& argv, std::string* output = nullptr);
#endif

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { Stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Runs `argv` (with "{port}" in any argument replaced by a free port) until the server on
    // `address` greets, over TLS from the first byte when `implicitTls`. A server that dies at
    // once (the port was taken after all) is tried on another port, three times in all. Its
    // output goes to `output`, or nowhere. "{watch}" in an argument becomes the port of a
    // connection on 127.0.0.1 that the server opens before it listens and whose end (when the
    // object stops it, or the test process dies) must end the server, or "0" where the server
    // needs no such watch (on Linux, where the process is signaled).
    bool Start(const std::string& address, std::vector<std::string> argv, bool implicitTls = false,
               const std::string& output = {});
    void Stop();

    int Port() const { return m_port; }

private:
#ifdef _WIN32
    int m_watchListener = -1;
    int m_watch = -1;
    std::string m_address;
#else
    pid_t m_pid = -1;
#endif
    int m_port = 0;
};

} // namespace testsupport
