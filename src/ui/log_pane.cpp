// The log pane, the connect-progress timer, the progress bar and byte counter, and the
// window-side half of the engine's owner interface.
#include "local/number_format.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// A full log drops this much more than the new text needs, so that a long job trims it once in
// a while instead of at every line: each trim copies the whole log and makes the control lay
// its text out again.
constexpr std::size_t kLogTrimMargin = 16384;

} // namespace

void CMainDialog::AppendLog(const std::string& text) {
    WriteLog(text, false);
}

void CMainDialog::ClearLog() {
    WriteLog({}, true);
}

// A worker's lines and the connect timer's dots come from two threads: one writer at a time, so
// the pane, and whatever watches it, gets each text whole and in one order, trims included. A
// worker's write finishes before it goes on, so what the log says has happened when the next
// step starts. The window's thread never waits for the lock, because a worker holding it may
// be waiting for that thread (a trim reads the pane back): its texts then queue up, in order,
// and go in from the loop once the lock is free.
void CMainDialog::WriteLog(const std::string& text, bool clear) {
    if (!OnWindowThread()) {
        std::lock_guard<std::mutex> lock(m_logMutex);
        WriteLogLocked(text, clear);
        return;
    }
    std::unique_lock<std::mutex> lock(m_logMutex, std::defer_lock);
    if (!m_logBacklog.empty() || !lock.try_lock()) {
        m_logBacklog.push_back({text, clear});
        if (m_logBacklog.size() == 1) {
            m_window.Post([this] { DrainLogBacklog(); });
        }
        return;
    }
    WriteLogLocked(text, clear);
}

void CMainDialog::DrainLogBacklog() {
    std::unique_lock<std::mutex> lock(m_logMutex, std::try_to_lock);
    if (!lock) {
        m_window.Post([this] { DrainLogBacklog(); });
        return;
    }
    for (const auto& [text, clear] : m_logBacklog) {
        WriteLogLocked(text, clear);
    }
    m_logBacklog.clear();
}

void CMainDialog::WriteLogLocked(const std::string& text, bool clear) {
    win::IEdit& log = m_window.Edit(res::kLogEdit);
    if (clear) {
        log.SetText("");
        m_logLength = 0;
        return;
    }
    if (m_logLength + text.size() > m_logLimit) {
        // The log would overflow: drop the oldest whole lines so the newest text still shows.
        const std::string all = log.GetText();
        std::size_t length = all.size();
        if (length + text.size() > m_logLimit) {
            const std::size_t room = text.size() + kLogTrimMargin;
            const std::size_t keep = room >= m_logLimit ? 0 : m_logLimit - room;
            std::size_t cut = length - std::min(length, keep);
            const std::size_t lineEnd = all.find('\n', cut);
            cut = lineEnd == std::string::npos ? length : lineEnd + 1;
            // Only the head goes: setting the whole text again would lay all of it out anew.
            log.SetSelection(0, cut);
            log.ReplaceSelection("");
            length -= cut;
            log.SetSelection(length, length);
        }
        m_logLength = length;
    }
    log.ReplaceSelection(text.size() > m_logLimit ? text.substr(text.size() - m_logLimit) : text);
    m_logLength += text.size();
}

void CMainDialog::LogValueAndText(const std::string& value, int id) {
    AppendLog(value + res::LoadString(id));
}

void CMainDialog::LogTextAndValue(int id, const std::string& value) {
    AppendLog(res::LoadString(id) + value);
}

void CMainDialog::OnTimer(win::Message&) {
    int phase = m_connectPhase;
    if (phase == ftp::kPhaseIdle) {
        return;
    }
    if (phase == ftp::kPhaseDone) {
        m_window.StopTimer(res::kConnectTimer);
        return;
    }
    if (m_tickCount == 10) {
        AppendLog(".");
        m_tickCount = 0;
    }
    ++m_tickCount;
}

void CMainDialog::SetProgressRange(std::int64_t total) {
    // The bar's range is 32-bit: scale large files down so they still run from 0 to full.
    m_progressShift = 0;
    while ((total >> m_progressShift) > 0x7FFFFFFF) {
        ++m_progressShift;
    }
    m_window.Progress(res::kProgressBar).SetRange(0, static_cast<int>(total >> m_progressShift));
}

void CMainDialog::SetProgress(std::int64_t done) {
    m_window.Text(res::kByteCounter)
        .SetText(local::FormatByteCount(static_cast<std::uint64_t>(done)));
    m_window.Progress(res::kProgressBar).SetPos(static_cast<int>(done >> m_progressShift));
    if (m_jobProgress.Progress(done, ui::JobProgress::Clock::now())) {
        ShowJobProgress();
    }
}

void CMainDialog::StartJobProgress() {
    m_jobProgress.Start(ui::JobProgress::Clock::now());
    ShowJobProgress();
}

void CMainDialog::FinishJobProgress() {
    m_jobProgress.Finish(ui::JobProgress::Clock::now());
    ShowJobProgress();
}

void CMainDialog::ShowJobProgress() {
    m_window.Text(res::kJobStatus).SetText(m_jobProgress.Text(ui::JobProgress::Clock::now()));
}

void CMainDialog::ResetProgress() {
    m_window.Progress(res::kProgressBar).SetPos(0);
    m_window.Text(res::kByteCounter).SetText("0");
}

int CMainDialog::ShowMessage(const std::string& text, win::Buttons buttons, win::Icon icon) {
    if (OnWindowThread()) {
        return m_window.MessageBox(text, buttons, icon);
    }
    std::lock_guard<std::mutex> lock(m_boxMutex);
    return m_window.MessageBox(text, buttons, icon);
}

ftp::BoxAnswer CMainDialog::ShowMessage(const std::string& text, ftp::BoxButtons buttons,
                                        ftp::BoxIcon icon) {
    const bool question = buttons == ftp::BoxButtons::YesNo;
    if (question && !OnWindowThread() && m_pool) {
        // The engine's question in a transfer job is the cancel question: one answer for the
        // browsing connection and the job's extra ones alike.
        return m_pool->Ask(text, buttons, icon);
    }
    return ShowBox(text, buttons, icon);
}

ftp::BoxAnswer CMainDialog::ShowBox(const std::string& text, ftp::BoxButtons buttons,
                                    ftp::BoxIcon icon) {
    const bool question = buttons == ftp::BoxButtons::YesNo;
    const int answer =
        ShowMessage(text, question ? win::Buttons::YesNo : win::Buttons::Ok,
                    icon == ftp::BoxIcon::Question ? win::Icon::Question : win::Icon::Warning);
    if (!question) {
        return ftp::BoxAnswer::Ok;
    }
    return answer == win::kAnswerYes ? ftp::BoxAnswer::Yes : ftp::BoxAnswer::No;
}

void CMainDialog::SetConnectPhase(ftp::ConnectPhase phase) {
    m_connectPhase = phase;
}

std::string CMainDialog::RemoteFolder() {
    return m_remoteFolder;
}

void CMainDialog::RestorePreviousRemoteFolder() {
    m_remoteFolder = m_previousRemoteFolder;
}

ftp::StoreOptions CMainDialog::GetStoreOptions() {
    return {m_job.mirroring, m_options.m_lowercaseFileName != 0,
            m_options.m_lowercaseExtension != 0};
}

bool CMainDialog::PassiveMode() {
    return m_options.m_passiveMode != 0;
}

} // namespace ui
