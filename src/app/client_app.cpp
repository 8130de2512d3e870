#include "app/client_app.h"

#include <memory>
#include <vector>

#include "platform/process_start.h"
#include "settings/settings_store.h"
#include "ui/main_dialog.h"

#ifdef QUORREL_HAVE_WX
#include "platform/window/wx/wx_main.h"
#endif

int CClientApp::InitInstance(int argc, char** argv) {
    platform::IgnoreWriteSignals();
    m_settingsPath = settings::SettingsFilePath();
#ifdef QUORREL_HAVE_WX
    settings::SettingsStore store(m_settingsPath);
    std::unique_ptr<ui::CMainDialog> dialog;
    int status = wxwin::RunMainWindow(argc, argv, [&](win::IMainWindow& window) {
        dialog = std::make_unique<ui::CMainDialog>(window, store);
        window.SetHandler(dialog.get());
        dialog->Start();
    });
    dialog.reset();
    return status;
#else
    (void)argc;
    (void)argv;
    return 1;
#endif
}
