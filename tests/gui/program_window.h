// The program's own window logic on the real window, with one host that logs in to a pyftpdlib
// server: what the GUI tests of whole user actions share.
#pragma once

#include <wx/button.h>

#include <memory>
#include <string>

#include "gui/gui_support.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "support/pyftpd_server.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"

namespace guitest {

class ProgramWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(server.Start()) << "pyftpdlib did not start";
    }
    void TearDown() override {
        if (dialog) {
            window->Frame()->Close();
            EXPECT_TRUE(wxwin::PumpUntil([&] { return window->IsDestroyed(); }));
            dialog->WaitForWorker();
            window->SetHandler(nullptr);
            dialog.reset();
        }
        MainWindowTest::TearDown();
    }

    // Writes the host (local folder `localFolder`), starts the logic and shows the window.
    void StartProgram(const std::string& localFolder) {
        home.Write("DEVurorure.ini",
                   "[data]\r\nSname=" + server.Address() +
                       ";\r\nUname=" + testsupport::PyFtpdServer::kUser + ";\r\npin=" +
                       settings::ReverseCharacters(testsupport::PyFtpdServer::kPassword) +
                       ";\r\nlc=" + localFolder + ";\r\n");
        store = std::make_unique<settings::SettingsStore>(home / "DEVurorure.ini");
        dialog = std::make_unique<ui::CMainDialog>(*window, *store);
        window->SetHandler(dialog.get());
        dialog->Start();
        window->ShowWindow();
    }

    // Clicks a button as the toolkit reports a click.
    void Click(int id) {
        wxWindow* button = window->Widget(id);
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(click);
    }

    // Connects with the button and waits until the job is over.
    void Connect() {
        Click(res::kConnectButton);
        ASSERT_TRUE(wxwin::PumpUntil([&] {
            return !dialog->View().m_busy && dialog->View().m_connected;
        })) << Log();
    }

    bool Lists(int listId, const std::string& name) {
        win::IListView& list = window->ListView(listId);
        for (int i = 0; i < list.GetItemCount(); ++i) {
            if (list.GetItemText(i) == name) {
                return true;
            }
        }
        return false;
    }

    std::string Log() { return window->Edit(res::kLogEdit).GetText(); }

    testsupport::PyFtpdServer server;
    testsupport::TempDir local;
    testsupport::TempDir home;
    std::unique_ptr<settings::SettingsStore> store;
    std::unique_ptr<ui::CMainDialog> dialog;
};

} // namespace guitest
