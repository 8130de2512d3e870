// CHostPro: the modal dialog that edits one host of the host book or creates a new one.
#pragma once

#include <string>

#include "ui/modal_dialog.h"

namespace ui {

class CMainDialog;

class CHostPro : public ui::ModalDialog {
public:
    explicit CHostPro(CMainDialog& parent) : m_parent(parent) {}

    void OnInitDialog(win::IDialogWindow& window) override;

    bool m_editExisting = false; // true: the host at the list's selection mark; false: a new one
    int m_slot = 0;              // the slot edited or filled
    std::string m_serverName;
    std::string m_userName;
    std::string m_password;
    std::string m_initialFolder; // the slot's server folder

    // The time-zone texts in list order; entry i stands for GMT offset i - 12 hours.
    static constexpr int kTimeZoneCount = 26;
    static const char* const kTimeZones[kTimeZoneCount];
    // Shown for a host whose time zone was never set.
    static constexpr int kUnsetTimeZoneEntry = 7;

private:
    void OnOK() override;

    CMainDialog& m_parent;
};

} // namespace ui
