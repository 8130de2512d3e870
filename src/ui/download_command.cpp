// The start of a download on the window's thread: the remote pane's "Down&laod" command with
// its question, and the job inputs taken from the selected remote rows.
#include "local/local_path.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

void CMainDialog::OnDownloadCommand(win::Message&) {
    const int count = m_window.ListView(res::kRemoteList).GetSelectedCount();
    const std::string question = res::LoadString(res::kTextDownloadPrefix) + std::to_string(count) +
                                 res::LoadString(res::kTextSelectedFiles);
    if (ShowMessage(question, win::Buttons::YesNo, win::Icon::Question) == win::kAnswerYes) {
        StartDownload();
    }
}

void CMainDialog::StartDownload() {
    // The menu and the drags offer a download only while connected and idle; anything else
    // would change the job inputs under a running job.
    if (m_busy || !m_connected) {
        return;
    }
    if (m_localFolder.empty()) {
        ShowMessage(res::LoadString(res::kTextNoLocalFolder), win::Buttons::Ok, win::Icon::Warning);
        return;
    }
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    m_job.FreeItems();
    for (int row = pane.GetNextSelected(-1); row >= 0; row = pane.GetNextSelected(row)) {
        m_job.Add(pane.GetItemText(row), pane.GetItemImage(row));
    }
    // The worker compares and writes these copies, never the folders the window may change.
    m_job.localBase = local::JoinFolder(m_localFolder, "");
    m_job.remoteBase = m_remoteFolder;
    if (m_job.remoteBase.empty() || m_job.remoteBase.back() != '/') {
        m_job.remoteBase += '/';
    }
    RunJob(&CMainDialog::DownloadJob, true);
}

} // namespace ui
