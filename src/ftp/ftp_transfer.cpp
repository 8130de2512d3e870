// FtpRetrieve and FtpStore: one file over a data connection.
#include "ftp/ftp_client.h"

#include <algorithm>
#include <vector>

#include "ftp/data_connection.h"
#include "platform/system_error.h"
#include "platform/transfer_file.h"
#include "res/ascii_case.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace ftp {

namespace {

constexpr std::size_t kDownloadBlock = 8192;
constexpr std::size_t kBlocksPerReceive = 16;
constexpr std::size_t kBlocksPerSend = 16;

} // namespace

std::string StoreRemoteName(const std::string& remoteName, bool lowercaseFileName,
                            bool lowercaseExtension) {
    std::string name = remoteName;
    const std::size_t slash = name.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (lowercaseFileName) {
        res::LowerAscii(name, nameStart);
    }
    if (lowercaseExtension) {
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot >= nameStart) {
            res::LowerAscii(name, dot);
        }
    }
    return name;
}

std::size_t UploadBlockSize(std::int64_t length) {
    if (length < 8192) {
        return 1024;
    }
    if (length < 16384) {
        return 2048;
    }
    if (length < 32768) {
        return 4096;
    }
    return 8192;
}

bool IsBackupFile(const std::string& localPath) {
    const std::size_t dot = localPath.rfind('.');
    const std::size_t slash = localPath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return false;
    }
    std::string extension = localPath.substr(dot + 1);
    res::LowerAscii(extension);
    return extension == "bak";
}

void AppendLocalText(std::string& out, const char* data, std::size_t length, bool& heldCR) {
    for (std::size_t i = 0; i < length; ++i) {
        const char c = data[i];
        if (heldCR && c != '\n') {
            out += '\r';
        }
        heldCR = c == '\r';
        if (!heldCR) {
            out += c;
        }
    }
}

bool FtpClient::CountBlocks(std::size_t bytes, std::size_t block, int cancelQuestion,
                            std::int64_t& done, std::size_t& counted) {
    counted = 0;
    do {
        const std::size_t part = std::min(block, bytes - counted);
        counted += part;
        done += static_cast<std::int64_t>(part);
        m_owner.SetProgress(done);
        if (m_owner.CancelRequested()) {
            if (AskYesNo("", cancelQuestion) == BoxAnswer::Yes) {
                return false;
            }
            m_owner.ClearCancelRequest();
        }
    } while (counted < bytes);
    return true;
}

bool FtpClient::FtpRetrieve(const std::string& localPath, const std::string& remoteName,
                            const std::string& type, std::int64_t size, std::int64_t offset,
                            std::int64_t wholeSize) {
    return RunDataExchange(*this, m_controlSocket,
                           [&](platform::Socket& call, DataConnection& connection) {
                               return RetrieveOnce(call, connection, localPath, remoteName, type,
                                                   size, offset, wholeSize);
                           });
}

bool FtpClient::RetrieveOnce(platform::Socket& call, DataConnection& connection,
                             const std::string& localPath, const std::string& remoteName,
                             const std::string& type, std::int64_t size, std::int64_t offset,
                             std::int64_t wholeSize) {
    if (!connection.Prepare(type)) {
        return false;
    }
    std::string reply;
    if (offset != 0 &&
        (!SendCommand(call, "REST " + std::to_string(offset)) || !ReadReply(call, reply, false))) {
        return false;
    }
    if (!connection.Request("RETR " + remoteName, reply)) {
        return false;
    }
    platform::TransferFile file;
    if (!file.OpenForWriting(localPath, offset)) {
        ShowFileError(file.LastError());
        return connection.Abandon();
    }
    if (!connection.Open(reply)) {
        return connection.Abandon();
    }
    platform::Stream& data = connection.Data();
    auto failAfterData = [&]() {
        file.Close();
        return connection.Abandon();
    };

    m_owner.SetProgressRange(size);
    std::int64_t done = offset;
    // One receive takes what the socket holds, up to several blocks; each block of 8192 bytes
    // then counts on its own (progress, cancel question), and the blocks a receive brought are
    // written together. Receiving block by block costs as many system calls as bytes / 8192.
    std::vector<char> buffer(kDownloadBlock * kBlocksPerReceive);
    // In ASCII mode the server sends network text (CR LF); the file gets local line ends,
    // which on Windows are the network's own.
    const bool text = type == "A";
#ifdef _WIN32
    const bool crLfToLf = false;
#else
    const bool crLfToLf = text;
#endif
    std::string localText;
    bool heldCR = false;
    bool cancelled = false;
    while (!cancelled) {
        const long received = data.Receive(buffer.data(), buffer.size());
        if (received == 0) {
            break;
        }
        if (received < 0) {
            file.Close();
            return connection.Failed();
        }
        std::size_t counted = 0;
        cancelled = !CountBlocks(static_cast<std::size_t>(received), kDownloadBlock,
                                 res::kTextCancelDownload, done, counted);
        bool written;
        if (crLfToLf) {
            localText.clear();
            AppendLocalText(localText, buffer.data(), counted, heldCR);
            written = file.Write(localText.data(), localText.size());
        } else {
            written = file.Write(buffer.data(), counted);
        }
        if (!written) {
            ShowFileError(file.LastError());
            return failAfterData();
        }
    }
    if (heldCR && !file.Write("\r", 1)) {
        ShowFileError(file.LastError());
        return failAfterData();
    }
    if (!connection.Finish()) {
        return false;
    }
    if (cancelled && (text || done != wholeSize)) {
        // The bytes after the block the user stopped at were not written, whatever the server
        // replied: the part stays for a later resume and never passes for the whole file.
        file.Close();
        return false;
    }
    // The server's 226 proves nothing about the bytes: a file that did not arrive whole, or
    // that a server which ignored REST sent from its start after our own first part, fails.
    // (In ASCII mode line ends change the count.)
    if (!cancelled && !text && wholeSize >= 0 && done != wholeSize) {
        if (offset > 0 && done > wholeSize) {
            file.CutTo(offset); // the part we had, as it was
        }
        m_owner.ShowMessage(res::LoadString(res::kTextNotWhole) + remoteName + "\n" +
                                std::to_string(done) + res::LoadString(res::kTextNotWholeSizes) +
                                std::to_string(wholeSize) + ".",
                            BoxButtons::Ok, BoxIcon::Warning);
        return false;
    }
    file.Close();
    m_owner.SetProgress(0);
    ++m_transferCount;
    return true;
}

bool FtpClient::FtpStore(const std::string& localPath, const std::string& remoteName,
                         const std::string& type) {
    const StoreOptions options = m_owner.GetStoreOptions();
    if (options.mirroring && IsBackupFile(localPath)) {
        return true;
    }
    const std::string name =
        StoreRemoteName(remoteName, options.lowercaseFileName, options.lowercaseExtension);
    return RunDataExchange(*this, m_controlSocket,
                           [&](platform::Socket&, DataConnection& connection) {
                               return StoreOnce(connection, localPath, name, type);
                           });
}

bool FtpClient::StoreOnce(DataConnection& connection, const std::string& localPath,
                          const std::string& name, const std::string& type) {
    // The file is opened before the server hears of it: STOR truncates the remote copy, so
    // a file we cannot read must never get that far.
    platform::TransferFile file;
    if (!file.OpenForReading(localPath)) {
        m_owner.ShowMessage(localPath + "\n" + platform::SystemErrorText(file.LastError()),
                            BoxButtons::Ok, BoxIcon::Warning);
        return false;
    }
    if (!connection.Prepare(type)) {
        return false;
    }
    std::string reply;
    if (!connection.Request("STOR " + name, reply)) {
        return false;
    }
    if (!connection.Open(reply)) {
        return connection.Abandon();
    }
    platform::Stream& data = connection.Data();
    auto failAfterData = [&]() {
        file.Close();
        return connection.Abandon();
    };

    const std::int64_t length = file.Length();
    const std::size_t block = UploadBlockSize(length);
    m_owner.SetProgressRange(length);
    std::int64_t done = 0;
    // One read and one send carry several blocks; each block then counts on its own (progress,
    // cancel question), as the blocks of one receive do in a download. Block by block, the file
    // and the socket would cost a system call per block each, and the server one per block too.
    std::vector<char> buffer(block * kBlocksPerSend);
    bool cancelled = false;
    for (;;) {
        const long count = file.Read(buffer.data(), buffer.size());
        if (count < 0) {
            ShowFileError(file.LastError());
            return failAfterData();
        }
        if (count > 0 && !data.SendAll(buffer.data(), static_cast<std::size_t>(count))) {
            file.Close();
            return connection.Failed();
        }
        // The read that finds the end counts as a block of its own: the last chance to cancel.
        std::size_t counted = 0;
        cancelled = !CountBlocks(static_cast<std::size_t>(count), block, res::kTextCancelUpload,
                                 done, counted);
        if (cancelled || count == 0) {
            break;
        }
    }
    file.Close();
    // A canceled upload leaves the server a part of the file, which is no upload.
    if (!connection.Finish(true) || (cancelled && done < length)) {
        return false;
    }
    m_owner.SetProgress(0);
    ++m_transferCount;
    return true;
}

} // namespace ftp
