// A real FTP server for whole-action tests: Debian's pyftpdlib on a free loopback port with a
// temporary root and write access. It stops when the object goes, and dies with the test
// process if that ends first.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/temp_dir.h"

namespace testsupport {

class PyFtpdServer {
public:
    static constexpr const char* kUser = "quorrel";
    static constexpr const char* kPassword = "secret";

    PyFtpdServer();
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer&) = delete;
    PyFtpdServer& operator=(const PyFtpdServer&) = delete;

    // Starts the server and waits until it greets; false when it did not come up.
    bool Start();
    void Stop();

    int Port() const { return m_port; }
    // "127.0.0.1:PORT", the server name a host record uses.
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    TempDir& Root() { return m_root; }

private:
    TempDir m_root;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace testsupport
