#include "platform/tls_stream.h"

#include <cerrno>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <vector>

#include "platform/socket_calls.h"
#include "platform/system_error.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace platform {

namespace {

// What the socket BIO below the TLS layer keeps: OpenSSL's own socket BIO writes with write(),
// which raises SIGPIPE on a connection the peer has closed; this one sends with MSG_NOSIGNAL.
struct BioState {
    int fd = -1;
    bool eof = false;
    int error = 0;
    int idleLimitMs = -1; // the socket's: a peer silent for longer fails with ETIMEDOUT
};

int BioWrite(BIO* bio, const char* data, int length) {
    auto* state = static_cast<BioState*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    // With an idle limit the send never blocks past it: it takes what fits, or waits for room.
    // It is tried before any wait: the socket mostly has room for a record, and a wait before
    // each would cost a system call each.
    for (;;) {
        const long sent =
            sock::Send(state->fd, data, static_cast<std::size_t>(length), state->idleLimitMs >= 0);
        if (sent >= 0) {
            return static_cast<int>(sent);
        }
        const int error = sock::LastError();
        if (error == EINTR) {
            continue;
        }
        if (!sock::IsRetry(error)) {
            state->error = error;
            return -1;
        }
        if (!WaitForHandle(state->fd, POLLOUT, state->idleLimitMs, state->error)) {
            return -1;
        }
    }
}

int BioRead(BIO* bio, char* data, int length) {
    auto* state = static_cast<BioState*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const long received = ReceiveWhenReady(state->fd, data, static_cast<std::size_t>(length),
                                           state->idleLimitMs, state->error);
    if (received == 0) {
        state->eof = true;
    }
    return static_cast<int>(received);
}

long BioControl(BIO* bio, int command, long, void*) {
    auto* state = static_cast<BioState*>(BIO_get_data(bio));
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_CTRL_EOF:
        return state != nullptr && state->eof ? 1 : 0;
    default:
        return 0;
    }
}

int BioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quorrel socket");
        if (m != nullptr) {
            BIO_meth_set_write(m, BioWrite);
            BIO_meth_set_read(m, BioRead);
            BIO_meth_set_ctrl(m, BioControl);
            BIO_meth_set_create(m, BioCreate);
        }
        return m;
    }();
    return method;
}

// The sessions a data connection may resume, shared by a control connection and its data
// connections, newest last. A TLS 1.3 session (a ticket) is resumed once where possible:
// servers such as vsftpd refuse it the second time, so each data connection takes one, and the
// tickets the server sends on the connections (two after the control connection's handshake,
// one after each resumption) refill the pool. Some servers send none on a connection they only
// read from (proftpd on an upload) but take a ticket more than once; when the pool has run dry,
// the newest ticket is offered again, from a copy of our own: OpenSSL marks a session that a
// connection used as spent. A TLS 1.2 session may be resumed again and again.
class SessionPool {
public:
    SessionPool() = default;
    SessionPool(const SessionPool&) = delete;
    SessionPool& operator=(const SessionPool&) = delete;
    ~SessionPool() {
        for (SSL_SESSION* session : m_sessions) {
            SSL_SESSION_free(session);
        }
        SSL_SESSION_free(m_newest);
    }
    // Takes over the caller's reference.
    void Add(SSL_SESSION* session) {
        if (SSL_SESSION_get_protocol_version(session) == TLS1_3_VERSION) {
            if (SSL_SESSION* copy = SSL_SESSION_dup(session)) {
                SSL_SESSION_free(m_newest);
                m_newest = copy;
            }
        }
        m_sessions.push_back(session);
        if (m_sessions.size() > kKept) {
            SSL_SESSION_free(m_sessions.front());
            m_sessions.erase(m_sessions.begin());
        }
    }
    // The newest resumable session for a handshake (SSL_set_session takes its own reference);
    // a TLS 1.3 one leaves the pool.
    bool ResumeWith(SSL* ssl) {
        while (!m_sessions.empty()) {
            SSL_SESSION* session = m_sessions.back();
            const bool usable = SSL_SESSION_is_resumable(session) == 1;
            const bool once = SSL_SESSION_get_protocol_version(session) == TLS1_3_VERSION;
            if (usable) {
                SSL_set_session(ssl, session);
            }
            if (!usable || once) {
                m_sessions.pop_back();
                SSL_SESSION_free(session);
            }
            if (usable) {
                return true;
            }
        }
        SSL_SESSION* again = m_newest != nullptr ? SSL_SESSION_dup(m_newest) : nullptr;
        if (again == nullptr) {
            return false;
        }
        const bool usable = SSL_SESSION_is_resumable(again) == 1;
        if (usable) {
            SSL_set_session(ssl, again);
        }
        SSL_SESSION_free(again);
        return usable;
    }

private:
    static constexpr std::size_t kKept = 8;
    std::vector<SSL_SESSION*> m_sessions;
    SSL_SESSION* m_newest = nullptr; // a copy no connection has used
};

// Where the new-session callback finds the pool of the connection a session came on.
int PoolIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

int KeepNewSession(SSL* ssl, SSL_SESSION* session) {
    auto* pool = static_cast<std::shared_ptr<SessionPool>*>(SSL_get_ex_data(ssl, PoolIndex()));
    if (pool == nullptr || !*pool) {
        return 0;
    }
    (*pool)->Add(session);
    return 1; // the pool keeps the reference
}

constexpr std::size_t kReadBuffer = 256 * 1024;

// A client context for each control connection, shared by its data connections: TLS 1.2 or
// later, the system's trusted roots as they are now (the SSL_CERT_FILE and SSL_CERT_DIR
// variables of OpenSSL included). The handshake never stops at a certificate: the engine
// judges the verification result itself, so that the user can be asked.
SSL_CTX* NewClientContext() {
    SSL_CTX* c = SSL_CTX_new(TLS_client_method());
    if (c != nullptr) {
        SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
        SSL_CTX_set_default_verify_paths(c);
        SSL_CTX_set_verify(c, SSL_VERIFY_NONE, nullptr);
        // A peer that closes without close_notify has closed: the reply on the control
        // connection tells whether a transfer was whole, as it does without TLS.
        SSL_CTX_set_options(c, SSL_OP_IGNORE_UNEXPECTED_EOF);
        // A renegotiation (TLS 1.2) could bring another certificate in the middle of a
        // connection, after the one the user trusted was checked: it is refused.
        SSL_CTX_set_options(c, SSL_OP_NO_RENEGOTIATION);
        // New sessions go to the pool of their control connection, not to a cache.
        SSL_CTX_set_session_cache_mode(c, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
        SSL_CTX_sess_set_new_cb(c, KeepNewSession);
        // Read what the socket holds, several records at once: a receive then costs one
        // system call for many records instead of two for each.
        SSL_CTX_set_read_ahead(c, 1);
        SSL_CTX_set_default_read_buffer_len(c, kReadBuffer);
    }
    return c;
}

bool IsAddress(const std::string& host) {
    unsigned char bytes[16];
    return ::inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

std::string NameText(const X509_NAME* name) {
    BIO* out = BIO_new(BIO_s_mem());
    if (out == nullptr) {
        return "";
    }
    X509_NAME_print_ex(out, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long length = BIO_get_mem_data(out, &data);
    std::string text(data != nullptr ? data : "",
                     length > 0 ? static_cast<std::size_t>(length) : 0);
    BIO_free(out);
    return text;
}

std::string TimeText(const ASN1_TIME* time) {
    std::tm t{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &t) != 1) {
        return "";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &t);
    return text;
}

std::string FingerprintText(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1) {
        return "";
    }
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i > 0) {
            text += ':';
        }
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0f];
    }
    return text;
}

} // namespace

struct TlsStream::Impl {
    SSL* ssl = nullptr;
    BioState bio;
    std::shared_ptr<SessionPool> pool;
    bool established = false;
    bool broken = false;   // a failure: nothing more goes to the peer
    bool notified = false; // close_notify sent
    int error = 0;         // system error code of the last failure
    std::string problem;   // or the TLS layer's reason for it

    // A call after a failure: the failure's own reason stays.
    void NotConnected() {
        if (error == 0 && problem.empty()) {
            error = ENOTCONN;
        }
    }

    // Notes why an operation that returned `rc` failed.
    void Fail(int rc) {
        const int kind = SSL_get_error(ssl, rc);
        broken = true;
        error = 0;
        problem.clear();
        if (kind == SSL_ERROR_SSL) {
            const unsigned long code = ERR_peek_last_error();
            const char* reason = ERR_reason_error_string(code);
            problem =
                res::LoadString(res::kTextTlsFailed) + (reason != nullptr ? reason : "?") + "\r\n";
        } else if (bio.error != 0) {
            error = bio.error;
        } else {
            problem = res::LoadString(res::kTextTlsClosed) + "\r\n";
        }
        ERR_clear_error();
    }
};

TlsStream::TlsStream() : m(std::make_unique<Impl>()) {}

TlsStream::~TlsStream() {
    if (m->ssl != nullptr) {
        SSL_free(m->ssl); // frees the BIO too; the socket stays the caller's
    }
}

bool TlsStream::Handshake(Socket& socket, const std::string& host, const TlsStream* resume) {
    const bool data = resume != nullptr && resume->m->ssl != nullptr;
    SSL_CTX* context = data ? SSL_get_SSL_CTX(resume->m->ssl) : NewClientContext();
    BIO_METHOD* method = SocketMethod();
    m->ssl = context != nullptr ? SSL_new(context) : nullptr; // holds its own reference
    if (!data && context != nullptr) {
        SSL_CTX_free(context);
    }
    BIO* bio = m->ssl != nullptr && method != nullptr ? BIO_new(method) : nullptr;
    if (bio == nullptr) {
        m->broken = true;
        m->error = ENOMEM;
        return false;
    }
    m->bio.fd = socket.Handle();
    m->bio.idleLimitMs = socket.IdleLimit();
    BIO_set_data(bio, &m->bio);
    SSL_set_bio(m->ssl, bio, bio);
    if (data) {
        m->pool = resume->m->pool;
        SSL_SESSION* session = SSL_get_session(resume->m->ssl);
        if ((!m->pool || !m->pool->ResumeWith(m->ssl)) && session != nullptr) {
            SSL_set_session(m->ssl, session);
        }
    } else {
        m->pool = std::make_shared<SessionPool>();
    }
    SSL_set_ex_data(m->ssl, PoolIndex(), &m->pool);
    if (IsAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m->ssl), host.c_str());
    } else if (!host.empty()) {
        SSL_set_tlsext_host_name(m->ssl, host.c_str());
        SSL_set1_host(m->ssl, host.c_str());
    }
    ERR_clear_error();
    const int rc = SSL_connect(m->ssl);
    if (rc != 1) {
        m->Fail(rc);
        return false;
    }
    m->established = true;
    if (resume != nullptr) {
        X509* mine = SSL_get0_peer_certificate(m->ssl);
        X509* theirs =
            resume->m->ssl != nullptr ? SSL_get0_peer_certificate(resume->m->ssl) : nullptr;
        if (mine == nullptr || theirs == nullptr || X509_cmp(mine, theirs) != 0) {
            m->broken = true;
            m->problem = res::LoadString(res::kTextTlsOtherCertificate) + "\r\n";
            return false;
        }
    }
    return true;
}

CertificateInfo TlsStream::PeerCertificate() const {
    CertificateInfo info;
    X509* certificate = m->ssl != nullptr ? SSL_get0_peer_certificate(m->ssl) : nullptr;
    if (certificate == nullptr) {
        info.problem = "no certificate";
        return info;
    }
    info.subject = NameText(X509_get_subject_name(certificate));
    info.issuer = NameText(X509_get_issuer_name(certificate));
    info.notBefore = TimeText(X509_get0_notBefore(certificate));
    info.notAfter = TimeText(X509_get0_notAfter(certificate));
    info.fingerprint = FingerprintText(certificate);
    const long result = SSL_get_verify_result(m->ssl);
    info.verified = result == X509_V_OK;
    if (!info.verified) {
        info.problem = X509_verify_cert_error_string(result);
    }
    return info;
}

std::string TlsStream::Version() const {
    return m->ssl != nullptr ? SSL_get_version(m->ssl) : "";
}

std::string TlsStream::Cipher() const {
    const char* name = m->ssl != nullptr ? SSL_get_cipher_name(m->ssl) : nullptr;
    return name != nullptr ? name : "";
}

bool TlsStream::SessionReused() const {
    return m->ssl != nullptr && SSL_session_reused(m->ssl) == 1;
}

void TlsStream::CloseNotify() {
    if (m->established && !m->broken && !m->notified) {
        m->notified = true;
        ERR_clear_error();
        SSL_shutdown(m->ssl); // does not wait for the peer's
        ERR_clear_error();
    }
}

void TlsStream::Abandon() {
    m->broken = true;
}

bool TlsStream::SendAll(const void* data, std::size_t length) {
    if (!m->established || m->broken) {
        m->NotConnected();
        return false;
    }
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        std::size_t written = 0;
        ERR_clear_error();
        const int rc = SSL_write_ex(m->ssl, next, length, &written);
        if (rc != 1) {
            m->Fail(rc);
            return false;
        }
        next += written;
        length -= written;
    }
    return true;
}

long TlsStream::Receive(void* buffer, std::size_t length) {
    if (!m->established || m->broken) {
        m->NotConnected();
        return -1;
    }
    std::size_t received = 0;
    ERR_clear_error();
    int rc = SSL_read_ex(m->ssl, buffer, length, &received);
    if (rc != 1) {
        if (SSL_get_error(m->ssl, rc) == SSL_ERROR_ZERO_RETURN) {
            return 0; // the peer's close_notify, or its close (see the context's options)
        }
        m->Fail(rc);
        return -1;
    }
    // One record comes per read; the records already received fill the rest of the buffer,
    // so that a receive hands over what the socket held, as a plain receive does. An end or a
    // failure among them is reported by the next receive.
    char* bytes = static_cast<char*>(buffer);
    while (received < length && SSL_has_pending(m->ssl) == 1) {
        std::size_t more = 0;
        rc = SSL_read_ex(m->ssl, bytes + received, length - received, &more);
        if (rc != 1) {
            if (SSL_get_error(m->ssl, rc) != SSL_ERROR_ZERO_RETURN) {
                m->Fail(rc);
            }
            break;
        }
        received += more;
    }
    return static_cast<long>(received);
}

void TlsStream::ShutdownBoth() {
    CloseNotify();
    if (m->bio.fd >= 0) {
        sock::Shutdown(m->bio.fd, true);
    }
}

int TlsStream::LastError() const {
    return m->error;
}

std::string TlsStream::ErrorText() const {
    return m->error != 0 ? SystemErrorText(m->error) : m->problem;
}

bool TlsStream::HasBuffered() const {
    return m->established && !m->broken && SSL_has_pending(m->ssl) == 1;
}

} // namespace platform
