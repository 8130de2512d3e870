// One job at a time on a worker thread, with the extra connections of a transfer job.
#include <algorithm>

#include "ftp/ftp_client.h"
#include "local/folder_tree.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

void CMainDialog::RunJob(JobBody body, bool cancellable) {
    // The previous worker has done its last act once m_busy is false; joining is immediate.
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_busy = true;
    m_worker = std::thread([this, body, cancellable] {
        if (cancellable) {
            m_window.Button(res::kCancelButton).Enable(true);
        }
        (this->*body)();
        RefreshStatusLine();
        if (cancellable) {
            m_window.Button(res::kCancelButton).Enable(false);
        }
        // A cancel that came too late for this job is not left for the next one.
        m_cancelRequested = false;
        // Last act: from here on the worker touches nothing of the window.
        m_busy = false;
    });
}

bool CMainDialog::WithinTreeBounds(const std::string& path, int depth) {
    int text = 0;
    if (depth > ui::TreeWalkBounds::kMaxDepth) {
        text = res::kTextTreeTooDeep;
    } else if (!m_treeBounds.CountListing()) {
        text = res::kTextTooManyListings;
    }
    if (text != 0) {
        ShowMessage(res::LoadString(text) + path, win::Buttons::Ok, win::Icon::Warning);
        return false;
    }
    return true;
}

bool CMainDialog::ListTreeFolder(const std::string& folder, const std::string& top, bool allEntries,
                                 ftp::ListingIndex& listing, int& lines) {
    if (!WithinTreeBounds(folder, ui::TreeWalkBounds::Depth(folder.substr(top.size())))) {
        return false;
    }
    std::string text;
    lines = m_engine.FtpListFolder(text, folder, true, allEntries);
    if (m_engine.ConnectionLost() || lines == -1) {
        return false;
    }
    if (lines > ftp::kMaxListingLines) {
        ShowMessage(res::LoadString(res::kTextTooManyEntries), win::Buttons::Ok,
                    win::Icon::Warning);
        return false;
    }
    listing = ftp::ListingIndex(std::move(text));
    return true;
}

bool CMainDialog::QueueTreeFolder(std::vector<std::string>& folders, std::string folder) {
    if (folders.size() >= local::kMaxPendingFolders) {
        ShowMessage(res::LoadString(res::kTextTooManyFolders), win::Buttons::Ok,
                    win::Icon::Warning);
        return false;
    }
    folders.push_back(std::move(folder));
    return true;
}

// Lane 0 is the browsing connection's, one more for each extra connection.
static_assert(ui::JobProgress::kLanes == ui::kMaxSimultaneousTransfers + 1);

void CMainDialog::OpenTransferPool(int cancelQuestion) {
    m_fileQueued = false;
    m_poolTransfers = 0;
    const int count = m_options.m_simultaneousTransfers;
    if (count <= 1 || !m_connected) {
        return;
    }
    const ftp::ServerName server = ftp::ParseServerName(m_connectHost.serverName);
    ui::PoolLogin login{server.host,
                        server.port,
                        m_connectHost.userName,
                        m_connectHost.password,
                        {server.security, m_connectHost.certificate},
                        m_remoteFolder};
    ui::TransferPool::Reports reports{
        [this](int lane, std::int64_t done) {
            if (m_jobProgress.Progress(done, ui::JobProgress::Clock::now(), lane)) {
                ShowJobProgress();
            }
        },
        [this](int lane, std::int64_t size) { m_jobProgress.FileDone(size, lane); },
        [this](int lane) { m_jobProgress.AbandonFile(lane); },
        [this](const std::string& text, ftp::BoxButtons buttons, ftp::BoxIcon icon) {
            return ShowBox(text, buttons, icon);
        }};
    m_pool = std::make_unique<ui::TransferPool>(*this, std::move(reports), login,
                                                std::min(count, ui::kMaxSimultaneousTransfers),
                                                cancelQuestion);
}

void CMainDialog::CloseTransferPool(bool& incomplete) {
    if (!m_pool) {
        return;
    }
    m_pool->Finish(m_engine);
    incomplete = incomplete || m_pool->Failures() != 0;
    m_poolTransfers = m_pool->TransferCount();
    m_pool.reset();
}

bool CMainDialog::MoveFile(ui::PoolTask task) {
    if (m_pool) {
        if (m_pool->Queue(task)) {
            m_fileQueued = true;
            return true;
        }
        // No extra connection is left: the files queued go first, here.
        m_pool->RunHere(m_engine);
    }
    return task.move(m_engine, 0);
}

void CMainDialog::FileThrough(std::int64_t size) {
    if (m_fileQueued) {
        m_fileQueued = false; // counted when its connection is through with it
    } else {
        m_jobProgress.FileDone(size);
    }
}

bool CMainDialog::StopRequested() {
    return m_cancelRequested && (!m_pool || m_pool->ConfirmCancel());
}

int CMainDialog::JobTransferCount() const {
    return m_engine.TransferCount() + m_poolTransfers;
}

} // namespace ui
