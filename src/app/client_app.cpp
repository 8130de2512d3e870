#include "app/client_app.h"

#include <csignal>
#include <memory>
#include <vector>

#include "settings/settings_store.h"
#include "ui/main_dialog.h"

#ifdef QUORREL_HAVE_WX
#include "platform/window/wx/wx_main.h"
#endif

int CClientApp::InitInstance(int argc, char** argv) {
    // A server that drops a connection must be an error the engine reports, never a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit reached while a download writes is a write error the transfer
    // reports (EFBIG), like a full disk, not a signal that ends the program.
    std::signal(SIGXFSZ, SIG_IGN);
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
