#include "ui/transfer_pool.h"

#include <algorithm>
#include <thread>

#include "res/string_ids.h"
#include "res/string_table.h"

namespace ui {

// One extra connection: its engine, the thread that drives it, and the engine's owner, which
// keeps the engine's log lines for the file's block and hands everything else to the pool.
class TransferPool::Lane : public ftp::IEngineOwner {
public:
    Lane(TransferPool& pool, int number) : m_pool(pool), m_number(number), m_engine(*this) {}

    void AppendLog(const std::string& text) override { m_log += text; }
    ftp::BoxAnswer ShowMessage(const std::string& text, ftp::BoxButtons buttons,
                               ftp::BoxIcon icon) override {
        if (m_quiet) {
            // A connection that cannot log in without the user is one the server refused:
            // the browsing connection has asked everything already. Its QUIT is as quiet.
            return buttons == ftp::BoxButtons::Ok ? ftp::BoxAnswer::Ok : ftp::BoxAnswer::No;
        }
        return m_pool.Ask(text, buttons, icon);
    }
    void SetConnectPhase(ftp::ConnectPhase) override {}
    void DisconnectCleanup() override {}
    void SetProgressRange(std::int64_t) override {}
    void SetProgress(std::int64_t done) override { m_pool.m_reports.progress(m_number, done); }
    bool CancelRequested() override {
        return m_pool.m_abort || (m_pool.m_job.CancelRequested() && !m_pool.m_confirmed);
    }
    void ClearCancelRequest() override {
        if (!m_pool.m_confirmed) {
            m_pool.m_job.ClearCancelRequest();
        }
    }
    // A wait on this connection ends only when the job stops everything, or ends while this
    // connection still logs in.
    const std::atomic<bool>* CancelFlag() override { return &m_stop; }
    std::string RemoteFolder() override { return m_pool.m_login.folder; }
    void RestorePreviousRemoteFolder() override {}
    ftp::StoreOptions GetStoreOptions() override { return m_pool.m_job.GetStoreOptions(); }
    bool PassiveMode() override { return m_pool.m_job.PassiveMode(); }

    TransferPool& m_pool;
    const int m_number;
    ftp::FtpClient m_engine;
    std::string m_log;
    bool m_quiet = true;
    std::atomic<bool> m_answered{false}; // the login is through, in or refused
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TransferPool::TransferPool(ftp::IEngineOwner& job, Reports reports, const PoolLogin& login,
                           int count, int cancelQuestion)
    : m_job(job), m_reports(std::move(reports)), m_login(login), m_cancelQuestion(cancelQuestion) {
    m_connecting = count;
    for (int i = 1; i <= count; ++i) {
        m_lanes.push_back(std::make_unique<Lane>(*this, i));
    }
    for (auto& lane : m_lanes) {
        lane->m_thread = std::thread([this, &lane = *lane] { Serve(lane); });
    }
}

TransferPool::~TransferPool() {
    if (!m_lanes.empty()) {
        StopAll();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closing = true;
        }
        m_changed.notify_all();
        for (auto& lane : m_lanes) {
            lane->m_thread.join();
        }
    }
}

bool TransferPool::Login(Lane& lane) {
    ftp::FtpClient& engine = lane.m_engine;
    engine.SendTypeOnChangeOnly();
    int error = 0;
    const bool in = engine.CreateControlSocket(error) &&
                    engine.FtpConnect(m_login.host, m_login.user, m_login.password, m_login.port,
                                      {}, m_login.tls) &&
                    engine.FtpChangeFolder(m_login.folder);
    lane.m_log.clear();
    if (!in) {
        engine.CloseControlConnection();
    }
    lane.m_quiet = false;
    lane.m_answered = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_connecting;
    if (in) {
        ++m_live;
    } else if (!m_closing) {
        ++m_refused;
    }
    if (m_connecting == 0 && m_refused > 0) {
        // Said once, when the last connection has its answer.
        Log(res::LoadString(res::kTextFewerConnections) + std::to_string(std::max(m_live, 1)) +
            ".\r\n");
    }
    m_changed.notify_all();
    return in;
}

void TransferPool::Serve(Lane& lane) {
    if (!Login(lane)) {
        return;
    }
    for (;;) {
        PoolTask task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_closing || !m_queue.empty(); });
            if (m_queue.empty()) {
                break;
            }
            task = std::move(m_queue.front());
            m_queue.pop_front();
            ++m_busy;
        }
        m_changed.notify_all();
        const bool kept = Move(lane, task);
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_busy;
        if (!kept) {
            --m_live;
            m_changed.notify_all();
            return;
        }
        m_changed.notify_all();
    }
    lane.m_quiet = true;
    lane.m_engine.FtpQuit();
}

bool TransferPool::Move(Lane& lane, PoolTask& task) {
    ftp::FtpClient& engine = lane.m_engine;
    if (m_confirmed) {
        return true; // canceled before it started
    }
    const int before = engine.TransferCount();
    const bool moved = task.move(engine, lane.m_number);
    m_transferred += engine.TransferCount() - before;
    const std::string name =
        res::LoadString(res::kTextConnectionName) + std::to_string(lane.m_number);
    std::string block = lane.m_log.empty() ? "" : name + ":\r\n" + lane.m_log;
    lane.m_log.clear();
    if (!engine.ConnectionLost()) {
        if (!moved && !m_abort) {
            ++m_failures;
        }
        m_reports.fileDone(lane.m_number, task.size);
        Log(block);
        return true;
    }
    // The connection broke under the file: another one takes it, once.
    const bool again = !task.retried && !m_confirmed;
    block += name + res::LoadString(again ? res::kTextLaneLostRetry : res::kTextLaneLost);
    Log(block);
    if (again) {
        m_reports.fileAbandoned(lane.m_number);
        task.retried = true;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_front(std::move(task));
    } else {
        ++m_failures;
        m_reports.fileDone(lane.m_number, task.size);
    }
    engine.CloseControlConnection();
    return false;
}

bool TransferPool::Queue(PoolTask& task) {
    std::unique_lock<std::mutex> lock(m_mutex);
    // The first file waits for the extra connections' first answer (a few round trips): a
    // server that lets no second connection in then sees the job exactly as one connection
    // makes it. One that does not answer at all is not waited for long, and only once.
    if (!m_waitedForLogins) {
        m_changed.wait_for(lock, kLoginWait,
                           [&] { return m_live > 0 || m_connecting == 0 || m_abort; });
        m_waitedForLogins = true;
    }
    // A walk far ahead of the transfers would hold a tree's worth of files here.
    m_changed.wait(lock, [&] { return m_queue.size() < kMaxQueued || m_live == 0 || m_abort; });
    // Without an extra connection, files go over the browsing one as they come.
    if (m_live == 0) {
        return false;
    }
    if (m_abort) {
        return true; // the job stops: nothing more starts
    }
    m_queue.push_back(std::move(task));
    m_changed.notify_one();
    return true;
}

void TransferPool::RunHere(ftp::FtpClient& browsing) {
    // Files a lost connection left behind, with nothing else to take them.
    for (;;) {
        PoolTask task;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty() || m_confirmed) {
                return;
            }
            task = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (!task.move(browsing, 0)) {
            ++m_failures;
        }
        m_reports.fileDone(0, task.size);
        if (browsing.ConnectionLost()) {
            return;
        }
    }
}

void TransferPool::Finish(ftp::FtpClient& browsing) {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] {
                return (m_queue.empty() && m_busy == 0) || (m_live == 0 && !m_queue.empty()) ||
                       m_abort || (m_confirmed && m_busy == 0);
            });
            if (m_abort || m_confirmed || m_queue.empty() || browsing.ConnectionLost()) {
                break;
            }
        }
        RunHere(browsing);
        if (browsing.ConnectionLost()) {
            break;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    // A connection the server has not let in by now is not waited for.
    for (auto& lane : m_lanes) {
        if (!lane->m_answered) {
            lane->m_stop = true;
        }
    }
    // Each lane ends with QUIT once its file is through.
    for (auto& lane : m_lanes) {
        lane->m_thread.join();
    }
    m_lanes.clear();
}

bool TransferPool::ConfirmCancel() {
    if (!m_job.CancelRequested()) {
        return false;
    }
    return Ask(res::LoadString(m_cancelQuestion), ftp::BoxButtons::YesNo, ftp::BoxIcon::Question) ==
           ftp::BoxAnswer::Yes;
}

void TransferPool::StopQueue() {
    m_confirmed = true;
    m_changed.notify_all();
}

void TransferPool::Abandon() {
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_silent = true;
    }
    StopAll();
}

void TransferPool::StopAll() {
    m_confirmed = true;
    m_abort = true;
    for (auto& lane : m_lanes) {
        lane->m_stop = true;
    }
    m_changed.notify_all();
}

ftp::BoxAnswer TransferPool::Ask(const std::string& text, ftp::BoxButtons buttons,
                                 ftp::BoxIcon icon) {
    std::lock_guard<std::mutex> lock(m_askMutex);
    if (buttons == ftp::BoxButtons::Ok) {
        // The same error on several connections at once (a folder removed under the job)
        // tells the user nothing new the second time.
        if (m_abort || !m_shown.insert(text).second) {
            return ftp::BoxAnswer::Ok;
        }
        return m_reports.box(text, buttons, icon);
    }
    // The one question of the extra connections is the cancel question, answered once for all.
    if (m_confirmed) {
        return ftp::BoxAnswer::Yes;
    }
    if (!m_job.CancelRequested()) {
        return ftp::BoxAnswer::No; // answered No meanwhile
    }
    const ftp::BoxAnswer answer = m_reports.box(text, buttons, icon);
    if (answer == ftp::BoxAnswer::Yes) {
        StopAll();
    } else {
        m_job.ClearCancelRequest();
    }
    return answer;
}

void TransferPool::Log(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (!m_silent && !text.empty()) {
        m_job.AppendLog(text);
    }
}

} // namespace ui
