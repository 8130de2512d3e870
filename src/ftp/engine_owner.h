// The one narrow interface by which the FTP engine reaches its owner (the main window).
#pragma once

#include <cstdint>
#include <string>

#include "platform/window/window.h"

namespace ftp {

struct StoreOptions {
    bool mirroring = false;          // skip ".bak" files
    bool lowercaseFileName = false;  // lower-case the remote name after its last '/'
    bool lowercaseExtension = false; // lower-case the remote name's extension
};

class IEngineOwner {
public:
    virtual ~IEngineOwner() = default;
    // Appends text to the log pane exactly as given.
    virtual void AppendLog(const std::string& text) = 0;
    // Message box with caption, buttons and icon; returns the win::Answer pressed.
    virtual int ShowMessage(const std::string& text, win::Buttons buttons, win::Icon icon) = 0;
    // Connect-progress phase: 1 while connecting, 2 when the greeting came or the attempt failed.
    virtual void SetConnectPhase(int phase) = 0;
    // The control connection broke (send or receive failed, or the server closed it).
    virtual void DisconnectCleanup() = 0;
    // Transfer progress: the range for the current file, then the bytes done after each block.
    virtual void SetProgressRange(std::int64_t total) = 0;
    virtual void SetProgress(std::int64_t done) = 0;
    // The cancel request of the cancel button.
    virtual bool CancelRequested() = 0;
    virtual void ClearCancelRequest() = 0;
    // The folder whose listing the pane shows (the cache key of a listing without a path),
    // and the restore of the previous folder after a failed CWD.
    virtual std::string RemoteFolder() = 0;
    virtual void RestorePreviousRemoteFolder() = 0;
    virtual StoreOptions GetStoreOptions() = 0;
};

} // namespace ftp
