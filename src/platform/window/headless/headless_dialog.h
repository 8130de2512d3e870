// A modal dialog of the headless window system: built from its template, it records how it
// ended.
#pragma once

#include "platform/window/headless/headless_window_base.h"

namespace headless {

class HeadlessDialog final : public HeadlessWindowBase, public win::IDialogWindow {
public:
    HeadlessDialog(const res::DialogTemplate& tmpl, HeadlessMainWindow& main,
                   win::IDialogLogic& logic);
    void EndDialog(int result) override;
    bool Ended() const { return m_ended; }
    int Result() const { return m_result; }
    int TemplateId() const { return m_templateId; }
    win::IMessageHandler* Handler() override { return &m_logic; }

private:
    win::IDialogLogic& m_logic;
    int m_templateId;
    bool m_ended = false;
    int m_result = win::kAnswerCancel;
};

} // namespace headless
