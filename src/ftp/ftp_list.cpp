// FtpList: one LIST over an active-mode data connection, with the listing cache in front.
#include "ftp/ftp_client.h"

#include "ftp/data_connection.h"
#include "ftp/dos_listing.h"

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
    DataConnection connection(*this, call);
    if (!connection.Prepare("A")) {
        return -1;
    }
    std::string listReply;
    if (!SendCommand(call, "LIST" + pathArgument) || !ReadReply(call, listReply, false)) {
        return -1;
    }
    if (!connection.Open(listReply)) {
        connection.Abandon();
        return -1;
    }
    char buffer[kListReceiveSize + 1];
    for (;;) {
        const long received = connection.Data().Receive(buffer, kListReceiveSize);
        if (received == 0) {
            break;
        }
        if (received < 0) {
            ShowSocketError(connection.Data().LastError());
            connection.Abandon();
            return -1;
        }
        buffer[received] = '\0';
        listing += buffer;
    }
    if (!connection.Finish()) {
        return -1;
    }
    // Windows servers may answer in the DOS style; the cache and every reader get Unix lines.
    RewriteDosListing(listing);
    m_listingCache.Store(key, listing);
    return CountLineFeeds(listing);
}

} // namespace ftp
