// The option dialog. (Placeholder; the options work fills it.)
#include "ui/main_dialog.h"

std::string CMainDialog::AsciiTypeFor(const std::string& name) const {
    return m_asciiExtensions.AsciiTypeFor(name);
}
void CMainDialog::RunOptionDialog() {}
