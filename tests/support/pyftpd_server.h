// A real FTP server for whole-action tests: Debian's pyftpdlib on a free loopback port with a
// temporary root and write access. It stops when the object goes, and dies with the test
// process if that ends first.
#pragma once

#include <string>

#include "support/server_process.h"
#include "support/temp_dir.h"

namespace testsupport {

// Makes a self-signed certificate and its key in one PEM file, made out to `commonName`
// (with the same name as its subject alternative name), with the openssl command.
bool MakeSelfSignedCertificate(const std::string& pemPath, const std::string& commonName);

// A symbolic link at `link` in a server's tree. Under Wine the link is made by the server's
// own system (Linux's ln): Windows links are not what a Linux server lists.
void MakeServerLink(const std::string& target, const std::string& link);
// An entry of a server's tree as the server sees it: there at all (a link itself counts), and
// its permission bits, set and read. Under Wine the server's system is asked.
bool ServerEntryExists(const std::string& path);
void SetServerMode(const std::string& path, unsigned mode);
unsigned ServerMode(const std::string& path);

class PyFtpdServer {
public:
    static constexpr const char* kUser = "quorrel";
    static constexpr const char* kPassword = "secret";

    // Plain FTP, or pyftpdlib's TLS handler that refuses plain logins and data: explicit (AUTH
    // TLS), or implicit (TLS from the first byte, a small subclass).
    enum class Tls { None, Explicit, Implicit };

    // `address` is a loopback address: 127.0.0.1 or ::1. With TLS, `certificate` is the PEM
    // file holding the server's certificate and key.
    explicit PyFtpdServer(std::string address = "127.0.0.1", Tls tls = Tls::None,
                          std::string certificate = {});
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer&) = delete;
    PyFtpdServer& operator=(const PyFtpdServer&) = delete;

    // Before Start: the connection that logs in as the `login`-th (2: the first after the
    // browsing one) ends at its `command`-th command (1 is USER) without an answer, closed or
    // reset. What it was is then in BrokenAt().
    void BreakAt(int login, int command, bool reset) {
        m_break = std::to_string(login) + ":" + std::to_string(command) +
                  (reset ? ":reset:" : ":close:") + ServerPath(m_marker / "broken");
    }
    // Before Start: the server waits `ms` before each send of file data (64 KiB), all of it at
    // once, so that transfers last long enough to be canceled.
    void SlowDown(int ms) { m_slowMs = ms; }
    // The command the break ended, "" while it has not come.
    std::string BrokenAt() const { return m_marker.Read("broken"); }

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
    Tls m_tls = Tls::None;
    std::string m_certificate;
    TempDir m_root;
    TempDir m_marker;
    std::string m_break;
    int m_slowMs = 0;
    ServerProcess m_process;
    int m_port = 0;
};

} // namespace testsupport
