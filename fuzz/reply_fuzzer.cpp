// The reply reader on any bytes a server could send, arriving in chunks of any size: replies
// are read one after another until the server's side closes, and nothing crashes or hangs.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ftp/engine_owner.h"
#include "ftp/ftp_client.h"
#include "platform/socket.h"

namespace {

class QuietOwner : public ftp::QuietEngineOwner {
public:
    void AppendLog(const std::string& text) override { logged += text.size(); }
    ftp::BoxAnswer ShowMessage(const std::string&, ftp::BoxButtons, ftp::BoxIcon) override {
        return ftp::BoxAnswer::Ok;
    }
    void DisconnectCleanup() override { ++cleanups; }

    std::size_t logged = 0;
    int cleanups = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 16384) {
        return 0;
    }
    // Packets keep their bounds, so each receive of the reader gets exactly one chunk as the
    // server wrote it, without a second thread.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        return 0;
    }
    // The first byte sets the chunk sizes the server writes in.
    const std::size_t chunk = 1 + data[0] % 97;
    for (std::size_t at = 1; at < size;) {
        const std::size_t n = std::min(chunk + at % 13, size - at);
        // Every packet is written before the reader starts: one the full buffer cannot take
        // ends the input there rather than waiting for a reader that never comes.
        if (::send(ends[1], data + at, n, MSG_NOSIGNAL | MSG_DONTWAIT) <= 0) {
            break;
        }
        at += n;
    }
    ::shutdown(ends[1], SHUT_WR);
    QuietOwner owner;
    ftp::FtpClient client(owner);
    platform::Socket socket(ends[0]);
    for (int replies = 0; replies <= static_cast<int>(size); ++replies) {
        std::string reply;
        const bool accepted = client.ReadReply(socket, reply, replies == 0);
        if (client.ConnectionLost()) {
            break;
        }
        // A reply that came whole ends in CR LF behind a line starting with its code.
        if (reply.size() < 6 || reply.compare(reply.size() - 2, 2, "\r\n") != 0 ||
            client.LastReplyCode().size() != 3) {
            std::abort();
        }
        (void)accepted;
    }
    if (owner.cleanups != 1 || owner.logged > size + 2) {
        std::abort();
    }
    ::close(ends[1]);
    return 0;
}
