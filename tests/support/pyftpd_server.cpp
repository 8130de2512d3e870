#include "support/pyftpd_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace testsupport {
namespace {

// pyftpdlib, plain or with its TLS handler (an implicit variant secures the connection before
// the greeting). FEAT is switched off: the tests that use it keep to what every server knows
// (LIST, no MLSD or MDTM); the interop tests meet the servers that offer more. Arguments:
// address port root user password certificate mode (plain, explicit, implicit), and a break
// ("LOGIN:COMMAND:close|reset:MARKER" or ""): the connection that logs in as the LOGIN-th
// ends at its COMMAND-th command, unanswered, and MARKER receives that command; then the
// milliseconds the server waits before each send on a data connection (0: none); last the
// port of the test's watch connection, whose end ends the server (0: none, see ServerProcess).
const char* const kServer = R"(
import socket, struct, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer
address, port, root, user, password, cert, mode, brk, slow, watch = sys.argv[1:11]
if int(watch):
    import os, threading
    test = socket.create_connection(('127.0.0.1', int(watch)))
    def end_with_test():
        while test.recv(1):
            pass
        os._exit(0)
    threading.Thread(target=end_with_test, daemon=True).start()
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm='elradfmwMT')
base = FTPHandler if mode == 'plain' else TLS_FTPHandler
class Handler(base):
    proto_cmds = {k: v for k, v in base.proto_cmds.items() if k != 'FEAT'}
    logins = 0
    def pre_process_command(self, line, cmd, arg):
        if brk:
            login, command, how, marker = brk.split(':', 3)
            if cmd == 'USER' and not hasattr(self, 'ordinal'):
                Handler.logins += 1
                self.ordinal, self.count = Handler.logins, 0
            if getattr(self, 'ordinal', 0) == int(login):
                self.count += 1
                if self.count == int(command):
                    with open(marker, 'w') as out:
                        out.write(cmd)
                    if how == 'reset':
                        self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                               struct.pack('ii', 1, 0))
                    self.close()
                    return
        base.pre_process_command(self, line, cmd, arg)
    if mode == 'implicit':
        def handle(self):
            self.secure_connection(self.ssl_context)
        def handle_ssl_established(self):
            base.handle(self)
if mode != 'plain':
    Handler.certfile = cert
    Handler.tls_control_required = True
    Handler.tls_data_required = True
Handler.authorizer = authorizer
if int(slow):
    import time
    class Slow(Handler.dtp_handler):
        def send(self, data):
            time.sleep(int(slow) / 1000)  # the whole server waits: every connection slows
            return super().send(data)
    Handler.dtp_handler = Slow
    Handler.use_sendfile = False  # sendfile would pass the wait by
FTPServer((address, int(port)), Handler).serve_forever()
)";

} // namespace

bool MakeSelfSignedCertificate(const std::string& pemPath, const std::string& commonName) {
#ifdef _WIN32
    const std::string pem = ServerPath(pemPath);
    return RunLinuxCommand({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                            "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                            "/CN=" + commonName, "-addext", "subjectAltName=IP:" + commonName,
                            "-keyout", pem, "-out", pem}) == 0;
#else
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=" +
        commonName + " -addext subjectAltName=IP:" + commonName + " -keyout '" + pemPath +
        "' -out '" + pemPath + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
#endif
}

void MakeServerLink(const std::string& target, const std::string& link) {
#ifdef _WIN32
    ASSERT_EQ(RunLinuxCommand({"/bin/ln", "-sfn", target, ServerPath(link)}), 0) << link;
#else
    std::filesystem::create_symlink(target, link);
#endif
}

bool ServerEntryExists(const std::string& path) {
#ifdef _WIN32
    // stat looks at a link itself, and fails only where nothing is.
    std::string out;
    return RunLinuxCommand({"/usr/bin/stat", "-c", "%a", ServerPath(path)}, &out) == 0;
#else
    return std::filesystem::exists(std::filesystem::symlink_status(path));
#endif
}

void SetServerMode(const std::string& path, unsigned mode) {
#ifdef _WIN32
    char octal[8];
    std::snprintf(octal, sizeof octal, "%o", mode);
    ASSERT_EQ(RunLinuxCommand({"/bin/chmod", octal, ServerPath(path)}), 0) << path;
#else
    std::filesystem::permissions(path, std::filesystem::perms(mode));
#endif
}

unsigned ServerMode(const std::string& path) {
#ifdef _WIN32
    std::string out;
    if (RunLinuxCommand({"/usr/bin/stat", "-c", "%a", ServerPath(path)}, &out) != 0) {
        return 0;
    }
    return static_cast<unsigned>(std::stoul(out, nullptr, 8));
#else
    return static_cast<unsigned>(std::filesystem::status(path).permissions());
#endif
}

PyFtpdServer::PyFtpdServer(std::string address, Tls tls, std::string certificate)
    : m_address(std::move(address)), m_tls(tls), m_certificate(std::move(certificate)) {}

PyFtpdServer::~PyFtpdServer() {
    Stop();
}

bool PyFtpdServer::Start() {
    const char* mode = m_tls == Tls::None       ? "plain"
                       : m_tls == Tls::Explicit ? "explicit"
                                                : "implicit";
    const std::vector<std::string> argv = {"/usr/bin/python3",
                                           "-c",
                                           kServer,
                                           m_address,
                                           "{port}",
                                           ServerPath(m_root.Path()),
                                           kUser,
                                           kPassword,
                                           ServerPath(m_certificate),
                                           mode,
                                           m_break,
                                           std::to_string(m_slowMs),
                                           "{watch}"};
    if (!m_process.Start(m_address, argv, m_tls == Tls::Implicit)) {
        return false;
    }
    m_port = m_process.Port();
    return true;
}

void PyFtpdServer::Stop() {
    m_process.Stop();
}

} // namespace testsupport
