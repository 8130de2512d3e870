// Operations of the transfer, remote file, local file and list-control work that later changes
// fill. They exist now so that every command of the window reaches a named operation.
#include "ui/main_dialog.h"

void CMainDialog::OnMirroringCommand(win::Message&) {}
bool CMainDialog::MirrorDeleteExtras(const std::string&, const std::string&, const std::string&) {
    return false;
}
