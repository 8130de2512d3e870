// What the program's modal dialogs share: OK runs the dialog's own OnOK, Cancel and the close
// button end it with Cancel, and everything else is the dialog's to handle.
#pragma once

#include "platform/window/window.h"
#include "res/resource_ids.h"

namespace ui {

class ModalDialog : public win::IDialogLogic {
public:
    void Dispatch(win::Message& message) final {
        if (m_window == nullptr) {
            return;
        }
        const bool button = message.kind == win::MessageKind::ButtonClick;
        if (button && message.id == res::kIdOk) {
            OnOK();
        } else if ((button && message.id == res::kIdCancel) ||
                   message.kind == win::MessageKind::Close) {
            m_window->EndDialog(win::kAnswerCancel);
        } else {
            OnMessage(message);
        }
    }

protected:
    virtual void OnOK() = 0;
    // Any other message; by default Enter is left to the window, which presses OK.
    virtual void OnMessage(win::Message&) {}

    win::IDialogWindow* m_window = nullptr;
};

} // namespace ui
