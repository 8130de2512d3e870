#include "platform/window/wx/wx_main.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/window/wx/gtk_style.h"
#include "platform/window/wx/wx_main_window.h"

namespace wxwin {
namespace {

// The toolkit's own complaints go to the error stream: its default handlers open boxes of
// their own beside the program's (a failed shell open, a debug check).
void ReportToolkitAssert(const wxString& file, int line, const wxString& function,
                         const wxString& condition, const wxString& message) {
    std::fprintf(stderr, "toolkit check failed: %s:%d %s: %s %s\n",
                 static_cast<const char*>(file.utf8_str()), line,
                 static_cast<const char*>(function.utf8_str()),
                 static_cast<const char*>(condition.utf8_str()),
                 static_cast<const char*>(message.utf8_str()));
}

class QuorrelApp : public wxApp {
public:
    // The program reads its own command line; the toolkit's parser must not reject it.
    bool OnInit() override { return true; }
};

} // namespace

bool StartToolkit(int& argc, char** argv) {
    wxApp::SetInstance(new QuorrelApp);
    if (!wxEntryStart(argc, argv)) {
        return false;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    ApplyCompactStyle();
    wxSetAssertHandler(ReportToolkitAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    return true;
}

void StopToolkit() {
    if (wxTheApp != nullptr) {
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
}

int RunMainWindow(int& argc, char** argv, const std::function<void(win::IMainWindow&)>& onCreated) {
    if (!StartToolkit(argc, argv)) {
        // The toolkit says nothing of its own when there is no display to open.
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0')) {
            std::fputs("ftpquorrel: cannot open the window: no display is set (DISPLAY and "
                       "WAYLAND_DISPLAY are empty).\nRun it from a desktop session, or without "
                       "a display with --script FILE.\n",
                       stderr);
        } else {
            std::fprintf(stderr, "ftpquorrel: cannot open the window on the display \"%s\".\n",
                         display != nullptr && *display != '\0' ? display : wayland);
        }
        return 1;
    }
    // Not deleted: a job's worker may still call the window after the run; those calls find
    // it shut down and are dropped. The process ends right after.
    auto* window = new WxMainWindow();
    onCreated(*window);
    if (!window->IsDestroyed()) {
        window->ShowWindow();
        wxTheApp->OnRun();
    }
    window->Shutdown();
    StopToolkit();
    return 0;
}

std::unique_ptr<WxMainWindow> CreateMainWindowForTest() {
    return std::make_unique<WxMainWindow>();
}

void PumpPending() {
    if (wxTheApp != nullptr) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
}

bool PumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        PumpPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace wxwin
