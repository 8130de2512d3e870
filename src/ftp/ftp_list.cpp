// FtpList: one LIST over a data connection, with the listing cache in front.
#include "ftp/ftp_client.h"

#include <algorithm>
#include <ctime>
#include <map>

#include "ftp/data_connection.h"
#include "ftp/dos_listing.h"
#include "ftp/entry_names.h"
#include "ftp/listing_grammar.h"
#include "ftp/listing_index.h"
#include "ftp/listing_line.h"

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

// The lines of `list` that are links take the place of the lines of the same name in
// `listing`.
void ReplaceLinkLines(std::string& listing, const std::string& list) {
    const ListingIndex links(list);
    std::map<std::string, int, std::less<>> linkLines;
    for (int l = 0; l < links.LineCount(); ++l) {
        if (links.FieldView(l, kFieldPermissions, false).starts_with("l")) {
            linkLines.emplace(LinkName(links.FieldView(l, kFieldName, true)), l);
        }
    }
    const ListingIndex index(listing);
    std::string merged;
    for (int line = 0; line < index.LineCount(); ++line) {
        const auto link = linkLines.find(index.FieldView(line, kFieldName, true));
        merged += link == linkLines.end() ? listing::LineAt(listing, line)
                                          : listing::LineAt(list, link->second);
    }
    listing = std::move(merged);
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
    ExactTimes times;
    const int lines = FetchListing(listing, pathArgument, times);
    if (lines >= 0 && lines <= kMaxListingLines) {
        m_listingCache.Store(key, listing);
        KeepExactTimes(key, std::move(times));
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
    ExactTimes times;
    int lines = FetchListing(listing, allEntries ? " -a" : "", times);
    // The jobs name files relative to the remote folder: the server must be back there.
    if (!m_connectionLost && !SimpleCommand("CWD " + m_owner.RemoteFolder())) {
        lines = -1;
    }
    if (lines == -1) {
        listing.clear();
    } else if (lines <= kMaxListingLines) {
        if (!allEntries) {
            m_listingCache.Store(path, listing);
        }
        KeepExactTimes(path, std::move(times));
    }
    return lines;
}

void FtpClient::KeepExactTimes(const std::string& folder, ExactTimes&& times) {
    constexpr std::size_t kFolders = 64;
    m_exactTimes.erase(folder);
    if (times.empty()) {
        return;
    }
    if (m_exactTimes.size() >= kFolders) {
        m_exactTimes.erase(m_exactTimes.begin());
    }
    m_exactTimes.emplace(folder, std::move(times));
}

bool FtpClient::ExactTime(const std::string& folder, int line, std::int64_t& utc) const {
    const auto listed = m_exactTimes.find(folder);
    if (listed == m_exactTimes.end() || line < 0 ||
        static_cast<std::size_t>(line) >= listed->second.size()) {
        return false;
    }
    utc = listed->second[static_cast<std::size_t>(line)];
    return true;
}

int FtpClient::FetchListing(std::string& listing, const std::string& pathArgument,
                            ExactTimes& times) {
    times.clear();
    if (!m_features.mlsd) {
        const int lines = FetchOnce(listing, "LIST" + pathArgument);
        if (lines >= 0 && lines <= kMaxListingLines) {
            // Windows servers may answer in the DOS style; the cache and every reader get Unix
            // lines.
            RewriteDosListing(listing);
            return CountLineFeeds(listing);
        }
        return lines;
    }
    // MLSD shows dot names without being asked.
    const int lines = FetchOnce(listing, "MLSD" + (pathArgument == " -a" ? "" : pathArgument));
    if (lines < 0 || lines > kMaxListingLines) {
        return lines;
    }
    bool symlinks = false;
    listing =
        MlsdToListing(listing, times, symlinks, static_cast<std::int64_t>(std::time(nullptr)));
    if (symlinks) {
        // MLSD does not say where a link leads: LIST does, and its lines stand for the links.
        std::string list;
        const int listed = FetchOnce(list, "LIST" + pathArgument);
        if (listed >= 0 && listed <= kMaxListingLines) {
            RewriteDosListing(list);
            ReplaceLinkLines(listing, list);
        } else if (m_connectionLost) {
            return -1;
        }
    }
    return CountLineFeeds(listing);
}

int FtpClient::FetchOnce(std::string& listing, const std::string& command) {
    bool tooLong = false;
    const bool fetched =
        RunDataExchange(*this, m_controlSocket, [&](platform::Socket&, DataConnection& connection) {
            return ListOnce(connection, listing, command, tooLong);
        });
    if (tooLong) {
        listing.clear();
        return kMaxListingLines + 1;
    }
    if (!fetched) {
        return -1;
    }
    return CountLineFeeds(listing);
}

bool FtpClient::ListOnce(DataConnection& connection, std::string& listing,
                         const std::string& command, bool& tooLong) {
    // However steadily a listing trickles in, it has a limit of its own, its replies included.
    const platform::WaitBound bound(nullptr, s_completionLimitMs);
    listing.clear();
    std::string listReply;
    if (!connection.Prepare("A") || !connection.Request(command, listReply)) {
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
