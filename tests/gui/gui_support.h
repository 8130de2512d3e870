// What the GUI tests share: a logic that records every message, screenshots and pumping.
#pragma once

#include <wx/window.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/window.h"

namespace guitest {

class RecordingHandler : public win::IMessageHandler {
public:
    // Runs before the message is recorded; may set message.result.
    std::function<void(win::Message&)> onMessage;

    void Dispatch(win::Message& message) override {
        if (onMessage) {
            onMessage(message);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(message);
    }
    std::vector<win::Message> Messages() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    std::vector<win::Message> Of(win::MessageKind kind) const {
        std::vector<win::Message> found;
        for (const auto& m : Messages()) {
            if (m.kind == kind) {
                found.push_back(m);
            }
        }
        return found;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<win::Message> m_messages;
};

// Lets the window paint, then writes what the screen shows of `window` as a PNG into the
// build folder; returns the file's path, "" when it could not be written. `asItStands` takes
// the screen at once, with what floats over the window (a tooltip).
std::string Screenshot(wxWindow* window, const std::string& fileName, bool asItStands = false);

// Sends a key through the window's key hook as the toolkit does before a control sees it.
bool SendHookKey(wxWindow* window, int keyCode);

// Assertion failures of the toolkit seen since the last call.
std::vector<std::string> TakeToolkitAsserts();

} // namespace guitest

// ---- the main window under test ----

#include <gtest/gtest.h>

#include <memory>

#include "platform/window/wx/wx_main.h"
#include "platform/window/wx/wx_main_window.h"

namespace guitest {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        TakeToolkitAsserts();
        window = wxwin::CreateMainWindowForTest();
        window->SetHandler(&handler);
    }
    void TearDown() override {
        window.reset();
        wxwin::PumpPending();
        EXPECT_TRUE(TakeToolkitAsserts().empty()) << "the toolkit asserted";
    }
    wxPoint Dlu(int x, int y) const { return window->DialogToPixels(x, y); }

    std::unique_ptr<wxwin::WxMainWindow> window;
    RecordingHandler handler;
};

} // namespace guitest
