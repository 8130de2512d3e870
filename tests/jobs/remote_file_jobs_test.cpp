// Deleting, renaming, creating folders and changing permissions on a real FTP server through
// the remote pane's menu and label edits; and a hostile listing that a recursive delete must
// not follow.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/script_mode.h"
#include "support/app_support.h"
#include "support/scripted_ftp_server.h"

using testsupport::HeadlessApp;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

class RemoteFileJobs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        auto& root = server.Root();
        root.Write("b.txt", "b");
        root.Write("keep.txt", "k");
        root.Write("tree/one.txt", "1");
        root.Write("tree/sub/deeper/two.txt", "2");
        root.Write("other/three.txt", "3");
        root.Write("withlink/f.txt", "f");
        testsupport::MakeServerLink("b.txt", root / "toB");
        testsupport::MakeServerLink("../b.txt", root / "withlink/ln");
        testsupport::SetServerMode(root / "keep.txt", 044);
        app.WriteSettings(testsupport::SettingsFile().SetServerHost(0, server).Body());
        app.Open();
        app.Win().Click(res::kConnectButton);
        app.WaitIdle();
        ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    }

    // Right-clicks the remote pane over `rows` and chooses `command`.
    void Menu(int command, const std::vector<std::string>& rows = {}) {
        ASSERT_TRUE(app.Win().Select(res::kRemoteList, rows));
        app.Win().QueueMenuChoice(command);
        app.Win().RightClick(res::kRemoteList);
    }
    void EndLabel(const std::string& text, bool escape = false) {
        app.Win().EndLabel(res::kRemoteList, text, escape);
        app.WaitIdle();
    }
    bool Exists(const std::string& name) {
        return testsupport::ServerEntryExists(server.Root() / name);
    }
    bool LogHas(const std::string& text) { return app.Log().find(text) != std::string::npos; }

    testsupport::PyFtpdServer server;
    HeadlessApp app;
};

TEST_F(RemoteFileJobs, DeleteAsksWithTheCountAndReportsTheFilesItRemoved) {
    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(res::kCmdRemoteDelete, {"b.txt"});
    app.WaitIdle();
    auto boxes = testsupport::ExpectBoxes(app, {"Do you wish to delete 1 selected file(s) ?"});
    testsupport::ExpectBox(boxes[0], boxes[0].text, win::Buttons::YesNo, win::Icon::Question);
    EXPECT_FALSE(Exists("b.txt"));
    EXPECT_TRUE(
        app.Log().ends_with(Text(res::kTextDeleteCompleted) + "1" + Text(res::kTextFilesDeleted)));

    // Folders count the files inside them; a link goes by its own name, its target stays.
    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(res::kCmdRemoteDelete, {"other", "tree", "toB -> b.txt"});
    app.WaitIdle();
    EXPECT_FALSE(Exists("tree") || Exists("other") || Exists("toB"));
    EXPECT_TRUE(Exists("keep.txt"));
    EXPECT_TRUE(LogHas(">DELE toB\r\n250"));
    EXPECT_TRUE(app.Log().ends_with("4" + Text(res::kTextFilesDeleted))) << "three files, a link";

    // A folder that still holds a link cannot go.
    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(res::kCmdRemoteDelete, {"withlink"});
    app.WaitIdle();
    EXPECT_TRUE(Exists("withlink/ln"));
    EXPECT_FALSE(Exists("withlink/f.txt"));
    EXPECT_TRUE(
        app.Log().ends_with(Text(res::kTextDeleteIncomplete) + "1" + Text(res::kTextFilesDeleted)));
}

TEST_F(RemoteFileJobs, RenameTakesTheEditedRowAndOnlyTheNameOfALink) {
    const std::size_t before = app.Log().size();
    Menu(res::kCmdRemoteRename, {"b.txt"});
    EndLabel("", true);
    EXPECT_EQ(app.Log().size(), before) << "Escape sends nothing";
    Menu(res::kCmdRemoteRename, {"b.txt"});
    EndLabel("b.txt");
    EXPECT_TRUE(LogHas(">RNFR b.txt\r\n350") && LogHas(">RNTO b.txt\r\n250"));

    // The selection moves while the label is edited: the edited row is renamed.
    Menu(res::kCmdRemoteRename, {"b.txt"});
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"keep.txt"}));
    EndLabel("c.txt");
    EXPECT_TRUE(Exists("c.txt") && Exists("keep.txt") && !Exists("b.txt"));

    // The menu grays it for a link, but the command itself must still not send the arrow.
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"toB -> b.txt"}));
    win::Message rename(win::MessageKind::Command, res::kCmdRemoteRename);
    app.dialog->Dispatch(rename);
    EndLabel("toC -> b.txt");
    EXPECT_TRUE(LogHas(">RNFR toB\r\n350") && LogHas(">RNTO toC\r\n250"));

    // A label edit begun in the pane itself starts nothing.
    const std::size_t after = app.Log().size();
    EndLabel("keep2.txt");
    EXPECT_EQ(app.Log().size(), after);
}

TEST_F(RemoteFileJobs, CreateFolderNamesItNewFolderOnEscapeAndDropsTheRowWhenRefused) {
    Menu(res::kCmdRemoteCreateFolder);
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList)[0], "0 NewFolder");
    EndLabel("", true);
    EXPECT_TRUE(LogHas(">MKD NewFolder\r\n257"));
    EXPECT_TRUE(fs::is_directory(server.Root() / "NewFolder"));
    const auto rows = testsupport::Rows(app, res::kRemoteList);

    Menu(res::kCmdRemoteCreateFolder);
    EndLabel("NewFolder");
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList), rows);
    testsupport::ExpectBoxes(app, {Text(res::kTextCannotCreateFolder)});
}

TEST_F(RemoteFileJobs, PermissionDialogShowsTheModeAndSendsOnlyAChangedOne) {
    auto chmod = [this](const std::string& typed) {
        app.Win().QueueDialogDriver([typed](headless::HeadlessDialog& d) {
            EXPECT_EQ(d.TemplateId(), res::kPermissionTemplate);
            EXPECT_EQ(d.Get(res::kPermModeEdit).GetText(), "44"); // ----r--r--
            if (!typed.empty()) {
                d.Type(res::kPermModeEdit, typed);
            }
            d.Click(res::kIdOk);
        });
        Menu(res::kCmdPermission, {"keep.txt"});
        app.WaitIdle();
    };
    const std::size_t before = app.Log().size();
    chmod("");
    EXPECT_EQ(app.Log().size(), before) << "OK on the unchanged mode sends nothing";
    chmod("abcdef"); // the edit takes three characters, digits or not
    EXPECT_TRUE(LogHas(">SITE CHMOD abc keep.txt\r\n5"));
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextCannotChangePermission)));
    chmod("640");
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextPermissionChanged)));
    EXPECT_EQ(testsupport::ServerMode(server.Root() / "keep.txt"), 0640u);

    // A row the listing does not hold opens no dialog.
    app.Win().ListView(res::kRemoteList).InsertItem(0, "ghost", res::kImageText);
    bool opened = false;
    app.Win().QueueDialogDriver([&opened](headless::HeadlessDialog&) { opened = true; });
    Menu(res::kCmdPermission, {"ghost"});
    EXPECT_FALSE(opened);
}

TEST_F(RemoteFileJobs, ScriptDrivesEveryCommandAndThePermissionDialog) {
    testsupport::TempDir dir;
    dir.Write("DEVurorure.ini",
              "[data]\r\n" + testsupport::SettingsFile().SetServerHost(0, server).Body());
    std::istringstream script(
        "click 1012\nwait\n"
        "select 1003 b.txt\nanswer yes\nmenu 1003 32781\nwait\n"
        "menu 1003 32786\nlabel 1003 --escape\nwait\n"
        "select 1003 other\nmenu 1003 32782\nlabel 1003 renamed\nwait\n"
        "select 1003 keep.txt\nmenu 1003 32783\ntype 1000 600\nclick 1\nwait\n"
        "close\n");
    std::ostringstream out, err;
    EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0) << err.str();
    EXPECT_FALSE(Exists("b.txt") || Exists("other"));
    EXPECT_TRUE(fs::is_directory(server.Root() / "NewFolder"));
    EXPECT_TRUE(Exists("renamed/three.txt"));
    EXPECT_EQ(testsupport::ServerMode(server.Root() / "keep.txt"), 0600u);
    EXPECT_NE(out.str().find(Text(res::kTextPermissionChanged)), std::string::npos) << out.str();
}

TEST(HostileListing, RowsGoLastToFirstAndNoNameLeavesTheDeletedFolder) {
    const std::string top = "drwxr-xr-x 2 u g 0 Jan 1 2020 d1\r\n"
                            "-rw-r--r-- 1 u g 1 Jan 1 2020 a.txt\r\n"
                            "-rw-r--r-- 1 u g 1 Jan 1 2020 z.txt\r\n";
    const std::string inside = "drwxr-xr-x 2 u g 0 Jan 1 2020 .\r\n"
                               "drwxr-xr-x 2 u g 0 Jan 1 2020 ..\r\n"
                               "-rw-r--r-- 1 u g 1 Jan 1 2020 a/b\r\n"
                               "drwxr-xr-x 2 u g 0 Jan 1 2020 x/../..\r\n"
                               "-rw-r--r-- 1 u g 1 Jan 1 2020 tab\there\r\n"
                               "-rw-r--r-- 1 u g 1 Jan 1 2020 ok.txt\r\n"
                               "-rw-r--r-- 1 u g 1 Jan 1 2020 .keep\r\n";
    auto list = [](testsupport::Script& s, const std::string& command, const std::string& data) {
        s.DataPreparation("A")
            .On(command)
            .Reply("150 Here it comes\r\n")
            .SendData(data)
            .Reply("226 Done\r\n");
    };
    testsupport::Script script;
    script.Login().On("PWD").Reply("257 \"/\" is current\r\n");
    list(script, "LIST", top);
    script.On("DELE z.txt").Reply("250 Gone\r\n").On("DELE a.txt").Reply("250 Gone\r\n");
    // Listed from inside with its dot names; "." and ".." are not deleted.
    script.On("CWD /d1").Reply("250 OK\r\n");
    list(script, "LIST -a", inside);
    script.On("CWD /").Reply("250 OK\r\n");
    // The folder's RMD is accepted, yet a name was left behind: the delete is incomplete.
    script.On("DELE /d1/ok.txt").Reply("250 Gone\r\n").On("DELE /d1/.keep").Reply("250 Gone\r\n");
    script.On("RMD /d1").Reply("250 Gone\r\n");
    list(script, "LIST", "");
    testsupport::ScriptedFtpServer server(script);

    HeadlessApp app;
    app.WriteSettings("Sname=127.0.0.1:" + std::to_string(server.Port()) +
                      ";\r\nUname=u;\r\npin=p;\r\n");
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"d1", "a.txt", "z.txt"}));
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().QueueMenuChoice(res::kCmdRemoteDelete);
    app.Win().RightClick(res::kRemoteList);
    app.WaitIdle();
    EXPECT_TRUE(
        app.Log().ends_with(Text(res::kTextDeleteIncomplete) + "4" + Text(res::kTextFilesDeleted)))
        << app.Log();
    server.Stop();
    EXPECT_EQ(server.Problems(), "");
}

} // namespace
