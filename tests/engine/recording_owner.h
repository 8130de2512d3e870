// An engine owner that records everything the engine tells it and answers questions from a
// queue, for the engine tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "ftp/engine_owner.h"
#include "ftp/ftp_client.h"

namespace enginetest {

struct ShownMessage {
    std::string text;
    ftp::BoxButtons buttons;
    ftp::BoxIcon icon;
};

class RecordingOwner : public ftp::QuietEngineOwner {
public:
    void AppendLog(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        log += text;
    }
    ftp::BoxAnswer ShowMessage(const std::string& text, ftp::BoxButtons buttons,
                               ftp::BoxIcon icon) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        messages.push_back({text, buttons, icon});
        if (buttons == ftp::BoxButtons::Ok) {
            return ftp::BoxAnswer::Ok;
        }
        if (answers.empty()) {
            return ftp::BoxAnswer::No;
        }
        const ftp::BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void SetConnectPhase(ftp::ConnectPhase phase) override { phases.push_back(phase); }
    void DisconnectCleanup() override {
        ++cleanups;
        AppendLog("Disconnected.\r\n");
        // As the window does: the connection itself stays until the next connect replaces it.
        if (engine != nullptr) {
            engine->Cache().Clear();
        }
    }
    void SetProgressRange(std::int64_t total) override { ranges.push_back(total); }
    void SetProgress(std::int64_t done) override {
        progress.push_back(done);
        if (static_cast<int>(progress.size()) == cancelAtProgress) {
            cancel = true;
        }
    }
    bool CancelRequested() override { return cancel; }
    void ClearCancelRequest() override { cancel = false; }
    std::string RemoteFolder() override { return remoteFolder; }
    void RestorePreviousRemoteFolder() override { remoteFolder = previousRemoteFolder; }
    ftp::StoreOptions GetStoreOptions() override { return storeOptions; }
    bool PassiveMode() override { return passive; }

    // The progress values after the range was set, as the block sizes they add up from.
    std::vector<std::int64_t> Blocks(std::int64_t start = 0) const {
        std::vector<std::int64_t> blocks;
        for (std::int64_t value : progress) {
            if (value == 0 && !blocks.empty()) {
                break; // the reset at the end of a transfer
            }
            blocks.push_back(value - start);
            start = value;
        }
        return blocks;
    }

    ftp::FtpClient* engine = nullptr;
    std::mutex m_mutex;
    std::string log;
    std::vector<ShownMessage> messages;
    std::deque<ftp::BoxAnswer> answers;
    std::vector<int> phases;
    int cleanups = 0;
    std::vector<std::int64_t> ranges;
    std::vector<std::int64_t> progress;
    int cancelAtProgress = -1; // request cancel when this many progress calls were made
    std::atomic<bool> cancel{false};
    std::string remoteFolder = "/";
    std::string previousRemoteFolder = "/";
    ftp::StoreOptions storeOptions;
    bool passive = false;
};

} // namespace enginetest
