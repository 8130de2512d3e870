// The connection jobs on the worker: connect, disconnect, refresh and the moves through remote
// folders, and the disconnect cleanup they share with the engine.
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"
#include "ui/pane_columns.h"

namespace ui {

void CMainDialog::ConnectJob() {
    if (m_connectSlot == ui::kNoSlot) {
        return; // "Host Lists" with no row selected: nothing is logged
    }
    const ui::HostRecord& host = m_connectHost;

    ClearLog();
    // What the last server's times meant is not this one's.
    m_listOffset.reset();
    m_listOffsetTried = false;

    // "ftpes://" and "ftps://" ask for TLS; the log shows the name as typed.
    const ftp::ServerName server = ftp::ParseServerName(host.serverName);
    const ftp::TlsRequest tls{server.security, host.certificate};
    const bool loggedIn = m_engine.FtpConnect(server.host, host.userName, host.password,
                                              server.port, host.serverName, tls);
    KeepTrustedCertificate();
    if (!loggedIn) {
        AppendLog(res::LoadString(res::kTextCannotConnect));
        return;
    }
    std::string current;
    if (!m_engine.FtpCurrentFolder(current)) {
        if (m_engine.ConnectionLost()) {
            return; // nothing to end with QUIT: the log ends with "Disconnected."
        }
        AppendLog(res::LoadString(res::kTextCurrentFolderFailed));
        m_engine.FtpQuit();
        return;
    }
    RememberRemoteFolder(current);
    m_remoteFolder = current;
    if (!host.serverFolder.empty() && host.serverFolder != current) {
        m_previousRemoteFolder = current;
        m_remoteFolder = host.serverFolder;
        if (m_engine.FtpChangeFolder(host.serverFolder)) {
            m_remoteFolder = host.serverFolder;
        } else {
            m_remoteFolder = current;
        }
        if (m_engine.ConnectionLost()) {
            return;
        }
    }
    m_window.Button(res::kConnectButton).SetIcon(res::kIconDisconnect);
    m_connected = true;
    if (!RefreshRemoteList(true, true) && !m_engine.ConnectionLost()) {
        ClimbRemoteFolder();
    }
}

void CMainDialog::KeepTrustedCertificate() {
    const std::string& fingerprint = m_engine.AcceptedFingerprint();
    if (fingerprint.empty()) {
        return;
    }
    m_connectHost.certificate = fingerprint;
    // The slots belong to the window's thread; the slot keeps it while it names that server.
    auto keep = [this, slot = m_connectSlot, name = m_connectHost.serverName, fingerprint] {
        ui::HostRecord& h = m_hosts[static_cast<std::size_t>(slot)];
        if (h.serverName == name) {
            h.certificate = fingerprint;
        }
    };
    if (OnWindowThread()) {
        keep();
    } else {
        m_window.Post(keep);
    }
}

void CMainDialog::DisconnectJob() {
    m_engine.FtpQuit();
    if (!m_engine.ConnectionLost()) {
        DisconnectCleanup();
    }
}

void CMainDialog::DisconnectCleanup() {
    if (m_pool) {
        // The job's extra connections stop with it, and "Disconnected." stays the last line.
        m_pool->Abandon();
    }
    m_connected = false;
    m_window.ListView(res::kRemoteList).DeleteAllItems();
    ResetProgress();
    win::IComboBox& combo = m_window.Combo(res::kRemotePathCombo);
    combo.SetCurSel(-1);
    combo.ResetContent();
    m_engine.Cache().Clear();
    m_window.Button(res::kConnectButton).SetIcon(res::kIconConnect);
    AppendLog(res::LoadString(res::kTextDisconnected));
    // The slots and the local folder belong to the window's thread: a worker that finds the
    // connection broken hands this step over, with the remote folder as it stands now.
    auto saveFolders = [this, remote = m_remoteFolder] {
        int slot = CurrentHostSlot();
        if (slot != ui::kNoSlot) {
            m_hosts[static_cast<std::size_t>(slot)].localFolder = m_localFolder;
            m_hosts[static_cast<std::size_t>(slot)].serverFolder = remote;
        }
    };
    if (OnWindowThread()) {
        saveFolders();
    } else {
        m_window.Post(saveFolders);
    }
}

int CMainDialog::BuildRemoteEntries(bool useCache) {
    std::string listing;
    int lines = m_engine.FtpList(listing, "", useCache);
    m_remoteEntries.SetListing(std::move(listing));
    if (lines == -1) {
        // A lost connection has been reported already; the log ends with "Disconnected."
        if (!m_engine.ConnectionLost()) {
            ShowMessage(res::LoadString(res::kTextListReceivingFailed), win::Buttons::Ok,
                        win::Icon::Warning);
        }
        return -1;
    }
    if (lines > ftp::kMaxListingLines) {
        ShowMessage(res::LoadString(res::kTextTooManyEntries), win::Buttons::Ok,
                    win::Icon::Warning);
        return -1;
    }
    if (lines == 0) {
        m_remoteEntries.Free();
        return 0;
    }
    return m_remoteEntries.Build();
}

bool CMainDialog::RefreshRemoteList(bool skipChangeFolder, bool useCache) {
    if (!skipChangeFolder && !m_engine.FtpChangeFolder(m_remoteFolder)) {
        return false;
    }
    RememberRemoteFolder(m_remoteFolder);
    int n = BuildRemoteEntries(useCache);
    if (n == -1) {
        if (!m_engine.ConnectionLost()) {
            AppendLog(res::LoadString(res::kTextListPuttingFailed));
        }
        return false;
    }
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    pane.DeleteAllItems();
    std::vector<win::ListRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    const ftp::ListingIndex& listing = m_remoteEntries.Index();
    for (int i = 0; i < n; ++i) {
        std::size_t entry = m_remoteEntries.m_order[static_cast<std::size_t>(i)];
        rows.push_back(win::ListRow{
            m_remoteEntries.m_names[entry], m_remoteEntries.m_kinds[entry],
            RemoteCells(listing, m_remoteEntries.m_lines[entry], m_remoteEntries.m_kinds[entry])});
    }
    m_remoteEntries.Free();
    SortRows(rows, m_remoteOrder);
    pane.InsertRows(0, rows);
    return true;
}

void CMainDialog::RememberRemoteFolder(const std::string& path) {
    win::IComboBox& combo = m_window.Combo(res::kRemotePathCombo);
    int found = combo.FindStringExact(path);
    if (found >= 0) {
        combo.SetCurSel(found);
        return;
    }
    combo.InsertString(0, path);
    combo.SetCurSel(0);
}

void CMainDialog::ClimbRemoteFolder() {
    for (;;) {
        if (m_remoteFolder == "/") {
            return;
        }
        std::size_t slash = m_remoteFolder.rfind('/');
        if (slash == std::string::npos) {
            return;
        }
        m_remoteFolder = slash == 0 ? "/" : m_remoteFolder.substr(0, slash);
        // A parent that cannot be entered must leave the climb where it is, so that the next
        // round goes one level higher (restoring an older folder would climb from elsewhere).
        m_previousRemoteFolder = m_remoteFolder;
        bool listed = RefreshRemoteList(false, true);
        if (m_engine.ConnectionLost() || m_remoteFolder == "/" || listed) {
            return;
        }
    }
}

void CMainDialog::RefreshJob() {
    // A folder that cannot be entered any more is climbed from, not swapped for an older one.
    m_previousRemoteFolder = m_remoteFolder;
    if (!RefreshRemoteList(false, false) && !m_engine.ConnectionLost()) {
        ClimbRemoteFolder();
    }
}

void CMainDialog::ChangeFolderJob() {
    RefreshRemoteList(false, true);
}

} // namespace ui
