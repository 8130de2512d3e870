// Host tabs and the host list. (Placeholder bodies; the host book fills them.)
#include "res/resource_ids.h"
#include "ui/main_dialog.h"

void CMainDialog::InsertTabs() {
    win::ITabControl& tab = m_window.Tab(res::kHostTab);
    tab.DeleteAllItems();
    for (int i = 0; i < 6; ++i) {
        tab.InsertItem(i, "Host " + std::to_string(i + 1));
    }
    tab.InsertItem(6, "Host Lists");
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
void CMainDialog::FillHostList() {}
void CMainDialog::ApplyTab() {
    int tab = m_window.Tab(res::kHostTab).GetCurSel();
    if (tab >= 0 && tab <= 5) {
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
bool CMainDialog::CanChangeHost() { return false; }
void CMainDialog::StoreCurrentHost() {
    int tab = m_window.Tab(res::kHostTab).GetCurSel();
    if (tab >= 0 && tab <= 5) {
        ui::HostRecord& h = m_hosts[static_cast<std::size_t>(tab)];
        h.localFolder = m_localFolder;
        h.serverName = m_window.Text(res::kServerNameEdit).GetText();
        h.userName = m_window.Text(res::kUserNameEdit).GetText();
        h.password = m_window.Text(res::kPasswordEdit).GetText();
    }
}
void CMainDialog::OnTabChanging(win::Message& message) { message.result = CanChangeHost() ? 1 : 0; }
void CMainDialog::OnTabChanged(win::Message&) { ApplyTab(); }
void CMainDialog::OnHostListItemChanging(win::Message&) {}
void CMainDialog::OnHostListItemActivated(win::Message&) {}
void CMainDialog::OnHostListContextMenu(win::Message&) {}
void CMainDialog::OnHostConnect(win::Message&) {}
void CMainDialog::OnHostProperty(win::Message&) {}
void CMainDialog::OnCreateHost(win::Message&) {}
void CMainDialog::OnHostDelete(win::Message&) {}
