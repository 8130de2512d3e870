// The mirroring start, command 32777 of the local pane's menu and button 1022: after its
// question it is the upload of every local row with mirroring set.
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

void CMainDialog::OnMirroringCommand(win::Message&) {
    if (m_busy || !m_connected) {
        return;
    }
    // The drive list has no folder to mirror: StartUploadAll refuses it with its own message,
    // and nothing is asked first.
    if (!m_localList.m_driveList) {
        const std::string question = m_localFolder + "\nto\n" + m_remoteFolder + "\n" +
                                     res::LoadString(res::kTextStartMirroring);
        if (ShowMessage(question, win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
            return;
        }
    }
    m_job.mirroring = true;
    m_job.overwrite = false;
    StartUploadAll();
}

} // namespace ui
