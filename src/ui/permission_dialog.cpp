#include "ui/permission_dialog.h"

#include "ftp/permission_mode.h"
#include "res/resource_ids.h"

namespace ui {

void CPermissionDialog::OnInitDialog(win::IDialogWindow& window) {
    m_window = &window;
    m_changed = false;
    m_mode = ftp::PermissionToMode(m_permission);
    m_initialMode = m_mode;
    window.Edit(res::kPermModeEdit).SetLimit(kMaxModeLength);
    window.Text(res::kPermModeEdit).SetText(m_mode);
}

void CPermissionDialog::OnOK() {
    // Nothing asks for octal digits: the server judges the text.
    m_mode = m_window->Text(res::kPermModeEdit).GetText();
    m_changed = m_mode != m_initialMode;
    m_window->EndDialog(win::kAnswerOk);
}

} // namespace ui
