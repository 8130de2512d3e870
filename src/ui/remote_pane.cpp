// The remote pane's handlers on the window's thread: the connect button, the path history, the
// up button, opening a row and the refresh command. Each checks the flags and starts a job.
#include "ftp/entry_names.h"
#include "platform/system_error.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "ui/main_dialog.h"

namespace ui {

void CMainDialog::OnConnectButton(win::Message&) {
    ConnectToggle();
}

void CMainDialog::ConnectToggle() {
    if (m_busy) {
        // While a job runs, connect or disconnect stops it, as the cancel button does: a
        // connect, a login or a listing the server holds ends at once.
        m_cancelRequested = true;
        return;
    }
    if (m_connected) {
        RunJob(&CMainDialog::DisconnectJob);
        return;
    }
    int error = 0;
    if (!m_engine.CreateControlSocket(error)) {
        ShowMessage(platform::SystemErrorText(error), win::Buttons::Ok, win::Icon::Warning);
        return;
    }
    m_connectPhase = ftp::kPhaseIdle;
    m_tickCount = 0;
    m_window.StartTimer(res::kConnectTimer, 50);
    ChooseConnectHost();
    RunJob(&CMainDialog::ConnectJob, true);
}

void CMainDialog::ChooseConnectHost() {
    m_connectSlot = ui::kNoSlot;
    int slot;
    if (m_window.Tab(res::kHostTab).GetCurSel() == ui::kHostListTab) {
        int row = m_window.ListView(res::kHostList).GetSelectionMark();
        if (row < 0) {
            return;
        }
        slot = HostSlotFromRow(row);
        if (slot == ui::kNoSlot) {
            return;
        }
        m_hosts[static_cast<std::size_t>(slot)].localFolder = m_localFolder;
    } else {
        slot = m_window.Tab(res::kHostTab).GetCurSel();
        ui::HostRecord& h = m_hosts[static_cast<std::size_t>(slot)];
        h.SetServerName(m_window.Text(res::kServerNameEdit).GetText());
        h.userName = m_window.Text(res::kUserNameEdit).GetText();
        h.password = m_window.Text(res::kPasswordEdit).GetText();
    }
    m_connectSlot = slot;
    m_connectHost = m_hosts[static_cast<std::size_t>(slot)];
}

void CMainDialog::OnRemotePathComboChange(win::Message&) {
    if (m_busy) {
        return;
    }
    win::IComboBox& combo = m_window.Combo(res::kRemotePathCombo);
    int sel = combo.GetCurSel();
    if (sel < 0) {
        return;
    }
    m_previousRemoteFolder = m_remoteFolder;
    m_remoteFolder = combo.GetString(sel);
    RunJob(&CMainDialog::ChangeFolderJob, true);
}

void CMainDialog::OnRemoteUpButton(win::Message&) {
    if (m_connected && !m_busy) {
        RunJob(&CMainDialog::ClimbRemoteFolder, true);
    }
}

void CMainDialog::OpenRemoteItem() {
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    int row = pane.GetSelectionMark();
    if (row < 0) {
        return;
    }
    // A running job owns the folder texts: writing them here would race with its worker.
    if (m_busy) {
        return;
    }
    int kind = pane.GetItemImage(row);
    std::string text = pane.GetItemText(row);
    m_previousRemoteFolder = m_remoteFolder;
    if (kind != res::kImageFolder && kind != res::kImageLink) {
        return; // files are not opened
    }
    if (kind == res::kImageFolder) {
        if (m_remoteFolder.empty() || m_remoteFolder.back() != '/') {
            m_remoteFolder += '/';
        }
        m_remoteFolder += text;
    } else {
        // The target is all that follows the first arrow, spaces included. A relative one is
        // taken from the folder that holds the link, so the remote folder stays a whole path
        // that uploads and the up button can build on.
        std::string target = ftp::LinkTarget(text);
        if (target.empty()) {
            return;
        }
        m_remoteFolder = ftp::ResolveLinkTarget(m_remoteFolder, target);
    }
    RunJob(&CMainDialog::ChangeFolderJob, true);
}

void CMainDialog::OnRemoteItemActivated(win::Message&) {
    OpenRemoteItem();
}

void CMainDialog::OnRemoteOpenCommand(win::Message&) {
    OpenRemoteItem();
}

void CMainDialog::OnRemoteRefreshCommand(win::Message&) {
    if (m_connected && !m_busy) {
        RunJob(&CMainDialog::RefreshJob, true);
    }
}

} // namespace ui
