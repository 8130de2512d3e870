// Host tabs and the host list: which slot the user sees, and the list's menus and commands.
#include <algorithm>
#include <set>

#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

using ui::kHostListTab;

// The controls that show one tab's host; the host list takes their place on "Host Lists".
constexpr int kHostFieldControls[] = {
    res::kServerNameEdit,  res::kUserNameEdit,  res::kPasswordEdit, res::kHostBackground,
    res::kServerNameLabel, res::kUserNameLabel, res::kPasswordLabel};

} // namespace

void CMainDialog::InsertTabs() {
    win::ITabControl& tab = m_window.Tab(res::kHostTab);
    tab.DeleteAllItems();
    for (int i = 0; i < ui::kHostTabs; ++i) {
        tab.InsertItem(i, "Host " + std::to_string(i + 1));
    }
    tab.InsertItem(kHostListTab, "Host Lists");
}

int CMainDialog::HostSlotFromRow(int row) const {
    if (row < 0) {
        return ui::kNoSlot;
    }
    for (int slot = 0; slot < ui::kHostSlots; ++slot) {
        if (m_hosts[static_cast<std::size_t>(slot)].InUse() && row-- == 0) {
            return slot;
        }
    }
    return ui::kNoSlot;
}

void CMainDialog::FillHostList() {
    win::IListView& list = m_window.ListView(res::kHostList);
    list.DeleteAllItems();
    std::vector<std::pair<std::string, int>> rows;
    for (const ui::HostRecord& host : m_hosts) {
        if (host.InUse()) {
            rows.emplace_back(host.serverName, 0);
        }
    }
    list.InsertItems(0, rows);
}

void CMainDialog::ApplyTab() {
    const int tab = m_window.Tab(res::kHostTab).GetCurSel();
    const bool hostList = tab == kHostListTab;
    m_window.ListView(res::kHostList).Show(hostList);
    for (int id : kHostFieldControls) {
        m_window.Text(id).Show(!hostList);
    }
    if (hostList) {
        FillHostList();
        m_localFolder.clear();
        m_remoteFolder.clear();
    } else if (tab >= 0 && tab < kHostListTab) {
        const ui::HostRecord& h = m_hosts[static_cast<std::size_t>(tab)];
        m_window.Text(res::kServerNameEdit).SetText(h.serverName);
        m_window.Text(res::kUserNameEdit).SetText(h.userName);
        m_window.Text(res::kPasswordEdit).SetText(h.password);
        m_localFolder = h.localFolder;
        m_remoteFolder = h.serverFolder;
    }
    if (!ListLocalFolder()) {
        LocalFolderUp();
    }
}

bool CMainDialog::CanChangeHost() {
    if (m_busy) {
        m_window.MessageBox(res::LoadString(res::kTextCannotChangeHost), win::Buttons::Ok,
                            win::Icon::Warning);
        return false;
    }
    if (m_connected) {
        if (m_window.MessageBox(res::LoadString(res::kTextDisconnectForNewHost),
                                win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
            return false;
        }
        // The logout runs here on the window's thread: the tab must not change under a
        // worker that still uses the old host.
        DisconnectJob();
    }
    StoreCurrentHost();
    return true;
}

void CMainDialog::StoreCurrentHost() {
    const int tab = m_window.Tab(res::kHostTab).GetCurSel();
    if (tab >= 0 && tab < kHostListTab) {
        ui::HostRecord& h = m_hosts[static_cast<std::size_t>(tab)];
        h.localFolder = m_localFolder;
        h.SetServerName(m_window.Text(res::kServerNameEdit).GetText());
        h.userName = m_window.Text(res::kUserNameEdit).GetText();
        h.password = m_window.Text(res::kPasswordEdit).GetText();
        return;
    }
    const int slot = HostSlotFromRow(m_window.ListView(res::kHostList).GetSelectionMark());
    if (slot != ui::kNoSlot) {
        m_hosts[static_cast<std::size_t>(slot)].localFolder = m_localFolder;
    }
}

void CMainDialog::OnTabChanging(win::Message& message) {
    message.result = CanChangeHost() ? 0 : 1;
}

void CMainDialog::OnTabChanged(win::Message&) {
    ApplyTab();
}

void CMainDialog::OnHostListItemChanging(win::Message& message) {
    if (message.index < 0) {
        return;
    }
    // A row without a slot (the list out of step with the slots) has no folders to trade.
    const int slot = HostSlotFromRow(message.index);
    if (slot == ui::kNoSlot) {
        return;
    }
    ui::HostRecord& host = m_hosts[static_cast<std::size_t>(slot)];
    if (message.newState == win::kStateNone) {
        host.localFolder = m_localFolder;
        return;
    }
    if (message.oldState != message.newState) {
        m_localFolder = host.localFolder;
        // A running job works in the remote folder: switching it under the job would race with
        // the worker and send the job's next command to another host's folder.
        if (!m_busy) {
            m_remoteFolder = host.serverFolder;
        }
        if (!ListLocalFolder()) {
            LocalFolderUp();
        }
    }
}

void CMainDialog::OnHostListItemActivated(win::Message&) {
    const int mark = m_window.ListView(res::kHostList).GetSelectionMark();
    if (m_connected && mark != m_hostList.m_connectedRow) {
        return;
    }
    m_hostList.m_connectedRow = mark;
    ConnectToggle();
}

void CMainDialog::OnHostListContextMenu(win::Message& message) {
    win::IListView& list = m_window.ListView(res::kHostList);
    int menuId = res::kMenuHostConnect;
    std::set<int> grayed;
    if (list.GetSelectedCount() == 0) {
        menuId = res::kMenuHostCreate;
    } else if (m_connected) {
        menuId = res::kMenuHostDisconnect;
        if (list.GetSelectionMark() != m_hostList.m_connectedRow) {
            grayed.insert(res::kCmdHostConnect);
        }
        grayed.insert(res::kCmdHostDelete);
        grayed.insert(res::kCmdHostProperty);
    }
    TrackContextMenu(menuId, grayed, message.x, message.y);
}

void CMainDialog::OnHostConnect(win::Message&) {
    m_hostList.m_connectedRow = m_window.ListView(res::kHostList).GetSelectionMark();
    ConnectToggle();
}

void CMainDialog::OnHostProperty(win::Message&) {
    if (HostSlotFromRow(m_window.ListView(res::kHostList).GetSelectionMark()) == ui::kNoSlot) {
        return;
    }
    RunHostPropertyDialog(true);
}

void CMainDialog::OnCreateHost(win::Message&) {
    const bool slotFree = std::any_of(m_hosts.begin(), m_hosts.end(),
                                      [](const ui::HostRecord& h) { return !h.InUse(); });
    if (m_window.ListView(res::kHostList).GetItemCount() >= ui::kHostSlots || !slotFree) {
        m_window.MessageBox(res::LoadString(res::kTextNoMoreHosts), win::Buttons::Ok,
                            win::Icon::Warning);
        return;
    }
    RunHostPropertyDialog(false);
}

void CMainDialog::OnHostDelete(win::Message&) {
    win::IListView& list = m_window.ListView(res::kHostList);
    const int row = list.GetSelectionMark();
    if (row < 0) {
        return;
    }
    if (m_window.MessageBox(res::LoadString(res::kTextDeletePrefix) + list.GetItemText(row),
                            win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
        return;
    }
    const int slot = HostSlotFromRow(row);
    list.DeleteItem(row);
    if (slot == ui::kNoSlot) {
        return;
    }
    // The time zone stays: a freed slot is known by its empty server name alone.
    ui::HostRecord& host = m_hosts[static_cast<std::size_t>(slot)];
    host.SetServerName("");
    host.userName.clear();
    host.password.clear();
    host.localFolder.clear();
    host.serverFolder.clear();
}

} // namespace ui
