// The one narrow interface by which the FTP engine reaches its owner (the main window). It
// speaks its own small types, so the engine knows nothing of the window system.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace ftp {

struct StoreOptions {
    bool mirroring = false;          // skip ".bak" files
    bool lowercaseFileName = false;  // lower-case the remote name after its last '/'
    bool lowercaseExtension = false; // lower-case the remote name's extension
};

// The boxes the engine shows: errors to acknowledge, and its cancel questions.
enum class BoxButtons { Ok, YesNo };
enum class BoxIcon { Warning, Question };
enum class BoxAnswer { Ok, Yes, No };

// What the connect-progress timer does: nothing yet, add dots, stop.
enum ConnectPhase : int { kPhaseIdle = 0, kPhaseConnecting = 1, kPhaseDone = 2 };

class IEngineOwner {
public:
    virtual ~IEngineOwner() = default;
    // Appends text to the log pane exactly as given.
    virtual void AppendLog(const std::string& text) = 0;
    // A message box with the program's caption; returns the button pressed.
    virtual BoxAnswer ShowMessage(const std::string& text, BoxButtons buttons, BoxIcon icon) = 0;
    // Connecting while the greeting is awaited, done when it came or the attempt failed.
    virtual void SetConnectPhase(ConnectPhase phase) = 0;
    // The control connection broke (send or receive failed, or the server closed it).
    virtual void DisconnectCleanup() = 0;
    // Transfer progress: the range for the current file, then the bytes done after each block.
    virtual void SetProgressRange(std::int64_t total) = 0;
    virtual void SetProgress(std::int64_t done) = 0;
    // The cancel request of the cancel button.
    virtual bool CancelRequested() = 0;
    virtual void ClearCancelRequest() = 0;
    // The flag behind CancelRequested, which the waits of connects, logins and listings watch
    // (nullptr: nothing cancels them).
    virtual const std::atomic<bool>* CancelFlag() { return nullptr; }
    // The folder whose listing the pane shows (the cache key of a listing without a path),
    // and the restore of the previous folder after a failed CWD.
    virtual std::string RemoteFolder() = 0;
    virtual void RestorePreviousRemoteFolder() = 0;
    virtual StoreOptions GetStoreOptions() = 0;
    // The option "Use passive mode": every data connection is opened by us.
    virtual bool PassiveMode() = 0;
};

// An owner that takes everything and asks nothing back: OK to every box (No to a question),
// no cancel, the root folder, active mode. For the programs that drive the engine alone (the
// fuzzers, the benchmarks, the engine tests), which override what they watch.
class QuietEngineOwner : public IEngineOwner {
public:
    void AppendLog(const std::string&) override {}
    BoxAnswer ShowMessage(const std::string&, BoxButtons buttons, BoxIcon) override {
        return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
    }
    void SetConnectPhase(ConnectPhase) override {}
    void DisconnectCleanup() override {}
    void SetProgressRange(std::int64_t) override {}
    void SetProgress(std::int64_t) override {}
    bool CancelRequested() override { return false; }
    void ClearCancelRequest() override {}
    std::string RemoteFolder() override { return "/"; }
    void RestorePreviousRemoteFolder() override {}
    StoreOptions GetStoreOptions() override { return {}; }
    bool PassiveMode() override { return false; }
};

} // namespace ftp
