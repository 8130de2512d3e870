#include "support/pyftpd_server.h"

#include <cstdlib>

namespace testsupport {
namespace {

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
    std::vector<std::string> argv;
    if (m_tls == Tls::None) {
        argv = {"/usr/bin/python3", "-m", "pyftpdlib", "-i", m_address, "-p", "{port}", "-w", "-d",
                m_root.Path(),      "-u", kUser,       "-P", kPassword};
    } else {
        argv = {"/usr/bin/python3",
                "-c",
                kTlsServer,
                m_address,
                "{port}",
                m_root.Path(),
                kUser,
                kPassword,
                m_certificate,
                m_tls == Tls::Implicit ? "1" : "0"};
    }
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
