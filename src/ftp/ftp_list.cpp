// FtpList: one LIST over a data connection, with the listing cache in front.
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
    const bool fetched =
        RunDataExchange(*this, m_controlSocket, [&](platform::Socket&, DataConnection& connection) {
            return ListOnce(connection, listing, pathArgument);
        });
    if (!fetched) {
        return -1;
    }
    // Windows servers may answer in the DOS style; the cache and every reader get Unix lines.
    RewriteDosListing(listing);
    m_listingCache.Store(key, listing);
    return CountLineFeeds(listing);
}

bool FtpClient::ListOnce(DataConnection& connection, std::string& listing,
                         const std::string& pathArgument) {
    listing.clear();
    std::string listReply;
    if (!connection.Prepare("A") || !connection.Request("LIST" + pathArgument, listReply)) {
        return false;
    }
    if (!connection.Open(listReply)) {
        return connection.Abandon();
    }
    char buffer[kListReceiveSize + 1];
    for (;;) {
        const long received = connection.Data().Receive(buffer, kListReceiveSize);
        if (received == 0) {
            break;
        }
        if (received < 0) {
            ShowStreamError(connection.Data());
            return connection.Abandon();
        }
        buffer[received] = '\0';
        listing += buffer;
    }
    return connection.Finish();
}

} // namespace ftp
