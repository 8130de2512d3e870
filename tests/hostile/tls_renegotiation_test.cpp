// A TLS 1.2 server that, once its certificate was checked, renegotiates to present another one:
// the client refuses, so nothing more passes under a certificate nobody checked.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/socket.h"
#include "platform/tls_stream.h"
#include "support/pyftpd_server.h"
#include "support/temp_dir.h"

namespace {

// Accepts one connection on `listener` with certificate `first` and sends "one". Then it
// answers each "ping" with "pong", the first time after renegotiating with certificate
// `second`, as a server would before a reply.
void RenegotiatingServer(int listener, const std::string& first, const std::string& second) {
    const int fd = ::accept(listener, nullptr, nullptr);
    const timeval limit{5, 0}; // a client that stops answering ends the test, not holds it
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION); // TLS 1.3 has no renegotiation
    // No resumption: the renegotiation is a full handshake that shows the second certificate.
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_OFF);
    SSL_CTX_set_options(context, SSL_OP_NO_TICKET);
    SSL_CTX_use_certificate_file(context, first.c_str(), SSL_FILETYPE_PEM);
    SSL_CTX_use_PrivateKey_file(context, first.c_str(), SSL_FILETYPE_PEM);
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, fd);
    bool renegotiated = false;
    char buffer[16];
    if (SSL_accept(ssl) == 1 && SSL_write(ssl, "one", 3) == 3) {
        while (SSL_read(ssl, buffer, sizeof buffer) > 0) {
            if (!renegotiated) {
                renegotiated = true;
                SSL_use_certificate_file(ssl, second.c_str(), SSL_FILETYPE_PEM);
                SSL_use_PrivateKey_file(ssl, second.c_str(), SSL_FILETYPE_PEM);
                // The hello request goes out; the handshake runs on within the next reads.
                if (SSL_renegotiate(ssl) != 1 || SSL_do_handshake(ssl) != 1) {
                    break;
                }
            }
            if (SSL_write(ssl, "pong", 4) != 4) {
                break;
            }
        }
    }
    SSL_free(ssl);
    SSL_CTX_free(context);
    ::close(fd);
}

TEST(TlsRenegotiation, AnotherCertificateWithinTheConnectionIsRefused) {
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::MakeSelfSignedCertificate(dir / "first.pem", "127.0.0.1"));
    ASSERT_TRUE(testsupport::MakeSelfSignedCertificate(dir / "second.pem", "127.0.0.1"));
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::thread server(RenegotiatingServer, listener, dir / "first.pem", dir / "second.pem");

    platform::Socket socket;
    socket.SetIdleLimit(5000);
    ASSERT_TRUE(socket.Connect("127.0.0.1", ntohs(address.sin_port)));
    platform::TlsStream tls;
    ASSERT_TRUE(tls.Handshake(socket, "127.0.0.1")) << tls.ErrorText();
    const std::string checked = tls.PeerCertificate().fingerprint;
    char buffer[16];
    ASSERT_EQ(tls.Receive(buffer, sizeof buffer), 3);
    // The exchange goes on only as long as the first certificate stands.
    bool endedByTheRefusal = false;
    for (int round = 0; round < 3 && !endedByTheRefusal; ++round) {
        endedByTheRefusal = !tls.SendAll("ping", 4) || tls.Receive(buffer, sizeof buffer) != 4;
        EXPECT_EQ(tls.PeerCertificate().fingerprint, checked) << "round " << round;
    }
    EXPECT_TRUE(endedByTheRefusal) << "the server's renegotiation went through";
    tls.ShutdownBoth();
    socket.Close();
    server.join();
    ::close(listener);
}

} // namespace
