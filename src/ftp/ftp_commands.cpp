// The single remote commands: one command (renaming: two) and its reply, no data connection.
#include "ftp/ftp_client.h"

namespace ftp {

bool FtpClient::SimpleCommand(const std::string& command) {
    platform::Socket call;
    call.Attach(m_controlSocket);
    std::string reply;
    return SendCommand(call, command) && ReadReply(call, reply, false);
}

bool FtpClient::FtpChangeFolder(const std::string& path) {
    const platform::WaitBound cancellable = CancellableWaits();
    if (!SimpleCommand("CWD " + path)) {
        m_owner.RestorePreviousRemoteFolder();
        return false;
    }
    return true;
}

bool FtpClient::FtpMakeFolder(const std::string& name) {
    return SimpleCommand("MKD " + name);
}

bool FtpClient::FtpRemoveFolder(const std::string& name) {
    return SimpleCommand("RMD " + name);
}

bool FtpClient::FtpDelete(const std::string& name) {
    if (!SimpleCommand("DELE " + name)) {
        return false;
    }
    ++m_deletedCount;
    return true;
}

bool FtpClient::FtpRename(const std::string& oldName, const std::string& newName) {
    platform::Socket call;
    call.Attach(m_controlSocket);
    std::string reply;
    if (!SendCommand(call, "RNFR " + oldName) || !ReadReply(call, reply, false)) {
        return false;
    }
    return SendCommand(call, "RNTO " + newName) && ReadReply(call, reply, false);
}

bool FtpClient::FtpChmod(const std::string& argument) {
    return SimpleCommand("SITE CHMOD " + argument);
}

} // namespace ftp
