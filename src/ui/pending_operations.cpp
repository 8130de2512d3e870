// Operations of the transfer, remote file, local file and list-control work that later changes
// fill. They exist now so that every command of the window reaches a named operation.
#include "ui/main_dialog.h"

void CMainDialog::StartUpload() {}
void CMainDialog::StartUploadAll() {}
void CMainDialog::StartUploadDropped() {}
void CMainDialog::OnLocalUploadCommand(win::Message&) {}
void CMainDialog::OnOverwriteUploadCommand(win::Message&) {}
void CMainDialog::OnUploadAllCommand(win::Message&) {}
void CMainDialog::OnMirroringCommand(win::Message&) {}
void CMainDialog::OnRemoteDeleteCommand(win::Message&) {}
void CMainDialog::OnRemoteRenameCommand(win::Message&) {}
void CMainDialog::OnRemoteCreateFolderCommand(win::Message&) {}
void CMainDialog::OnPermissionCommand(win::Message&) {}
void CMainDialog::OnRemoteEndLabelEdit(win::Message&) {}
void CMainDialog::OnLocalEndLabelEdit(win::Message&) {}
void CMainDialog::OnLocalItemActivated(win::Message&) {}
void CMainDialog::OnLocalOpenCommand(win::Message&) {}
void CMainDialog::OnLocalDeleteCommand(win::Message&) {}
void CMainDialog::OnLocalRenameCommand(win::Message&) {}
void CMainDialog::OnLocalCreateFolderCommand(win::Message&) {}
void CMainDialog::OnOpenFolderButton(win::Message&) {}
