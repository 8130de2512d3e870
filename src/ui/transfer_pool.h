// The extra connections of one transfer job: while the job walks its folders and asks its
// questions on the browsing connection, the files it decides to move go over up to ten more
// connections to the same server, each logged in as the browsing one is. Each file's log lines
// reach the log as one block that names its connection. Nothing here knows the window system.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "ftp/engine_owner.h"
#include "ftp/ftp_client.h"

namespace ui {

// What an extra connection logs in with: the browsing connection's server, account, TLS and
// trusted certificate, and the folder the job's relative paths start from.
struct PoolLogin {
    std::string host;
    unsigned port = 21;
    std::string user;
    std::string password;
    ftp::TlsRequest tls;
    std::string folder;
};

// One file to move: run on an engine, with the lane (1..N, or 0 for the browsing connection)
// its progress goes to. `size` counts for the job line when the file is through.
struct PoolTask {
    std::function<bool(ftp::FtpClient& engine, int lane)> move;
    std::int64_t size = -1;
    bool retried = false;
};

class TransferPool {
public:
    // What the pool reports to, from its own threads: the job's owner (log, boxes, options,
    // the user's cancel), the progress of a lane's file, and a file that is through.
    struct Reports {
        std::function<void(int lane, std::int64_t done)> progress;
        std::function<void(int lane, std::int64_t size)> fileDone;
        std::function<void(int lane)> fileAbandoned;
        // A message box, shown one at a time.
        std::function<ftp::BoxAnswer(const std::string&, ftp::BoxButtons, ftp::BoxIcon)> box;
    };

    // Starts `count` connections, each logging in on a thread of its own; files submitted
    // meanwhile wait for the first of them. `cancelQuestion`: the string the user's cancel is
    // confirmed with.
    TransferPool(ftp::IEngineOwner& job, Reports reports, const PoolLogin& login, int count,
                 int cancelQuestion);
    // Stops everything still running (Finish ends a pool that ran its course).
    ~TransferPool();
    TransferPool(const TransferPool&) = delete;
    TransferPool& operator=(const TransferPool&) = delete;

    // Queues a file (taking it from `task`); false when no extra connection is logged in (all
    // refused or lost, or none in after a few seconds): then the caller moves it on the
    // browsing connection, after RunHere.
    bool Queue(PoolTask& task);
    // Moves the files still queued on the browsing connection (none is left to take them).
    void RunHere(ftp::FtpClient& browsing);
    // Waits until every queued file is through (moving the rest on `browsing` when no
    // connection is left), then closes the connections with QUIT.
    void Finish(ftp::FtpClient& browsing);
    // The user's cancel, seen by the job's walk: asks the question once for every connection
    // (unless the answer is in) and returns true when the job stops.
    bool ConfirmCancel();
    // The job stops taking files; those on their way finish (a Cancel to mirroring's question).
    void StopQueue();
    // The browsing connection broke: everything stops at once and nothing more is logged.
    void Abandon();

    // The boxes of the extra connections, one at a time: an error already shown in this job
    // is not shown again; a question is the cancel question.
    ftp::BoxAnswer Ask(const std::string& text, ftp::BoxButtons buttons, ftp::BoxIcon icon);

    // Files moved and files that failed over the extra connections (the browsing
    // connection counts its own moves).
    int TransferCount() const { return m_transferred; }
    int Failures() const { return m_failures; }

private:
    class Lane;
    friend class Lane;

    // A lane's loop: log in, then move files until the pool finishes.
    void Serve(Lane& lane);
    bool Login(Lane& lane);
    // One file on a lane; false when the lane's connection is gone.
    bool Move(Lane& lane, PoolTask& task);
    void Log(const std::string& text);
    // Everything stops at once: no file starts, moving ones end, waits end.
    void StopAll();

    ftp::IEngineOwner& m_job;
    Reports m_reports;
    PoolLogin m_login;
    int m_cancelQuestion;

    static constexpr std::size_t kMaxQueued = 1000;
    static constexpr std::chrono::seconds kLoginWait{5};

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PoolTask> m_queue;
    int m_connecting = 0; // lanes still logging in
    int m_live = 0;       // lanes logged in and not lost
    int m_busy = 0;       // lanes moving a file
    int m_refused = 0;
    bool m_closing = false;
    bool m_waitedForLogins = false;
    std::atomic<int> m_failures{0};
    std::atomic<int> m_transferred{0};

    // Cancel: confirmed (no more files start), aborted (moving files stop too).
    std::atomic<bool> m_confirmed{false};
    std::atomic<bool> m_abort{false};
    std::mutex m_askMutex;
    std::set<std::string> m_shown;
    std::mutex m_logMutex;
    bool m_silent = false;

    std::vector<std::unique_ptr<Lane>> m_lanes;
};

} // namespace ui
