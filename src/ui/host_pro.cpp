#include "ui/host_pro.h"

#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

const char* const CHostPro::kTimeZones[CHostPro::kTimeZoneCount] = {
    "GMT-12:00",
    "GMT-11:00",
    "GMT-10:00",
    "GMT-09:00",
    "GMT-08:00 Pacific Time",
    "GMT-07:00 Mountain Time",
    "GMT-06:00 Central Time",
    "GMT-05:00 Eastern Time",
    "GMT-04:00",
    "GMT-03:00",
    "GMT-02:00",
    "GMT-01:00",
    "GMT 00:00 London",
    "GMT+01:00",
    "GMT+02:00",
    "GMT+03:00",
    "GMT+04:00",
    "GMT+05:00",
    "GMT+06:00",
    "GMT+07:00",
    "GMT+08:00",
    "GMT+09:00 Tokyo",
    "GMT+10:00",
    "GMT+11:00",
    "GMT+12:00",
    "GMT+13:00",
};

void CHostPro::OnInitDialog(win::IDialogWindow& window) {
    m_window = &window;
    const win::Rect client = m_parent.m_window.GetClientRectOnScreen();
    window.Move(client.left, client.top);

    win::IComboBox& zones = window.Combo(res::kHostProTimeZone);
    for (const char* text : kTimeZones) {
        zones.AddString(text);
    }

    if (m_editExisting) {
        m_slot =
            m_parent.HostSlotFromRow(m_parent.m_window.ListView(res::kHostList).GetSelectionMark());
        if (m_slot >= 0 && m_slot < ui::kHostSlots) {
            const ui::HostRecord& host = m_parent.m_hosts[static_cast<std::size_t>(m_slot)];
            m_serverName = host.serverName;
            m_userName = host.userName;
            m_password = host.password;
            m_initialFolder = host.serverFolder;
            const int zone = host.TimeZoneIndex;
            if (zone == 0) {
                zones.SetCurSel(kUnsetTimeZoneEntry);
            } else if (zone >= 1 && zone <= kTimeZoneCount) {
                zones.SetCurSel(zone - 1);
            } else {
                zones.SetCurSel(-1);
            }
        }
    } else {
        window.SetCaption(res::LoadString(res::kTextCreateNewHost));
        m_slot = ui::kNoSlot;
        for (int slot = 0; slot < ui::kHostSlots; ++slot) {
            if (!m_parent.m_hosts[static_cast<std::size_t>(slot)].InUse()) {
                m_slot = slot;
                break;
            }
        }
        m_serverName.clear();
        m_userName.clear();
        m_password.clear();
        m_initialFolder.clear();
        zones.SetCurSel(kUnsetTimeZoneEntry);
        // A new host first logs in to the server's own start folder.
        window.Text(res::kHostProFolder).Enable(false);
    }

    window.Text(res::kHostProServer).SetText(m_serverName);
    window.Text(res::kHostProUser).SetText(m_userName);
    window.Text(res::kHostProPassword).SetText(m_password);
    window.Text(res::kHostProFolder).SetText(m_initialFolder);
}

void CHostPro::OnOK() {
    win::IDialogWindow& window = *m_window;
    m_serverName = window.Text(res::kHostProServer).GetText();
    m_userName = window.Text(res::kHostProUser).GetText();
    m_password = window.Text(res::kHostProPassword).GetText();
    m_initialFolder = window.Text(res::kHostProFolder).GetText();

    if (m_serverName.empty()) {
        window.MessageBox(res::LoadString(res::kTextTypeServerName), win::Buttons::Ok,
                          win::Icon::Warning);
        return;
    }
    if (m_slot < 0 || m_slot >= ui::kHostSlots) {
        window.EndDialog(win::kAnswerCancel); // no slot to write into
        return;
    }

    win::IListView& list = m_parent.m_window.ListView(res::kHostList);
    if (m_editExisting) {
        list.SetItemText(list.GetSelectionMark(), m_serverName);
    } else {
        // Every slot below m_slot is in use, so this position keeps the rows in slot order.
        list.InsertItem(m_slot, m_serverName, 0);
        // While connected, the connection's row must keep standing for its host when a row
        // appears above it.
        int& connectedRow = m_parent.m_hostList.m_connectedRow;
        if (m_parent.m_connected && connectedRow >= m_slot) {
            ++connectedRow;
        }
    }

    // The slot's local folder stays as it was.
    ui::HostRecord& host = m_parent.m_hosts[static_cast<std::size_t>(m_slot)];
    host.SetServerName(m_serverName);
    host.userName = m_userName;
    host.password = m_password;
    host.serverFolder = m_initialFolder;
    host.TimeZoneIndex = window.Combo(res::kHostProTimeZone).GetCurSel() + 1;
    window.EndDialog(win::kAnswerOk);
}

void CMainDialog::RunHostPropertyDialog(bool editExisting) {
    CHostPro dialog(*this);
    dialog.m_editExisting = editExisting;
    m_window.RunModal(res::kHostProTemplate, dialog);
}

} // namespace ui
