// Operations of the transfer, remote file, local file and list-control work that later changes
// fill. They exist now so that every command of the window reaches a named operation.
#include "ui/main_dialog.h"

void CMainDialog::StartDownload() {}
void CMainDialog::StartUpload() {}
void CMainDialog::StartUploadAll() {}
void CMainDialog::StartUploadDropped() {}
void CMainDialog::OnDownloadCommand(win::Message&) {}
void CMainDialog::OnLocalUploadCommand(win::Message&) {}
void CMainDialog::OnOverwriteUploadCommand(win::Message&) {}
void CMainDialog::OnUploadAllCommand(win::Message&) {}
void CMainDialog::OnMirroringCommand(win::Message&) {}
