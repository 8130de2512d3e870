// The upload starts on the window's thread: the local pane's upload commands and button 1021,
// and the starts that a drag and a desktop drop reach. Each leaves in m_job everything the job
// reads, the host's time zone included, since the window may change the rest once it runs.
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

std::string FolderWithSlash(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + '/';
}

// The time zone of the host whose server the job talks to: the tab's slot, or the host list's
// selected row (slot 0 when no row is selected).
} // namespace

int CMainDialog::UploadTimeZone() const {
    int slot = CurrentHostSlot();
    if (slot == ui::kNoSlot) {
        slot = 0;
    }
    return m_hosts[static_cast<std::size_t>(slot)].TimeZoneIndex;
}

// Drive rows name no item of a folder: the drive list uploads nothing.
bool CMainDialog::RefuseDriveList() {
    if (!m_localList.m_driveList) {
        return false;
    }
    ShowMessage(res::LoadString(res::kTextNoLocalFolder), win::Buttons::Ok, win::Icon::Warning);
    return true;
}

// The question of "&Upload" and "Orver&Wirte Upload", then the upload of the selection.
void CMainDialog::UploadSelectionAfterQuestion(bool overwrite) {
    if (m_busy || !m_connected || RefuseDriveList()) {
        return;
    }
    const int count = m_window.ListView(res::kLocalList).GetSelectedCount();
    const std::string question = res::LoadString(res::kTextUploadPrefix) +
                                 settings::FormatDecimal(count) +
                                 res::LoadString(res::kTextSelectedFiles);
    if (ShowMessage(question, win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
        return;
    }
    m_job.mirroring = false;
    m_job.overwrite = overwrite;
    StartUpload();
}

// The local pane's rows, selected ones only or all, in list order, into the job with the
// folders and the host's time zone; then the job.
void CMainDialog::StartWithLocalRows(bool selectedOnly) {
    ui::JobInputs& job = m_job;
    win::IListView& pane = m_window.ListView(res::kLocalList);
    job.FreeItems();
    for (int row = selectedOnly ? pane.GetNextSelected(-1) : 0;
         row >= 0 && row < pane.GetItemCount();
         row = selectedOnly ? pane.GetNextSelected(row) : row + 1) {
        job.Add(pane.GetItemText(row), pane.GetItemImage(row));
    }
    job.localBase = FolderWithSlash(m_localFolder);
    job.remoteBase = FolderWithSlash(m_remoteFolder);
    job.timeZoneIndex = UploadTimeZone();
    RunJob(&CMainDialog::UploadJob, true);
}

void CMainDialog::OnLocalUploadCommand(win::Message&) {
    UploadSelectionAfterQuestion(false);
}

void CMainDialog::OnOverwriteUploadCommand(win::Message&) {
    UploadSelectionAfterQuestion(true);
}

void CMainDialog::OnUploadAllCommand(win::Message&) {
    // Button 1021 is offered on the drive list too, where the menu command is grayed.
    if (m_busy || !m_connected || RefuseDriveList()) {
        return;
    }
    const std::string question =
        m_localFolder + "\nto\n" + m_remoteFolder + "\n" + res::LoadString(res::kTextUploadAll);
    if (ShowMessage(question, win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
        return;
    }
    m_job.mirroring = false;
    m_job.overwrite = false;
    StartUploadAll();
}

void CMainDialog::StartUpload() {
    if (m_busy || !m_connected || RefuseDriveList()) {
        return;
    }
    StartWithLocalRows(true);
}

void CMainDialog::StartUploadAll() {
    if (m_busy || !m_connected || RefuseDriveList()) {
        return;
    }
    if (m_window.ListView(res::kLocalList).GetItemCount() == 0) {
        ShowMessage(res::LoadString(res::kTextNothingToUpload), win::Buttons::Ok,
                    win::Icon::Warning);
        return;
    }
    StartWithLocalRows(false);
}

void CMainDialog::StartUploadDropped() {
    // The drop handler has filled the items and the local base; it refuses while a job runs.
    if (m_busy || !m_connected) {
        return;
    }
    m_job.mirroring = false;
    m_job.remoteBase = FolderWithSlash(m_remoteFolder);
    m_job.timeZoneIndex = UploadTimeZone();
    RunJob(&CMainDialog::UploadJob, true);
}

} // namespace ui
