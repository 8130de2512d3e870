// The host property dialog. (Placeholder; the host book fills it.)
#include "ui/main_dialog.h"

void CMainDialog::RunHostPropertyDialog(bool) {}
