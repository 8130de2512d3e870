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

bool FtpClient::FtpModificationTime(const std::string& path, std::int64_t& utc) {
    if (!m_features.mdtm) {
        return false;
    }
    platform::Socket call;
    call.Attach(m_controlSocket);
    std::string reply;
    if (!SendCommand(call, "MDTM " + path) || !ReadReply(call, reply, false) ||
        m_lastReplyCode != "213" || reply.size() < 4) {
        return false;
    }
    return ParseFactTime(reply.substr(4), utc);
}

bool FtpClient::FtpSetModificationTime(const std::string& path, std::int64_t utc) {
    if (m_setTimeRefused || (!m_features.mfmt && !m_features.mdtm)) {
        return false;
    }
    const std::string command = m_features.mfmt ? "MFMT " : "MDTM ";
    if (SimpleCommand(command + FactTime(utc) + " " + path)) {
        return true;
    }
    // A server that answers MDTM with two arguments as a question, or not at all.
    m_setTimeRefused = !m_connectionLost && m_lastReplyCode[0] == '5';
    return false;
}

} // namespace ftp
