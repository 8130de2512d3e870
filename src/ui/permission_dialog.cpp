#include "ui/permission_dialog.h"

#include "ftp/permission_mode.h"
#include "res/resource_ids.h"

void CPermissionDialog::OnInitDialog(win::IDialogWindow& window) {
    m_window = &window;
    m_changed = false;
    m_mode = ftp::PermissionToMode(m_permission);
    m_initialMode = m_mode;
    window.Edit(res::kPermModeEdit).SetLimit(kMaxModeLength);
    window.Text(res::kPermModeEdit).SetText(m_mode);
}

void CPermissionDialog::Dispatch(win::Message& message) {
    if (m_window == nullptr) {
        return;
    }
    switch (message.kind) {
    case win::MessageKind::ButtonClick:
        if (message.id == res::kIdOk) {
            OnOK();
        } else if (message.id == res::kIdCancel) {
            m_window->EndDialog(win::kAnswerCancel);
        }
        break;
    case win::MessageKind::Close:
        m_window->EndDialog(win::kAnswerCancel);
        break;
    default:
        // Enter is left to the window, which presses OK.
        break;
    }
}

void CPermissionDialog::OnOK() {
    // Nothing asks for octal digits: the server judges the text.
    m_mode = m_window->Text(res::kPermModeEdit).GetText();
    m_changed = m_mode != m_initialMode;
    m_window->EndDialog(win::kAnswerOk);
}
