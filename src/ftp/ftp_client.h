// The FTP client engine: one control connection, its replies, listings, single commands and
// data transfers. Every operation blocks the calling (worker) thread until its exchange ends.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ftp/engine_owner.h"
#include "ftp/listing_cache.h"
#include "platform/socket.h"

namespace ftp {

class DataConnection;

// A server name as the user types it: "host", "host:PORT", "[v6 address]:PORT", "[v6 address]",
// or a bare IPv6 address (several colons, so no port). The port is 21 unless one is given.
void SplitServerPort(const std::string& name, std::string& host, unsigned& port);
// The PORT argument: the address with commas, then the port's high and low byte in decimal.
std::string PortArgument(const std::string& portAddress, unsigned port);
// The remote name of an upload after the two lowercase options.
std::string StoreRemoteName(const std::string& remoteName, bool lowercaseFileName,
                            bool lowercaseExtension);
// Upload block size by the file's length.
std::size_t UploadBlockSize(std::int64_t length);
// A local path whose extension is "bak" in any letter case (skipped while mirroring).
bool IsBackupFile(const std::string& localPath);

class FtpClient {
public:
    explicit FtpClient(IEngineOwner& owner);
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Control connection (created on the window's thread before the connect job starts).
    // Returns false with the socket error code in `error` when it cannot be created.
    bool CreateControlSocket(int& error);

    // Login and session.
    // `displayName` (when not empty) is what the log shows instead of `host`.
    bool FtpConnect(const std::string& host, const std::string& user, const std::string& password,
                    unsigned port, const std::string& displayName = {});
    bool FtpCurrentFolder(std::string& path);
    void FtpQuit();

    // Listing: number of lines, or -1. `pathArgument` is "" or " " + folder path. A listing
    // that passes kMaxListingLines lines or kMaxListingBytes is not read further: the result is
    // kMaxListingLines + 1 and `listing` is left empty, so that no part of it is acted on.
    int FtpList(std::string& listing, const std::string& pathArgument, bool useCache);

    // Single commands.
    bool FtpChangeFolder(const std::string& path);
    bool FtpMakeFolder(const std::string& name);
    bool FtpRemoveFolder(const std::string& name);
    bool FtpDelete(const std::string& name);
    bool FtpRename(const std::string& oldName, const std::string& newName);
    bool FtpChmod(const std::string& argument);

    // Transfers.
    bool FtpRetrieve(const std::string& localPath, const std::string& remoteName,
                     const std::string& type, std::int64_t size, std::int64_t offset);
    bool FtpStore(const std::string& localPath, const std::string& remoteName,
                  const std::string& type);
    BoxAnswer AskYesNo(const std::string& prefix, int stringId);

    // Building blocks (also used by the tests).
    bool SendCommand(platform::Socket& socket, const std::string& command);
    bool SendPassword(platform::Socket& socket, const std::string& password);
    bool ReadReply(platform::Socket& socket, std::string& reply, bool breakLineFirst);
    bool IsReplyComplete(const std::string& text, char& firstDigit);

    // Shuts down and closes the control connection (also for the owner's disconnect cleanup).
    void CloseControlConnection();

    // How long the server may send nothing while we wait on it (a reply on the control
    // connection, bytes on the data connection) before the connection counts as broken.
    static void SetIdleLimit(int ms) { s_idleLimitMs = ms; }
    static int IdleLimit() { return s_idleLimitMs; }

    ListingCache& Cache() { return m_listingCache; }
    // Data connections are opened by us: the owner's option, or after a fall-back.
    bool PassiveMode() { return m_fellBackToPassive || m_owner.PassiveMode(); }

    platform::Socket m_controlSocket;
    std::atomic<bool> m_connectionLost{false};
    std::string m_lastReplyCode;
    // "a,b,c,d" for PORT; on an IPv6 control connection the address as EPRT writes it.
    std::string m_portAddress;
    bool m_controlIPv6 = false;
    // Per connection: active mode failed once, and the server does not know EPSV.
    bool m_fellBackToPassive = false;
    bool m_epsvRefused = false;
    std::atomic<int> m_transferCount{0};
    std::atomic<int> m_deletedCount{0};

private:
    friend class DataConnection;

    // One attempt of a listing or transfer; RunDataExchange repeats it after a fall-back.
    bool ListOnce(DataConnection& connection, std::string& listing, const std::string& pathArgument,
                  bool& tooLong);
    bool RetrieveOnce(platform::Socket& call, DataConnection& connection,
                      const std::string& localPath, const std::string& remoteName,
                      const std::string& type, std::int64_t size, std::int64_t offset);
    bool StoreOnce(DataConnection& connection, const std::string& localPath,
                   const std::string& name, const std::string& type);
    void ShowSocketError(int code);
    // A send or receive on `failed` went wrong: its error in a box, or, when the server let
    // the idle limit pass, a line in the log.
    void ReportSocketFailure(const platform::Socket& failed);
    // The control connection counts as broken: shut down, m_connectionLost set, the owner's
    // cleanup run. `textId` (when not 0) is logged first.
    void BreakConnection(platform::Socket& control, int textId = 0);
    void ShowFileError(int code);
    void ConnectFailed(platform::Socket& call);
    bool SimpleCommand(const std::string& command);

    IEngineOwner& m_owner;
    ListingCache m_listingCache;
    // While FtpConnect logs in, a 421 ends the attempt as a refused login does.
    bool m_loggingIn = false;
    static inline std::atomic<int> s_idleLimitMs{60000};
};

} // namespace ftp
