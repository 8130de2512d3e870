// The local file pane. (Placeholder bodies; the local pane fills them.)
#include "ui/main_dialog.h"

bool CMainDialog::ListLocalFolder() { return true; }
void CMainDialog::LocalFolderUp() {}
void CMainDialog::ShowLocalDrives() {}
int CMainDialog::ScanLocalFolder() { return 0; }
void CMainDialog::OrderLocalListing(int) {}
void CMainDialog::FillDriveCombo() {}
void CMainDialog::AddFolderChainToCombo() {}
void CMainDialog::SelectFolderInCombo() {}
std::string CMainDialog::LocalItemStatusText(const std::string&) { return ""; }
std::string CMainDialog::LastErrorText() { return ""; }
void CMainDialog::OnLocalUpButton(win::Message&) {}
void CMainDialog::OnLocalRefresh(win::Message&) {}
void CMainDialog::OnDriveComboDropDown(win::Message&) {}
void CMainDialog::OnDriveComboChange(win::Message&) {}
