// ui::CMainDialog on the headless window with a settings file in a temporary folder: the whole
// program without a display, driven through the same entry point as the real window.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/window/headless/headless_window.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"

namespace testsupport {

class HeadlessApp {
public:
    HeadlessApp() : store(dir / "DEVurorure.ini") {}
    ~HeadlessApp() {
        if (dialog) {
            WaitIdle();
        }
    }

    // Writes lines into the settings file before the window opens.
    void WriteSettings(const std::string& body) {
        dir.Write("DEVurorure.ini", "[data]\r\n" + body);
    }

    void Open() {
        dialog = std::make_unique<ui::CMainDialog>(window, store);
        dialog->Arrange().m_exitWhileBusy = [] {};
        window.SetHandler(dialog.get());
        dialog->Start();
        window.CentreIfNotMoved();
    }

    // Closes and opens a new window on the same settings file, as a restart does.
    void Restart() {
        Close();
        dialog.reset();
        window2 = std::make_unique<headless::HeadlessMainWindow>();
        dialog = std::make_unique<ui::CMainDialog>(*window2, store);
        dialog->Arrange().m_exitWhileBusy = [] {};
        window2->SetHandler(dialog.get());
        dialog->Start();
        window2->CentreIfNotMoved();
    }

    headless::HeadlessMainWindow& Win() { return window2 ? *window2 : window; }

    void WaitIdle() {
        Win().PumpUntil([this] { return !dialog->View().m_busy; });
        dialog->WaitForWorker();
        Win().Pump();
    }

    bool Close() {
        WaitIdle();
        return dialog->CloseProcedure();
    }

    std::string Log() { return Win().Get(res::kLogEdit).GetText(); }
    std::string Setting(const std::string& key) { return store.ReadString(key, "<missing>", 4096); }

    TempDir dir;
    settings::SettingsStore store;
    headless::HeadlessMainWindow window;
    std::unique_ptr<headless::HeadlessMainWindow> window2;
    std::unique_ptr<ui::CMainDialog> dialog;
};

} // namespace testsupport
