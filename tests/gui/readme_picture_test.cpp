// The README's picture: the program's window logged in to a server that holds the demo's
// sample tree, written into the build folder as readme_main_window.png. scripts/screenshot
// copies it into docs/.
#include <cstdlib>

#include "gui/gui_support.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "support/pyftpd_server.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"

namespace guitest {
namespace {

using testsupport::PyFtpdServer;
using testsupport::TempDir;

bool Lists(win::IListView& list, const std::string& name) {
    for (int i = 0; i < list.GetItemCount(); ++i) {
        if (list.GetItemText(i) == name) {
            return true;
        }
    }
    return false;
}

TEST_F(MainWindowTest, ReadmePictureOfTheWindowConnectedToTheDemoTree) {
    PyFtpdServer server;
    ASSERT_TRUE(server.Start()) << "pyftpdlib did not start";
    const std::string fill = std::string("'") + QUORREL_SOURCE_DIR + "/scripts/demo-tree' '" +
                             server.Root().Path() + "'";
    ASSERT_EQ(std::system(fill.c_str()), 0) << fill;
    TempDir local;
    local.Write("website/pages/index.html", "<p>");
    local.Write("website/notes.txt", "to do");
    local.Write("website/photo.jpg", std::string(48000, 'j'));
    local.Write("website/song.mp3", std::string(320000, 'm'));
    TempDir home;
    home.Write("DEVurorure.ini", "[data]\r\nSname=" + server.Address() +
                                     ";\r\nUname=" + PyFtpdServer::kUser +
                                     ";\r\npin=" + ReverseCharacters(PyFtpdServer::kPassword) +
                                     ";\r\nlc=" + (local / "website") + ";\r\n");
    SettingsStore store(home / "DEVurorure.ini");
    auto dialog = std::make_unique<CMainDialog>(*window, store);
    window->SetHandler(dialog.get());
    dialog->Start();
    window->ShowWindow();

    wxWindow* connect = window->Widget(res::kConnectButton);
    wxCommandEvent click(wxEVT_BUTTON, connect->GetId());
    click.SetEventObject(connect);
    connect->GetEventHandler()->ProcessEvent(click);
    auto& remote = window->ListView(res::kRemoteList);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return !dialog->m_busy && Lists(remote, "README.txt"); }))
        << window->Edit(res::kLogEdit).GetText();
    EXPECT_TRUE(Lists(remote, "pictures") && Lists(remote, "archive.zip"));
    EXPECT_FALSE(Screenshot(window->Frame(), "readme_main_window.png").empty());

    window->Frame()->Close();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return window->IsDestroyed(); }));
    dialog->WaitForWorker();
    window->SetHandler(nullptr);
    dialog.reset();
}

} // namespace
} // namespace guitest
