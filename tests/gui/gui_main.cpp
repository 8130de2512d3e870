// The GUI tests run against real widgets: the toolkit is started once, its loop is never
// run; tests pump events themselves.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_main.h"

namespace guitest {
namespace {

std::mutex g_assertMutex;
// The program under test changes the current directory with its local folder; pictures go
// where the tests started.
std::string g_startDirectory;
std::vector<std::string> g_asserts;

void RecordAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    const std::string text =
        (file + ":" + wxString::Format("%d", line) + " " + func + ": " + cond + " " + msg)
            .ToStdString();
    std::fprintf(stderr, "toolkit assertion: %s\n", text.c_str());
    std::lock_guard<std::mutex> lock(g_assertMutex);
    g_asserts.push_back(text);
}

} // namespace

std::vector<std::string> TakeToolkitAsserts() {
    std::lock_guard<std::mutex> lock(g_assertMutex);
    std::vector<std::string> taken;
    taken.swap(g_asserts);
    return taken;
}

std::string Screenshot(wxWindow* window, const std::string& fileName, bool asItStands) {
    if (!asItStands) {
        window->Raise();
        window->Refresh();
        wxwin::PumpUntil([window] { return window->IsShownOnScreen(); });
        // The X server maps and exposes asynchronously: give every child time to paint.
        for (int i = 0; i < 40; ++i) {
            wxwin::PumpPending();
            window->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    const wxRect rect = window->GetScreenRect();
    const std::string path = g_startDirectory + "/" + fileName;
    // Reading the screen through the toolkit returns a stale picture after the first time
    // on GTK 3; ImageMagick reads the X server itself.
    const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                                std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                                std::to_string(rect.y) + " +repage '" + path + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    if (status == 0) {
        return path;
    }
    std::fprintf(stderr, "screenshot %s: import gave %d\n", fileName.c_str(), status);
    wxBitmap bitmap(rect.GetWidth(), rect.GetHeight(), 24);
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        memory.Blit(0, 0, rect.GetWidth(), rect.GetHeight(), &screen, rect.GetX(), rect.GetY());
    }
    if (!bitmap.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "screenshot %s: could not be written\n", fileName.c_str());
        return "";
    }
    return path;
}

bool SendHookKey(wxWindow* window, int keyCode) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = keyCode;
    event.SetEventObject(window);
    return window->GetEventHandler()->ProcessEvent(event);
}

} // namespace guitest

int main(int argc, char** argv) {
    // The desktop's keyring stays out of the tests: passwords stay in the settings file.
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
    testing::InitGoogleTest(&argc, argv);
    guitest::g_startDirectory = std::filesystem::current_path().string();
    if (!wxwin::StartToolkit(argc, argv)) {
        std::fprintf(stderr, "gui_tests: no display (run under xvfb-run)\n");
        return 1;
    }
    // The default handlers open modal boxes, which would hang a run without a user.
    wxSetAssertHandler(guitest::RecordAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxImage::AddHandler(new wxPNGHandler);
    const int result = RUN_ALL_TESTS();
    wxwin::StopToolkit();
    return result;
}
