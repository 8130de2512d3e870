// Whole user actions against a real FTP server: connect, browse, refresh, climb, disconnect,
// and a server that goes away; and a Windows server's DOS-style listing in the pane.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system_error.h"
#include "support/app_support.h"
#include "support/pyftpd_server.h"
#include "support/scripted_ftp_server.h"

using testsupport::HeadlessApp;
using testsupport::PyFtpdServer;

namespace {

std::vector<std::string> ComboItems(HeadlessApp& app) {
    return testsupport::RowTexts(app, res::kRemotePathCombo);
}

std::string ComboSelection(HeadlessApp& app) {
    return testsupport::ComboSelection(app, res::kRemotePathCombo);
}

class ConnectionJobs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start()) << "pyftpdlib did not start";
        auto& root = server.Root();
        root.Write("b.txt", "b");
        root.Write("A.html", "<p>");
        root.Write("zeta/inner.txt", "z");
        root.Write("Alpha/deep/file.bin", "x");
        root.Write(".hidden", "h");
        testsupport::MakeServerLink("Alpha", root / "toalpha");
    }

    // Host 1 points at the server; `folder` is its saved server folder.
    void OpenWithHost(const std::string& folder = "") {
        app.WriteSettings(testsupport::SettingsFile().SetServerHost(0, server, "", folder).Body());
        app.Open();
    }

    void Connect() {
        app.Win().Click(res::kConnectButton);
        app.WaitIdle();
    }

    PyFtpdServer server;
    HeadlessApp app;
};

TEST_F(ConnectionJobs, ConnectListsTheFolderInDisplayOrderAndLogsTheDialogue) {
    OpenWithHost();
    Connect();
    ASSERT_TRUE(app.dialog->View().m_connected);
    // Folders first, then files by kind, names without regard to case; dot names hidden.
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList),
              (std::vector<std::string>{"0 Alpha", "0 zeta", "1 A.html", "6 b.txt",
                                        "14 toalpha -> Alpha"}));
    EXPECT_EQ(ComboItems(app), std::vector<std::string>{"/"});
    EXPECT_EQ(ComboSelection(app), "/");
    std::string log = app.Log();
    EXPECT_EQ(log.rfind("Connecting to " + server.Address() + "\r\n220", 0), 0u) << log;
    EXPECT_NE(log.find(">USER quorrel\r\n331"), std::string::npos) << log;
    EXPECT_NE(log.find(">PASS ******\r\n230"), std::string::npos) << log;
    EXPECT_NE(log.find(">PWD\r\n257 \"/\""), std::string::npos) << log;
    EXPECT_NE(log.find(">TYPE A\r\n200"), std::string::npos) << log;
    EXPECT_NE(log.find(">LIST\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(">CWD"), std::string::npos) << "no saved folder, no CWD";
    EXPECT_EQ(app.Win().Button(res::kConnectButton).GetIcon(), res::kIconDisconnect);
}

TEST_F(ConnectionJobs, SavedFolderIsEnteredAndGoesOnTopOfTheHistory) {
    OpenWithHost("/Alpha");
    Connect();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/Alpha");
    EXPECT_EQ(ComboItems(app), (std::vector<std::string>{"/Alpha", "/"}));
    EXPECT_EQ(ComboSelection(app), "/Alpha");
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList), std::vector<std::string>{"0 deep"});
}

TEST_F(ConnectionJobs, GoneSavedFolderLeavesThePwdFolder) {
    OpenWithHost("/gone");
    Connect();
    EXPECT_TRUE(app.dialog->View().m_connected);
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");
    EXPECT_NE(app.Log().find(">CWD /gone\r\n550"), std::string::npos) << app.Log();
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList).size(), 5u);
}

TEST_F(ConnectionJobs, SavedFolderEqualToThePwdReplySendsNoCwd) {
    OpenWithHost("/");
    Connect();
    EXPECT_TRUE(app.dialog->View().m_connected);
    EXPECT_EQ(app.Log().find(">CWD"), std::string::npos) << app.Log();
}

TEST_F(ConnectionJobs, ConnectButtonDoesNothingWhileBusy) {
    OpenWithHost();
    app.dialog->Arrange().m_busy = true;
    app.Win().Click(res::kConnectButton);
    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_FALSE(app.Win().TimerRunning(res::kConnectTimer));
    EXPECT_EQ(app.Log(), "");
    app.dialog->Arrange().m_busy = false;
}

TEST_F(ConnectionJobs, HostListsTabWithoutSelectionLogsNothingAndKeepsTheLog) {
    OpenWithHost();
    app.dialog->AppendLog("earlier text\r\n");
    app.Win().SelectTab(6);
    Connect();
    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_EQ(app.Log(), "earlier text\r\n");
}

TEST_F(ConnectionJobs, OpeningRowsEntersFoldersFollowsLinksAndIgnoresFiles) {
    testsupport::MakeServerLink("zeta", server.Root() / "my link");
    OpenWithHost();
    Connect();
    auto& win = app.Win();
    std::size_t logBefore = app.Log().size();
    win.Activate(res::kRemoteList, "b.txt");
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");
    EXPECT_EQ(app.Log().size(), logBefore) << "a file row sends nothing";

    win.Activate(res::kRemoteList, "zeta");
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/zeta");
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList), std::vector<std::string>{"6 inner.txt"});

    win.Click(res::kRemoteUpButton);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");

    win.Activate(res::kRemoteList, "toalpha -> Alpha");
    app.WaitIdle();
    // A relative target is taken from the folder that holds the link: a whole path.
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/Alpha");
    EXPECT_NE(app.Log().find(">CWD /Alpha\r\n250"), std::string::npos);
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList), std::vector<std::string>{"0 deep"});

    // A name with spaces: the target is all that follows the arrow. The up button climbs
    // from where the link led.
    ASSERT_TRUE(win.ChooseCombo(res::kRemotePathCombo, "/"));
    app.WaitIdle();
    win.Activate(res::kRemoteList, "my link -> zeta");
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/zeta");
    EXPECT_NE(app.Log().find(">CWD /zeta\r\n250"), std::string::npos) << app.Log();
    win.Click(res::kRemoteUpButton);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");
}

TEST_F(ConnectionJobs, HistoryEntryMatchesFoldersWithoutRegardToCase) {
    OpenWithHost();
    Connect();
    app.dialog->RememberRemoteFolder("/Alpha");
    app.dialog->RememberRemoteFolder("/ALPHA");
    EXPECT_EQ(ComboItems(app), (std::vector<std::string>{"/Alpha", "/"}));
    EXPECT_EQ(ComboSelection(app), "/Alpha");
}

TEST_F(ConnectionJobs, ClimbingEndsAtTheRoot) {
    OpenWithHost("/Alpha/deep");
    Connect();
    ASSERT_EQ(app.dialog->View().m_remoteFolder, "/Alpha/deep");
    app.Win().Click(res::kRemoteUpButton);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/Alpha");
    app.Win().Click(res::kRemoteUpButton);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");
    std::size_t logBefore = app.Log().size();
    app.Win().Click(res::kRemoteUpButton);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");
    EXPECT_EQ(app.Log().size(), logBefore) << "up from the root sends nothing";
}

TEST_F(ConnectionJobs, ClimbingSkipsParentsThatCannotBeListed) {
    OpenWithHost("/Alpha/deep");
    Connect();
    // The parent disappears behind the program's back; the refresh climbs past it.
    std::filesystem::remove_all(server.Root() / "Alpha");
    app.Win().Click(res::kRemoteRefreshButton);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/");
    EXPECT_TRUE(app.dialog->View().m_connected);
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList).size(), 4u);
}

TEST_F(ConnectionJobs, DisconnectEmptiesThePanesAndStoresTheFolders) {
    OpenWithHost();
    Connect();
    app.Win().Activate(res::kRemoteList, "zeta");
    app.WaitIdle();
    app.dialog->Arrange().m_localFolder = server.Root().Path();
    Connect(); // the same button disconnects
    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_TRUE(app.Win().Get(res::kRemoteList).Rows().empty());
    EXPECT_TRUE(ComboItems(app).empty());
    EXPECT_EQ(app.Win().Button(res::kConnectButton).GetIcon(), res::kIconConnect);
    std::string log = app.Log();
    EXPECT_NE(log.find(">QUIT\r\n221"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 15), "Disconnected.\r\n");
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverFolder, "/zeta");
    EXPECT_EQ(app.dialog->View().m_hosts[0].localFolder, server.Root().Path());
}

TEST_F(ConnectionJobs, ServerGoneDuringRefreshDisconnectsAndAllowsANewConnect) {
    OpenWithHost();
    Connect();
    ASSERT_TRUE(app.dialog->View().m_connected);
    server.Stop();
    app.Win().Click(res::kRemoteRefreshButton);
    app.WaitIdle();
    EXPECT_FALSE(app.dialog->View().m_connected);
    std::string log = app.Log();
    EXPECT_EQ(log.substr(log.size() - 15), "Disconnected.\r\n") << log;
    EXPECT_TRUE(app.Win().Get(res::kRemoteList).Rows().empty());
    // The worker found the loss; the host's folders are saved on the window's thread.
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverFolder, "/");

    ASSERT_TRUE(server.Start());
    app.Win().Type(res::kServerNameEdit, server.Address());
    Connect();
    EXPECT_TRUE(app.dialog->View().m_connected);
}

TEST_F(ConnectionJobs, RefusedConnectionShowsTheSystemTextAndTheFailureLine) {
    OpenWithHost();
    std::string address = server.Address();
    server.Stop();
    app.Win().Type(res::kServerNameEdit, address);
    Connect();
    EXPECT_FALSE(app.dialog->View().m_connected);
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, platform::SystemErrorText(ECONNREFUSED));
    EXPECT_EQ(app.Log(), "Connecting to " + address + "\r\nCannot connect to the FTP server.\r\n");
}

TEST(DosListingPane, FoldersShowTheFolderImageAndFilesTheImageOfTheirExtension) {
    testsupport::ScriptedFtpServer server(
        testsupport::Script()
            .Login()
            .On("PWD")
            .Reply("257 \"/\" is current directory.\r\n")
            .DataPreparation("A")
            .On("LIST")
            .Reply("150 Opening ASCII mode data connection.\r\n")
            .SendData("11-20-14  12:36PM            161645801 Disc Intercity.tsv\r\n"
                      "08-10-15  02:04PM       <DIR>          Billing\r\n"
                      "07-04-15  12:30PM                  589 readme.htm\r\n"
                      "02-03-15  09:05AM <DIR> My Folder\r\n"
                      "06-15-15  08:00AM           5000000000 backup.zip\r\n"
                      "01-01-00  12:00AM                   10 notes.txt\r\n")
            .Reply("226 Transfer complete.\r\n"));
    HeadlessApp app;
    app.WriteSettings("Sname=127.0.0.1:" + std::to_string(server.Port()) +
                      ";\r\nUname=u;\r\npin=" + settings::ReverseCharacters("p") + ";\r\n");
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList),
              (std::vector<std::string>{"0 Billing", "0 My Folder", "1 readme.htm", "6 notes.txt",
                                        "11 backup.zip", "15 Disc Intercity.tsv"}));
    server.Stop();
    EXPECT_EQ(server.Problems(), "");
}

} // namespace
