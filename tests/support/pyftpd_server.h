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

    // `address` is a loopback address: 127.0.0.1 or ::1.
    explicit PyFtpdServer(std::string address = "127.0.0.1");
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer&) = delete;
    PyFtpdServer& operator=(const PyFtpdServer&) = delete;

    // Starts the server and waits until it greets; false when it did not come up.
    bool Start();
    void Stop();

    int Port() const { return m_port; }
    // "127.0.0.1:PORT" or "[::1]:PORT", the server name a host record uses.
    std::string Address() const {
        const bool v6 = m_address.find(':') != std::string::npos;
        return (v6 ? "[" + m_address + "]" : m_address) + ":" + std::to_string(m_port);
    }
    TempDir& Root() { return m_root; }

private:
    std::string m_address;
    TempDir m_root;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace testsupport
