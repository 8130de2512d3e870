// FtpList: one LIST over a data connection, with the listing cache in front.
#include "ftp/ftp_client.h"

#include <algorithm>

#include "ftp/data_connection.h"
#include "ftp/dos_listing.h"
#include "ftp/listing_grammar.h"

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

bool IsPlainListArgument(const std::string& path) {
    return path.find_first_of(" \t*?[{") == std::string::npos;
}

int FtpClient::FtpList(std::string& listing, const std::string& pathArgument, bool useCache) {
    const platform::WaitBound cancellable = CancellableWaits();
    const std::string key = pathArgument.empty() ? m_owner.RemoteFolder() : pathArgument.substr(1);
    if (useCache && m_listingCache.Lookup(key, listing)) {
        return CountLineFeeds(listing);
    }
    const int lines = FetchListing(listing, pathArgument);
    if (lines >= 0 && lines <= kMaxListingLines) {
        m_listingCache.Store(key, listing);
    }
    return lines;
}

int FtpClient::FtpListFolder(std::string& listing, const std::string& path, bool useCache,
                             bool allEntries) {
    const platform::WaitBound cancellable = CancellableWaits();
    if (!allEntries && IsPlainListArgument(path)) {
        return FtpList(listing, " " + path, useCache);
    }
    if (!allEntries && useCache && m_listingCache.Lookup(path, listing)) {
        return CountLineFeeds(listing);
    }
    listing.clear();
    if (!SimpleCommand("CWD " + path)) {
        return -1;
    }
    int lines = FetchListing(listing, allEntries ? " -a" : "");
    // The jobs name files relative to the remote folder: the server must be back there.
    if (!m_connectionLost && !SimpleCommand("CWD " + m_owner.RemoteFolder())) {
        lines = -1;
    }
    if (lines == -1) {
        listing.clear();
    } else if (!allEntries && lines <= kMaxListingLines) {
        m_listingCache.Store(path, listing);
    }
    return lines;
}

int FtpClient::FetchListing(std::string& listing, const std::string& pathArgument) {
    bool tooLong = false;
    const bool fetched =
        RunDataExchange(*this, m_controlSocket, [&](platform::Socket&, DataConnection& connection) {
            return ListOnce(connection, listing, pathArgument, tooLong);
        });
    if (tooLong) {
        listing.clear();
        return kMaxListingLines + 1;
    }
    if (!fetched) {
        return -1;
    }
    // Windows servers may answer in the DOS style; the cache and every reader get Unix lines.
    RewriteDosListing(listing);
    return CountLineFeeds(listing);
}

bool FtpClient::ListOnce(DataConnection& connection, std::string& listing,
                         const std::string& pathArgument, bool& tooLong) {
    // However steadily a listing trickles in, it has a limit of its own, its replies included.
    const platform::WaitBound bound(nullptr, s_completionLimitMs);
    listing.clear();
    std::string listReply;
    if (!connection.Prepare("A") || !connection.Request("LIST" + pathArgument, listReply)) {
        return false;
    }
    if (!connection.Open(listReply)) {
        return connection.Abandon();
    }
    char buffer[kListReceiveSize + 1];
    std::size_t receivedTotal = 0;
    int lineFeeds = 0;
    for (;;) {
        const long received = connection.Data().Receive(buffer, kListReceiveSize);
        if (received == 0) {
            break;
        }
        if (received < 0) {
            return connection.Failed();
        }
        buffer[received] = '\0';
        const std::size_t start = listing.size();
        listing += buffer;
        // Counted as FtpList counts (a line feed in the very first place does not count).
        for (std::size_t i = std::max<std::size_t>(start, 1); i < listing.size(); ++i) {
            lineFeeds += listing[i] == '\n' ? 1 : 0;
        }
        receivedTotal += static_cast<std::size_t>(received);
        // Refused as a whole anyway: reading on would only fill memory.
        if (lineFeeds > kMaxListingLines || receivedTotal > kMaxListingBytes) {
            tooLong = true;
            return connection.Abandon();
        }
    }
    return connection.Finish();
}

} // namespace ftp
