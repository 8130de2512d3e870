// FtpList: one LIST over an active-mode data connection, with the listing cache in front.
#include "ftp/dos_listing.h"
#include "ftp/ftp_client.h"

namespace ftp {

namespace {

constexpr std::size_t kListReceiveSize = 4096;

int CountLineFeeds(const std::string& listing) {
    int count = 0;
    for (std::size_t i = 1; i < listing.size(); ++i) {
        if (listing[i] == '\n') {
            ++count;
        }
    }
    return count;
}

} // namespace

int FtpClient::FtpList(std::string& listing, const std::string& pathArgument, bool useCache) {
    const std::string key = pathArgument.empty() ? m_owner.RemoteFolder() : pathArgument.substr(1);
    if (useCache && m_listingCache.Lookup(key, listing)) {
        return CountLineFeeds(listing);
    }
    listing.clear();
    platform::Socket call;
    call.Attach(m_controlSocket);
    platform::Socket listener;
    if (!PrepareDataConnection(call, listener, "A")) {
        return -1;
    }
    std::string listReply;
    if (!SendCommand(call, "LIST" + pathArgument) || !ReadReply(call, listReply, false)) {
        return -1;
    }
    platform::Socket data;
    if (!AcceptDataConnection(call, listener, data, listReply)) {
        AbandonDataTransfer(call, listener);
        return -1;
    }
    char buffer[kListReceiveSize + 1];
    for (;;) {
        const long received = data.Receive(buffer, kListReceiveSize);
        if (received == 0) {
            break;
        }
        if (received < 0) {
            ShowSocketError(data.LastError());
            AbandonDataTransfer(call, listener, &data);
            return -1;
        }
        buffer[received] = '\0';
        listing += buffer;
    }
    CloseDataSockets(data, listener);
    // Some servers send the 150 and the 226 in one packet; then nothing more is due. The
    // code, not the line count, decides: a multi-line 150 still owes its 226.
    if (m_lastReplyCode[0] == '1') {
        std::string completion;
        if (!ReadReply(call, completion, false)) {
            return -1;
        }
    }
    // Windows servers may answer in the DOS style; the cache and every reader get Unix lines.
    RewriteDosListing(listing);
    m_listingCache.Store(key, listing);
    return CountLineFeeds(listing);
}

} // namespace ftp
