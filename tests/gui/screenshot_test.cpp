// Screenshots for review, written into the build folder: the main window with a small test
// logic's content, and with the program's own window logic.
#include <wx/filename.h>

#include <cstdio>
#include <fstream>

#include "gui/gui_support.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"

namespace guitest {
namespace {

TEST_F(MainWindowTest, ScreenshotOfTheWindowWithSampleContent) {
    for (int i = 0; i < 6; ++i) {
        window->Tab(res::kHostTab).InsertItem(i, "Host " + std::to_string(i + 1));
    }
    window->Tab(res::kHostTab).InsertItem(6, "Host Lists");
    window->Text(res::kServerNameEdit).SetText("ftp.example.org");
    window->Text(res::kUserNameEdit).SetText("anonymous");
    window->Text(res::kPasswordEdit).SetText("secret");
    window->ListView(res::kLocalList).SetImageList(res::kBitmapFileTypes);
    window->ListView(res::kRemoteList).SetImageList(res::kBitmapFileTypes);
    window->ImageCombo(res::kDriveCombo).SetImageList(res::kBitmapFileTypes);
    window->ImageCombo(res::kDriveCombo).InsertItem(-1, {"/", 18, 18, 0});
    window->ImageCombo(res::kDriveCombo).InsertItem(-1, {"home", 0, 22, 1});
    window->ImageCombo(res::kDriveCombo).SetCurSel(1);
    window->ListView(res::kLocalList)
        .InsertItems(0, {{"docs", 0},
                         {"index.html", 1},
                         {"feed.xml", 2},
                         {"run.php", 3},
                         {"notes.txt", 6},
                         {"photo.jpg", 7},
                         {"logo.png", 8},
                         {"song.mp3", 10},
                         {"backup.zip", 11},
                         {"setup.exe", 12},
                         {"README", 15}});
    window->ListView(res::kRemoteList)
        .InsertItems(0, {{"pub", 0}, {"www", 14}, {"welcome.msg", 15}});
    window->Combo(res::kRemotePathCombo).AddString("/home/anonymous");
    window->Combo(res::kRemotePathCombo).SetCurSel(0);
    window->Edit(res::kLogEdit)
        .ReplaceSelection(
            "Connecting to ftp.example.org...\r\n220 Service ready\r\n>USER "
            "anonymous\r\n331 Password required\r\n>PASS ******\r\n230 Logged in\r\n");
    window->Progress(res::kProgressBar).SetRange(0, 100);
    window->Progress(res::kProgressBar).SetPos(40);
    window->Text(res::kByteCounter).SetText("1.234.567");
    window->Text(res::kStatusBar).SetText("notes.txt   2026/12/07 08:00   1.024 Bytes");
    window->ShowWindow();
    const std::string path = Screenshot(window->Frame(), "main_window.png");
    EXPECT_FALSE(path.empty());
}

TEST_F(MainWindowTest, TheProgramsWindowLogicRunsOnTheRealWindow) {
    const std::string settings =
        (wxFileName::GetTempDir() + "/quorrel_gui_test_settings.ini").ToStdString();
    std::remove(settings.c_str());
    settings::SettingsStore store(settings);
    auto dialog = std::make_unique<ui::CMainDialog>(*window, store);
    window->SetHandler(dialog.get());
    dialog->Start();
    EXPECT_FALSE(window->IsDestroyed());
    window->ShowWindow();
    EXPECT_EQ(window->Tab(res::kHostTab).GetItemCount(), 7);
    EXPECT_EQ(window->Tab(res::kHostTab).GetItemText(6), "Host Lists");
    EXPECT_EQ(window->Button(res::kConnectButton).GetIcon(), res::kIconConnect);
    EXPECT_FALSE(Screenshot(window->Frame(), "main_window_program.png").empty());

    // The close request runs the program's close procedure, which writes the settings and
    // ends the window.
    window->Frame()->Close();
    EXPECT_TRUE(wxwin::PumpUntil([this] { return window->IsDestroyed(); }));
    std::ifstream written(settings);
    EXPECT_TRUE(written.good());
    window->SetHandler(nullptr);
    wxwin::PumpPending();
    dialog.reset();
    std::remove(settings.c_str());
}

TEST_F(MainWindowTest, ScreenshotOfTheHostListTab) {
    testsupport::TempDir home;
    home.Write("DEVurorure.ini",
               "[data]\r\ntabX=6\r\nSname=ftp.example.org;files.example.net;;mirror.example.com;"
               "\r\nUname=anonymous;user;;guest;\r\n");
    settings::SettingsStore store(home / "DEVurorure.ini");
    auto dialog = std::make_unique<ui::CMainDialog>(*window, store);
    window->SetHandler(dialog.get());
    dialog->Start();
    window->ShowWindow();
    EXPECT_EQ(window->Tab(res::kHostTab).GetCurSel(), 6);
    EXPECT_TRUE(window->ListView(res::kHostList).IsVisible());
    EXPECT_FALSE(window->Text(res::kServerNameEdit).IsVisible());
    EXPECT_EQ(window->ListView(res::kHostList).GetItemCount(), 3);
    EXPECT_FALSE(Screenshot(window->Frame(), "main_window_host_list.png").empty());
    window->SetHandler(nullptr);
    dialog.reset();
}

} // namespace
} // namespace guitest
