// TLS over a connected socket, as the client, with the system's OpenSSL 3: the other
// implementation of the stream seam. The control connection verifies the server's certificate
// against the system's trusted roots and the host name and reports what it found; a data
// connection reuses the control connection's session and must show the same certificate.
#pragma once

#include <memory>
#include <string>

#include "platform/socket.h"
#include "platform/stream.h"

namespace platform {

// The certificate a server showed, and what the system's trusted roots made of it.
struct CertificateInfo {
    std::string subject;
    std::string issuer;
    std::string notBefore; // "2025-01-31 12:00:00 UTC"
    std::string notAfter;
    std::string fingerprint; // SHA-256 of the certificate, "AB:CD:...:EF"
    // It chains to a trusted root, is valid now and is made out to the host name.
    bool verified = false;
    std::string problem; // why it is not, in OpenSSL's words
};

class TlsStream : public Stream {
public:
    TlsStream();
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // The client's handshake on `socket`, which stays owned by the caller and must stay open
    // while this stream lives. `host` is the name or address the certificate must be made out
    // to. `resume` (a data connection) is the control connection's stream: its session is
    // reused, and the server must show the certificate it showed there. False with
    // ErrorText() when the handshake fails; the stream is then done.
    bool Handshake(Socket& socket, const std::string& host, const TlsStream* resume = nullptr);

    CertificateInfo PeerCertificate() const;
    std::string Version() const; // "TLSv1.3"
    std::string Cipher() const;  // "TLS_AES_256_GCM_SHA384"
    bool SessionReused() const;

    // Tells the peer, once, that nothing more comes (close_notify); not after a failure.
    void CloseNotify();
    // Lets the connection go without a word to the peer (a refused certificate).
    void Abandon();

    bool SendAll(const void* data, std::size_t length) override;
    long Receive(void* buffer, std::size_t length) override;
    void ShutdownBoth() override;
    int LastError() const override;
    std::string ErrorText() const override;
    bool HasBuffered() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace platform
