// A test server in a child process: started on a free loopback port, waited for until it
// greets, stopped with the object, and killed with the test process if that ends first.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// A port that nothing listens on now, on `address` (127.0.0.1 or ::1).
int FreeLoopbackPort(const std::string& address);

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { Stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Runs `argv` (with "{port}" in any argument replaced by a free port) until the server on
    // `address` greets, over TLS from the first byte when `implicitTls`. A server that dies at
    // once (the port was taken after all) is tried on another port, three times in all. Its
    // output goes to `output`, or nowhere.
    bool Start(const std::string& address, std::vector<std::string> argv, bool implicitTls = false,
               const std::string& output = {});
    void Stop();

    int Port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace testsupport
