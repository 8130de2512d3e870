// CPermissionDialog: the small modal dialog that shows a remote item's mode as a number and lets
// the user type another one for SITE CHMOD.
#pragma once

#include <string>

#include "ui/modal_dialog.h"

namespace ui {

class CPermissionDialog : public ui::ModalDialog {
public:
    static constexpr std::size_t kMaxModeLength = 3;

    void OnInitDialog(win::IDialogWindow& window) override;

    std::string m_fileName;   // set by the caller: the name the command is sent for
    bool m_changed = false;   // OK closed the dialog with a mode other than the initial one
    std::string m_permission; // set by the caller: the listing's permission text, e.g. -rwxr-xr-x
    std::string m_mode;       // the edit's text
    std::string m_initialMode;

private:
    void OnOK() override;
};

} // namespace ui
