// The FTP client engine: one control connection, its replies, listings, single commands and
// data transfers. Every operation blocks the calling (worker) thread until its exchange ends.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ftp/engine_owner.h"
#include "ftp/listing_cache.h"
#include "ftp/server_features.h"
#include "platform/socket.h"
#include "platform/stream.h"
#include "platform/tls_stream.h"

namespace ftp {

class DataConnection;

// A server name as the user types it: "host", "host:PORT", "[v6 address]:PORT", "[v6 address]",
// or a bare IPv6 address (several colons, so no port). The port is `defaultPort` unless one is
// given.
void SplitServerPort(const std::string& name, std::string& host, unsigned& port,
                     unsigned defaultPort = 21);

// How the control connection is protected.
enum class Security {
    Plain,    // plain FTP, the default
    Explicit, // AUTH TLS after the greeting
    Implicit, // TLS from the first byte
};

struct ServerName {
    std::string host;
    unsigned port = 21;
    Security security = Security::Plain;
};

// A server name as typed, optionally behind a scheme: "ftp://" (plain), "ftpes://" (explicit
// TLS) or "ftps://" (implicit TLS, port 990 unless one is given), in any letter case. A path
// behind a scheme's host ("/...") is ignored. Without a scheme the name is plain FTP.
ServerName ParseServerName(const std::string& name);

// What FtpConnect is asked for beyond plain FTP.
struct TlsRequest {
    Security security = Security::Plain;
    // SHA-256 fingerprint of the certificate the user trusted for this host, "" for none.
    std::string trustedFingerprint;
};
// The PORT argument: the address with commas, then the port's high and low byte in decimal.
std::string PortArgument(const std::string& portAddress, unsigned port);
// The remote name of an upload after the two lowercase options.
std::string StoreRemoteName(const std::string& remoteName, bool lowercaseFileName,
                            bool lowercaseExtension);
// Upload block size by the file's length.
std::size_t UploadBlockSize(std::int64_t length);
// A local path whose extension is "bak" in any letter case (skipped while mirroring).
bool IsBackupFile(const std::string& localPath);
// True when `path` reaches every server as one LIST argument: nothing a server splits at
// (spaces) or expands (wildcards).
bool IsPlainListArgument(const std::string& path);
// Appends the network text of an ASCII download to `out` as local text: CR LF becomes LF, and
// every other byte, a lone CR included, stays. A CR that ends the block is held back in
// `heldCR` until the next block shows whether an LF follows; the caller writes it at the end.
void AppendLocalText(std::string& out, const char* data, std::size_t length, bool& heldCR);

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
    // `displayName` (when not empty) is what the log shows instead of `host`. With TLS asked
    // for, the connection is secured (implicitly, or with AUTH TLS after the greeting) and
    // PBSZ 0 and PROT P are sent before USER; a server that refuses never sees USER or PASS.
    bool FtpConnect(const std::string& host, const std::string& user, const std::string& password,
                    unsigned port, const std::string& displayName = {}, const TlsRequest& tls = {});
    // The fingerprint of the certificate the user agreed to trust during the last FtpConnect,
    // "" when no question was answered Yes. The caller keeps it with the host.
    const std::string& AcceptedFingerprint() const { return m_acceptedFingerprint; }
    // The control connection is secured with TLS (and so is every data connection).
    bool Secured() const { return m_controlTls != nullptr; }
    bool FtpCurrentFolder(std::string& path);
    void FtpQuit();

    // Listing: number of lines, or -1. `pathArgument` is "" or " " + folder path. A listing
    // that passes kMaxListingLines lines or kMaxListingBytes is not read further: the result is
    // kMaxListingLines + 1 and `listing` is left empty, so that no part of it is acted on.
    int FtpList(std::string& listing, const std::string& pathArgument, bool useCache);
    // Lists the folder `path` as FtpList does. A path that a server could split or expand
    // (spaces, wildcards) is never a LIST argument: the folder is entered with CWD, listed, and
    // left again for the remote folder. `allEntries` asks for dot names too (LIST -a, always
    // from inside the folder: not every server takes an option with a path); such a listing
    // neither comes from the cache nor goes into it.
    int FtpListFolder(std::string& listing, const std::string& path, bool useCache,
                      bool allEntries = false);

    // Single commands.
    bool FtpChangeFolder(const std::string& path);
    bool FtpMakeFolder(const std::string& name);
    bool FtpRemoveFolder(const std::string& name);
    bool FtpDelete(const std::string& name);
    bool FtpRename(const std::string& oldName, const std::string& newName);
    bool FtpChmod(const std::string& argument);

    // Transfers.
    // `wholeSize`: the size the server listed for the file, -1 when unknown. In image mode a
    // download that ends at another size fails with a message, whatever the server replied;
    // a resumed one is cut back to where it resumed (the server ignored REST).
    bool FtpRetrieve(const std::string& localPath, const std::string& remoteName,
                     const std::string& type, std::int64_t size, std::int64_t offset,
                     std::int64_t wholeSize = -1);
    bool FtpStore(const std::string& localPath, const std::string& remoteName,
                  const std::string& type);
    BoxAnswer AskYesNo(const std::string& prefix, int stringId);

    // Building blocks (also used by the tests). `stream` is the calling operation's own object
    // on the control connection: it stands for the connection's handle. Once the connection is
    // secured, the bytes go through its TLS stream instead, whatever object is passed.
    bool SendCommand(platform::Stream& stream, const std::string& command);
    bool SendPassword(platform::Stream& stream, const std::string& password);
    bool ReadReply(platform::Stream& stream, std::string& reply, bool breakLineFirst);
    bool IsReplyComplete(const std::string& text, char& firstDigit);

    // Shuts down and closes the control connection (also for the owner's disconnect cleanup).
    void CloseControlConnection();

    // How long the server may send nothing while we wait on it (a reply on the control
    // connection, bytes on the data connection) before the connection counts as broken.
    static void SetIdleLimit(int ms) { s_idleLimitMs = ms; }
    static int IdleLimit() { return s_idleLimitMs; }
    // How long a reply, or a listing with its replies, may take in all, however steadily its
    // bytes trickle in; past it the server counts as one that stopped answering.
    static void SetCompletionLimit(int ms) { s_completionLimitMs = ms; }

    ListingCache& Cache() { return m_listingCache; }
    // Whom this engine reports to: its boxes, for the steps that go with its transfers.
    IEngineOwner& Owner() { return m_owner; }
    // What the server offered in its answer to FEAT after the login (nothing before).
    const ServerFeatures& Features() const { return m_features; }
    // The exact time (UTC) the last listing of `folder` (its cache key) gave its line `line`:
    // MLSD's "modify".
    bool ExactTime(const std::string& folder, int line, std::int64_t& utc) const;
    // MDTM: a file's modification time (UTC); only where the server offers it.
    bool FtpModificationTime(const std::string& path, std::int64_t& utc);
    // Sets a file's modification time: MFMT, or MDTM with the time first where the server
    // offers MDTM alone (vsftpd); false when it cannot, and then never tried again on this
    // connection.
    bool FtpSetModificationTime(const std::string& path, std::int64_t utc);
    // Data connections are opened by us: the owner's option, or after a fall-back.
    bool PassiveMode() { return m_fellBackToPassive || m_owner.PassiveMode(); }
    // A connection that only this program's jobs use: TYPE is sent only when the type
    // changes. The browsing connection keeps sending it before every transfer.
    void SendTypeOnChangeOnly() { m_typeOnChangeOnly = true; }

    // The control connection's socket: the building blocks above take it as their stream.
    platform::Socket& ControlSocket() { return m_controlSocket; }
    // The connection broke (or was ended after a loss); cleared by the next connect.
    bool ConnectionLost() const { return m_connectionLost; }
    // The code of the last complete reply, "" before the first.
    const std::string& LastReplyCode() const { return m_lastReplyCode; }
    // "a,b,c,d" for PORT; on an IPv6 control connection the address as EPRT writes it.
    const std::string& PortAddress() const { return m_portAddress; }
    // Files moved and deleted since the job reset them; a job's closing line counts them.
    int TransferCount() const { return m_transferCount; }
    int DeletedCount() const { return m_deletedCount; }
    void ResetTransferCount() { m_transferCount = 0; }
    void ResetDeletedCount() { m_deletedCount = 0; }

private:
    // The data connection is this class's other half: it reads the connection's state here.
    friend class DataConnection;

    platform::Socket m_controlSocket;
    std::atomic<bool> m_connectionLost{false};
    std::string m_lastReplyCode;
    std::string m_portAddress;
    bool m_controlIPv6 = false;
    // Per connection: active mode failed once, and the server does not know EPSV.
    bool m_fellBackToPassive = false;
    bool m_epsvRefused = false;
    bool m_typeOnChangeOnly = false;
    std::string m_currentType; // the type the server last accepted, "" when not known
    std::atomic<int> m_transferCount{0};
    std::atomic<int> m_deletedCount{0};

    // One attempt of a listing or transfer; RunDataExchange repeats it after a fall-back.
    bool ListOnce(DataConnection& connection, std::string& listing, const std::string& command,
                  bool& tooLong);
    // One listing with its fall-back, by MLSD where the server offers it (then as lines of
    // the long format, with the exact times in `times`), else by LIST; the line count,
    // kMaxListingLines + 1 or -1 as FtpList. `pathArgument` is as FtpList's, or " -a".
    int FetchListing(std::string& listing, const std::string& pathArgument, ExactTimes& times);
    int FetchOnce(std::string& listing, const std::string& command);
    void KeepExactTimes(const std::string& folder, ExactTimes&& times);
    // The steps of FtpConnect, each false when the attempt ended (and then cleaned up).
    void ForgetConnection(const std::string& host);
    // The TCP connection (and implicit TLS) and the greeting.
    bool OpenControl(platform::Socket& call, const std::string& host, unsigned port,
                     const TlsRequest& tls);
    // Our address as PORT and EPRT announce it.
    bool NoteLocalAddress(platform::Socket& call);
    // AUTH TLS and the handshake, when explicit TLS is asked for.
    bool SecureExplicitly(platform::Socket& call, const TlsRequest& tls);
    // PBSZ 0 and PROT P on a secured connection.
    bool Protect(platform::Socket& call, const TlsRequest& tls);
    bool LogIn(platform::Socket& call, const std::string& user, const std::string& password);
    // FEAT, and OPTS UTF8 ON where offered. False when the connection broke.
    bool DiscoverFeatures(platform::Socket& call);
    // One command of the login and its reply; a refusal ends the connection with QUIT.
    // `password`: the command is the password, sent as PASS and logged as stars.
    bool LoginExchange(platform::Socket& call, const std::string& command, bool password = false);
    bool LoginRefused(platform::Socket& call);
    bool RetrieveOnce(platform::Socket& call, DataConnection& connection,
                      const std::string& localPath, const std::string& remoteName,
                      const std::string& type, std::int64_t size, std::int64_t offset,
                      std::int64_t wholeSize);
    bool StoreOnce(DataConnection& connection, const std::string& localPath,
                   const std::string& name, const std::string& type);
    // The one block loop of both directions: `bytes` just moved count as blocks of `block`
    // bytes (at least one, even of none); the progress moves with each, and a cancel asked
    // for meanwhile is confirmed with `cancelQuestion` before the next. False when the user
    // confirmed; `counted` then holds the bytes counted up to that block.
    bool CountBlocks(std::size_t bytes, std::size_t block, int cancelQuestion, std::int64_t& done,
                     std::size_t& counted);
    // The TLS handshake on the control connection, the log line and the certificate check
    // with the user's question. False when the connection was ended.
    bool SecureControl(platform::Socket& call, const TlsRequest& tls, bool breakLineFirst);
    // What goes on the wire for the per-call object `stream`.
    platform::Stream& Wire(platform::Stream& stream) {
        return m_controlTls ? *m_controlTls : stream;
    }
    void ShowSocketError(int code);
    void ShowStreamError(const platform::Stream& stream);
    // A send or receive on `failed` went wrong: its error in a box, or, when the server let
    // the idle limit pass or the user canceled the wait, a line in the log.
    void ReportStreamFailure(const platform::Stream& failed);
    // A wait that ended with `error` on the control connection: the user's cancel or the
    // server's silence ends the connection with a line in the log (true); anything else is
    // the caller's to report (false).
    bool BreakAfterWait(platform::Stream& control, int error);
    // The waits of a connect, a login or a listing end when the user cancels.
    platform::WaitBound CancellableWaits() { return {m_owner.CancelFlag(), -1}; }
    // The control connection counts as broken: shut down, m_connectionLost set, the owner's
    // cleanup run. `textId` (when not 0) is logged first.
    void BreakConnection(platform::Stream& control, int textId = 0);
    void ShowFileError(int code);
    void ConnectFailed(platform::Socket& call);
    bool SimpleCommand(const std::string& command);

    IEngineOwner& m_owner;
    ListingCache m_listingCache;
    // The control connection's TLS stream while it is secured; data connections reuse its
    // session and send SNI for the same host.
    std::unique_ptr<platform::TlsStream> m_controlTls;
    std::string m_tlsHost;
    std::string m_acceptedFingerprint;
    ServerFeatures m_features;
    bool m_setTimeRefused = false;
    // Exact times by the cache key of the folder listed, for the folders listed lately.
    std::map<std::string, ExactTimes> m_exactTimes;
    // While FtpConnect logs in, a 421 ends the attempt as a refused login does.
    bool m_loggingIn = false;
    static inline std::atomic<int> s_idleLimitMs{60000};
    static inline std::atomic<int> s_completionLimitMs{5 * 60000};
};

} // namespace ftp
