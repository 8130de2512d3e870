// The host tabs and the host list: slots behind rows, tab changes, menus and their commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/script_mode.h"
#include "res/string_table.h"
#include "support/headless_app.h"
#include "support/pyftpd_server.h"
#include "support/temp_dir.h"

namespace {

using testsupport::HeadlessApp;

std::vector<std::string> HostRows(HeadlessApp& app) {
    std::vector<std::string> rows;
    for (const auto& row : app.Win().Get(res::kHostList).Rows()) {
        rows.push_back(row.text);
    }
    return rows;
}

int CurrentTab(HeadlessApp& app) {
    return app.Win().Tab(res::kHostTab).GetCurSel();
}

std::string Thirty(const std::vector<std::pair<int, std::string>>& items) {
    std::vector<std::string> slots(30);
    for (const auto& [slot, text] : items) {
        slots[static_cast<std::size_t>(slot)] = text;
    }
    std::string value;
    for (const auto& s : slots) {
        value += s + ";";
    }
    return value;
}

TEST(HostBook, RowsMapToTheSlotsInUse) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\n");
    app.Open();

    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(app.dialog->HostSlotFromRow(0), 0);
    EXPECT_EQ(app.dialog->HostSlotFromRow(1), 2);
    EXPECT_EQ(app.dialog->HostSlotFromRow(2), ui::kNoSlot);
    EXPECT_EQ(app.dialog->HostSlotFromRow(-1), ui::kNoSlot);
    for (const auto& row : app.Win().Get(res::kHostList).Rows()) {
        EXPECT_EQ(row.image, 0);
    }

    // The list takes the place of the host fields, and leaving it brings them back.
    EXPECT_TRUE(app.Win().Get(res::kHostList).IsVisible());
    for (int id : {1000, 1001, 1002, 1036, 1037, 1038, 1039}) {
        EXPECT_FALSE(app.Win().Get(id).IsVisible()) << id;
    }
    app.Win().SelectTab(2);
    EXPECT_FALSE(app.Win().Get(res::kHostList).IsVisible());
    for (int id : {1000, 1001, 1002, 1036, 1037, 1038, 1039}) {
        EXPECT_TRUE(app.Win().Get(id).IsVisible()) << id;
    }
    EXPECT_EQ(app.Win().Text(res::kServerNameEdit).GetText(), "c");

    std::vector<std::string> tabs;
    for (const auto& row : app.Win().Get(res::kHostTab).Rows()) {
        tabs.push_back(row.text);
    }
    EXPECT_EQ(tabs, (std::vector<std::string>{"Host 1", "Host 2", "Host 3", "Host 4", "Host 5",
                                              "Host 6", "Host Lists"}));
}

TEST(HostBook, DeleteFreesTheSlotAndKeepsItsTimeZone) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\nUname=u;;v;\r\nlc=/l;;;\r\nsc=/s;;;\r\n"
                      "Htime=eaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n");
    app.Open();
    ASSERT_TRUE(app.Win().Select(res::kHostList, {"a"}));

    // No keeps the host.
    app.Win().QueueMenuChoice(res::kCmdHostDelete);
    app.Win().QueueAnswer(win::kAnswerNo);
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverName, "a");

    app.Win().QueueMenuChoice(res::kCmdHostDelete);
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().RightClick(res::kHostList);
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes.back().text, "Do you wish to delete a");
    EXPECT_EQ(boxes.back().buttons, win::Buttons::YesNo);
    EXPECT_EQ(boxes.back().icon, win::Icon::Question);

    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"c"}));
    const ui::HostRecord& freed = app.dialog->View().m_hosts[0];
    EXPECT_FALSE(freed.InUse());
    EXPECT_EQ(freed.userName, "");
    EXPECT_EQ(freed.localFolder, "");
    EXPECT_EQ(freed.serverFolder, "");
    EXPECT_EQ(freed.TimeZoneIndex, 4);
    EXPECT_EQ(app.dialog->View().m_hosts[2].serverName, "c");
    EXPECT_EQ(app.dialog->HostSlotFromRow(0), 2);
}

TEST(HostBook, LeavingTheHostListWithNoRowSelectedStoresNothing) {
    testsupport::TempDir folders;
    folders.Write("one/f", "");
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\nlc=" + folders / "one" + ";;;\r\n");
    app.Open();
    app.dialog->Arrange().m_localFolder = folders.Path();

    app.Win().SelectTab(0);
    EXPECT_EQ(CurrentTab(app), 0);
    EXPECT_EQ(app.dialog->View().m_hosts[0].localFolder, folders / "one");
    EXPECT_EQ(app.dialog->View().m_hosts[2].localFolder, "");
    EXPECT_EQ(app.dialog->View().m_localFolder, folders / "one");
}

TEST(HostBook, TabChangeIsRefusedWhileBusyOrWhenTheUserKeepsTheConnection) {
    HeadlessApp app;
    app.WriteSettings("Sname=a;b;c;\r\n");
    app.Open();

    app.dialog->Arrange().m_busy = true;
    app.Win().SelectTab(1);
    app.dialog->Arrange().m_busy = false;
    EXPECT_EQ(CurrentTab(app), 0);
    ASSERT_EQ(app.Win().Boxes().size(), 1u);
    EXPECT_EQ(app.Win().Boxes()[0].text, res::LoadString(110));
    EXPECT_EQ(app.Win().Boxes()[0].text,
              "You can not change the host while communicating with the FTP server.");
    EXPECT_EQ(app.Win().Boxes()[0].buttons, win::Buttons::Ok);
    EXPECT_EQ(app.Win().Boxes()[0].icon, win::Icon::Warning);

    app.dialog->Arrange().m_connected = true;
    app.Win().QueueAnswer(win::kAnswerNo);
    app.Win().SelectTab(2);
    EXPECT_EQ(CurrentTab(app), 0);
    EXPECT_TRUE(app.dialog->View().m_connected);
    ASSERT_EQ(app.Win().Boxes().size(), 2u);
    EXPECT_EQ(app.Win().Boxes()[1].text, "Do you wish to disconnect and connect to a new host?");
    EXPECT_EQ(app.Win().Boxes()[1].buttons, win::Buttons::YesNo);
    EXPECT_EQ(app.Win().Boxes()[1].icon, win::Icon::Question);
    EXPECT_EQ(app.Win().Text(res::kServerNameEdit).GetText(), "a");
    app.dialog->Arrange().m_connected = false;
}

TEST(HostBook, YesToDisconnectLogsOutOnTheWindowThreadAndChangesTheTab) {
    HeadlessApp app;
    app.WriteSettings("Sname=a;b;c;\r\n");
    app.Open();
    app.Win().Type(res::kUserNameEdit, "typed");

    // No control connection exists, so the logout finds the connection lost and cleans up.
    app.dialog->Arrange().m_connected = true;
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().SelectTab(1);
    EXPECT_FALSE(app.dialog->View().m_busy);
    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_EQ(CurrentTab(app), 1);
    EXPECT_EQ(app.Win().Text(res::kServerNameEdit).GetText(), "b");
    // What was typed on the tab left behind is kept in its slot.
    EXPECT_EQ(app.dialog->View().m_hosts[0].userName, "typed");
}

TEST(HostBook, MenusAndTheirGrayingFollowSelectionAndConnection) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\n");
    app.Open();
    auto lastMenu = [&] { return app.Win().Menus().back(); };

    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(lastMenu().menuId, res::kMenuHostCreate);
    EXPECT_TRUE(lastMenu().disabled.empty());

    app.Win().Select(res::kHostList, {"c"});
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(lastMenu().menuId, res::kMenuHostConnect);
    EXPECT_TRUE(lastMenu().disabled.empty());

    app.dialog->Arrange().m_connected = true;
    app.dialog->Arrange().m_hostList.m_connectedRow = 0;
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(lastMenu().menuId, res::kMenuHostDisconnect);
    EXPECT_EQ(lastMenu().disabled, (std::set<int>{183, 185, 189}));

    app.Win().Select(res::kHostList, {"a"});
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(lastMenu().menuId, res::kMenuHostDisconnect);
    EXPECT_EQ(lastMenu().disabled, (std::set<int>{185, 189}));

    // Empty space: only "&Create New Host", connected or not.
    app.Win().Select(res::kHostList, {});
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(lastMenu().menuId, res::kMenuHostCreate);
    EXPECT_TRUE(lastMenu().disabled.empty());

    // Activating a row other than the connection's own does nothing.
    app.Win().Activate(res::kHostList, "c");
    EXPECT_EQ(app.dialog->View().m_hostList.m_connectedRow, 0);
    EXPECT_FALSE(app.dialog->View().m_busy);
    EXPECT_TRUE(app.dialog->View().m_connected);
    app.dialog->Arrange().m_connected = false;
}

TEST(HostBook, ACommandOutsideTheMenuShownIsIgnored) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\n");
    app.Open();
    app.Win().Select(res::kHostList, {"a"});
    app.Win().Select(res::kHostList, {});
    // Menu 186 holds no "&Delete": the row at the selection mark must survive.
    app.Win().QueueMenuChoice(res::kCmdHostDelete);
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a", "c"}));
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST(HostBook, ThirtyHostsRefuseAThirtyFirst) {
    std::vector<std::pair<int, std::string>> names;
    for (int i = 0; i < 30; ++i) {
        names.emplace_back(i, "h" + std::to_string(i));
    }
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=" + Thirty(names) + "\r\n");
    app.Open();
    ASSERT_EQ(app.Win().Get(res::kHostList).GetItemCount(), 30);
    bool dialogRan = false;
    app.Win().QueueDialogDriver([&](headless::HeadlessDialog& d) {
        dialogRan = true;
        d.Click(2);
    });

    app.Win().QueueMenuChoice(res::kCmdCreateHost);
    app.Win().RightClick(res::kHostList);
    EXPECT_FALSE(dialogRan);
    ASSERT_EQ(app.Win().Boxes().size(), 1u);
    EXPECT_EQ(app.Win().Boxes()[0].text, "Cannot add a host any more.");
    EXPECT_EQ(app.Win().Boxes()[0].buttons, win::Buttons::Ok);
    EXPECT_EQ(app.Win().Boxes()[0].icon, win::Icon::Warning);
    EXPECT_EQ(app.Win().Get(res::kHostList).GetItemCount(), 30);
}

TEST(HostBook, FoldersFollowTheSelectedHostRow) {
    testsupport::TempDir folders;
    folders.Write("a/f", "");
    folders.Write("b/f", "");
    folders.Write("c/f", "");
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\nlc=" + folders / "a" + ";;" + folders / "c" +
                      ";\r\nsc=/ra;;/rc;\r\n");
    app.Open();
    EXPECT_EQ(app.dialog->View().m_localFolder, "");
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "");

    app.Win().Select(res::kHostList, {"a"});
    EXPECT_EQ(app.dialog->View().m_localFolder, folders / "a");
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/ra");

    // The user moves on to another local folder; leaving the row keeps it with the host.
    app.dialog->Arrange().m_localFolder = folders / "b";
    app.Win().Select(res::kHostList, {"c"});
    EXPECT_EQ(app.dialog->View().m_hosts[0].localFolder, folders / "b");
    EXPECT_EQ(app.dialog->View().m_localFolder, folders / "c");
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/rc");

    // A tab change from the list stores the local folder of the row at the selection mark.
    app.dialog->Arrange().m_localFolder = folders / "a";
    app.Win().SelectTab(0);
    EXPECT_EQ(app.dialog->View().m_hosts[2].localFolder, folders / "a");
}

TEST(HostBook, ARunningJobKeepsItsRemoteFolderWhenAnotherRowIsSelected) {
    testsupport::TempDir folders;
    folders.Write("a/f", "");
    folders.Write("c/f", "");
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\nlc=" + folders / "a" + ";;" + folders / "c" +
                      ";\r\nsc=/ra;;/rc;\r\n");
    app.Open();
    app.Win().Select(res::kHostList, {"a"});
    app.dialog->Arrange().m_busy = true;
    app.Win().Select(res::kHostList, {"c"});
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/ra") << "the job's folder stays";
    EXPECT_EQ(app.dialog->View().m_localFolder, folders / "c") << "the local side follows the row";
    app.dialog->Arrange().m_busy = false;
}

TEST(HostBook, ConnectAndDisconnectFromTheHostListAgainstAServer) {
    // Earlier tests may leave the process in a removed local folder, where python cannot start.
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    testsupport::PyFtpdServer server;
    ASSERT_TRUE(server.Start()) << "pyftpdlib did not start";
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=other;" + server.Address() + ";\r\nUname=;" +
                      testsupport::PyFtpdServer::kUser + ";\r\npin=;" +
                      settings::ReverseCharacters(testsupport::PyFtpdServer::kPassword) + ";\r\n");
    app.Open();
    const std::string address = server.Address();

    app.Win().Activate(res::kHostList, address);
    app.WaitIdle();
    ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    EXPECT_EQ(app.dialog->View().m_hostList.m_connectedRow, 1);

    // Another row's double click leaves the connection alone; its own row's ends it.
    app.Win().Activate(res::kHostList, "other");
    app.WaitIdle();
    EXPECT_TRUE(app.dialog->View().m_connected);
    EXPECT_EQ(app.dialog->View().m_hostList.m_connectedRow, 1);
    app.Win().Activate(res::kHostList, address);
    app.WaitIdle();
    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_NE(app.Log().find(">QUIT\r\n221"), std::string::npos) << app.Log();

    // "&Connect" from the menu, then a tab change: No keeps it, Yes logs out at once.
    app.dialog->Arrange().m_hostList.m_connectedRow = 0;
    app.Win().QueueMenuChoice(res::kCmdHostConnect);
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(app.Win().Menus().back().menuId, res::kMenuHostConnect);
    app.WaitIdle();
    ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    EXPECT_EQ(app.dialog->View().m_hostList.m_connectedRow, 1);

    app.Win().QueueAnswer(win::kAnswerNo);
    app.Win().SelectTab(0);
    EXPECT_EQ(CurrentTab(app), 6);
    EXPECT_TRUE(app.dialog->View().m_connected);

    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().SelectTab(0);
    EXPECT_FALSE(app.dialog->View().m_busy);
    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_EQ(CurrentTab(app), 0);
    EXPECT_EQ(app.Win().Button(res::kConnectButton).GetIcon(), res::kIconConnect);
    const std::string log = app.Log();
    EXPECT_NE(log.find(">QUIT\r\n221"), std::string::npos) << log;
}

TEST(HostBook, HostsSurviveACloseAndANewStart) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\n"
                      "Sname=" +
                      Thirty({{0, "first"}, {2, "third"}, {29, "last"}}) +
                      "\r\n"
                      "Uname=" +
                      Thirty({{0, "u0"}, {2, "u2"}, {29, "u29"}}) +
                      "\r\n"
                      "pin=" +
                      Thirty({{0, "0p"}, {29, "92p"}}) +
                      "\r\n"
                      "lc=" +
                      Thirty({{2, "/l2"}, {5, "/freed"}}) +
                      "\r\n"
                      "sc=" +
                      Thirty({{0, "/s0"}, {29, "/s29"}}) +
                      "\r\n"
                      "Htime=bacaaaaaaaaaaaaaaaaaaaaaaaaaa{\r\n");
    app.Open();
    const ui::HostSlots before = app.dialog->View().m_hosts;
    EXPECT_EQ(before[0].password, "p0");
    EXPECT_EQ(before[29].TimeZoneIndex, 26);

    app.Restart();
    EXPECT_EQ(CurrentTab(app), 6);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"first", "third", "last"}));
    EXPECT_EQ(app.dialog->HostSlotFromRow(2), 29);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const ui::HostRecord& a = before[i];
        const ui::HostRecord& b = app.dialog->View().m_hosts[i];
        EXPECT_EQ(a.serverName, b.serverName) << i;
        EXPECT_EQ(a.userName, b.userName) << i;
        EXPECT_EQ(a.password, b.password) << i;
        EXPECT_EQ(a.localFolder, b.localFolder) << i;
        EXPECT_EQ(a.serverFolder, b.serverFolder) << i;
        EXPECT_EQ(a.TimeZoneIndex, b.TimeZoneIndex) << i;
    }
    EXPECT_EQ(app.Setting("Htime"), "bacaaaaaaaaaaaaaaaaaaaaaaaaaa{");
}

TEST(HostBook, ScriptSessionOnTheHostList) {
    testsupport::TempDir dir;
    dir.Write("DEVurorure.ini", "[data]\r\nSname=alpha;;gamma;\r\n");
    std::istringstream script("tab 6\n"
                              "show 1035\n"
                              "menu 1035 187\n"
                              "click 1\n"
                              "type 1000 beta\n"
                              "type 1001 bob\n"
                              "select 1006 \"GMT+13:00\"\n"
                              "click 1\n"
                              "show 1035\n"
                              "select 1035 beta\n"
                              "menu 1035 185\n"
                              "show 1000\n"
                              "show 1009\n"
                              "click 2\n"
                              "select 1035 alpha\n"
                              "answer no yes\n"
                              "menu 1035 189\n"
                              "menu 1035 189\n"
                              "show 1035\n"
                              "select 1035\n"
                              "menu 1035 185\n"
                              "show 1035\n"
                              "close\n");
    std::ostringstream out;
    std::ostringstream err;
    int rc = RunScript(script, out, err, dir / "DEVurorure.ini", false);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "show 1035:\n"
                         "[ ] 0 alpha\n"
                         "[ ] 0 gamma\n"
                         "box warning ok: Type a server name. -> ok\n"
                         "show 1035:\n"
                         "[ ] 0 alpha\n"
                         "[ ] 0 beta\n"
                         "[ ] 0 gamma\n"
                         "show 1000:\n"
                         "beta\n"
                         "show 1009:\n"
                         "\n"
                         "box question yesno: Do you wish to delete alpha -> no\n"
                         "box question yesno: Do you wish to delete alpha -> yes\n"
                         "show 1035:\n"
                         "[ ] 0 beta\n"
                         "[ ] 0 gamma\n"
                         "show 1035:\n"
                         "[ ] 0 beta\n"
                         "[ ] 0 gamma\n");
    settings::SettingsStore store(dir / "DEVurorure.ini");
    EXPECT_EQ(store.ReadString("Sname", "", 4096), Thirty({{1, "beta"}, {2, "gamma"}}));
    EXPECT_EQ(store.ReadString("Uname", "", 4096), Thirty({{1, "bob"}}));
    EXPECT_EQ(store.ReadString("Htime", "", 256), "a{aaaaaaaaaaaaaaaaaaaaaaaaaaaa");
    EXPECT_EQ(store.ReadString("tabX", "", 256), "6");
}

} // namespace
