#include "platform/window/headless/headless_dialog.h"

namespace headless {

HeadlessDialog::HeadlessDialog(const res::DialogTemplate& tmpl, HeadlessMainWindow& main,
                               win::IDialogLogic& logic)
    : HeadlessWindowBase(tmpl, &main), m_logic(logic), m_templateId(tmpl.id) {}

void HeadlessDialog::EndDialog(int result) {
    WindowLock lock(m_mutex);
    m_ended = true;
    m_result = result;
}

} // namespace headless
