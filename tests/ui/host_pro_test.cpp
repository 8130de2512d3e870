// The host property dialog: editing a host, creating one, and the time-zone list.
#include <gtest/gtest.h>

#include "support/headless_app.h"
#include "ui/host_pro.h"

namespace {

using headless::HeadlessDialog;
using testsupport::HeadlessApp;

std::string ZoneShown(HeadlessDialog& d) {
    win::IComboBox& zones = d.Combo(res::kHostProTimeZone);
    return zones.GetCurSel() < 0 ? "<none>" : zones.GetString(zones.GetCurSel());
}

std::vector<std::string> HostRows(HeadlessApp& app) {
    std::vector<std::string> rows;
    for (const auto& row : app.Win().Get(res::kHostList).Rows()) {
        rows.push_back(row.text);
    }
    return rows;
}

// Opens "&Property" for the named row; the queued dialog driver works the dialog.
void EditHost(HeadlessApp& app, const std::string& row) {
    ASSERT_TRUE(app.Win().Select(res::kHostList, {row}));
    app.Win().QueueMenuChoice(res::kCmdHostProperty);
    app.Win().RightClick(res::kHostList);
}

void CreateHost(HeadlessApp& app) {
    app.Win().Select(res::kHostList, {});
    app.Win().QueueMenuChoice(res::kCmdCreateHost);
    app.Win().RightClick(res::kHostList);
}

TEST(HostPro, EditShowsTheHostAndOkStoresTheShownTimeZone) {
    HeadlessApp app;
    app.WriteSettings("x=100\r\ny=50\r\ntabX=6\r\nSname=a;b;\r\nUname=;ub;\r\npin=;bp;\r\n"
                      "sc=;/home/b;\r\n");
    app.Open();
    const win::Rect client = app.Win().GetClientRectOnScreen();
    ASSERT_EQ(app.Win().GetWindowRect().left, 100);
    bool checked = false;
    app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
        checked = true;
        EXPECT_EQ(d.TemplateId(), res::kHostProTemplate);
        EXPECT_EQ(d.GetCaption(), "Host Propetry");
        EXPECT_EQ(d.GetWindowRect().left, client.left);
        EXPECT_EQ(d.GetWindowRect().top, client.top);
        EXPECT_EQ(d.Text(1000).GetText(), "b");
        EXPECT_EQ(d.Text(1001).GetText(), "ub");
        EXPECT_EQ(d.Text(1002).GetText(), "pb");
        EXPECT_EQ(d.Text(1009).GetText(), "/home/b");
        EXPECT_TRUE(d.Text(1009).IsEnabled());
        win::IComboBox& zones = d.Combo(res::kHostProTimeZone);
        ASSERT_EQ(zones.GetCount(), 26);
        EXPECT_EQ(zones.GetString(0), "GMT-12:00");
        EXPECT_EQ(zones.GetString(12), "GMT 00:00 London");
        EXPECT_EQ(zones.GetString(21), "GMT+09:00 Tokyo");
        EXPECT_EQ(zones.GetString(25), "GMT+13:00");
        EXPECT_EQ(ZoneShown(d), "GMT-05:00 Eastern Time");
        d.Click(1);
        EXPECT_TRUE(d.Ended());
    });
    EditHost(app, "b");
    EXPECT_TRUE(checked);
    EXPECT_EQ(app.dialog->View().m_hosts[1].TimeZoneIndex, 8);
    EXPECT_EQ(app.dialog->View().m_hosts[1].serverFolder, "/home/b");
}

TEST(HostPro, TimeZoneValuesMapToEntriesAndBack) {
    HeadlessApp app;
    // Slot 0 holds 26 (the last entry), slot 1 a value no entry stands for.
    app.WriteSettings("tabX=6\r\nSname=a;b;\r\nHtime={|aaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n");
    app.Open();
    app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
        EXPECT_EQ(ZoneShown(d), "GMT+13:00");
        d.Click(2);
    });
    EditHost(app, "a");
    app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
        EXPECT_EQ(ZoneShown(d), "<none>");
        d.Click(1);
    });
    EditHost(app, "b");
    EXPECT_EQ(app.dialog->View().m_hosts[1].TimeZoneIndex, 0);
}

TEST(HostPro, ZoneGmtPlus13IsSavedAsBraceAndReadBack) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;\r\n");
    app.Open();
    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        ASSERT_TRUE(d.Select(res::kHostProTimeZone, {"GMT+13:00"}));
        d.Click(1);
    });
    EditHost(app, "a");
    EXPECT_EQ(app.dialog->View().m_hosts[0].TimeZoneIndex, 26);

    app.Restart();
    EXPECT_EQ(app.Setting("Htime"), "{aaaaaaaaaaaaaaaaaaaaaaaaaaaaa");
    EXPECT_EQ(app.dialog->View().m_hosts[0].TimeZoneIndex, 26);
    std::string shown;
    app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
        shown = ZoneShown(d);
        d.Click(2);
    });
    EditHost(app, "a");
    EXPECT_EQ(shown, "GMT+13:00");
}

TEST(HostPro, CreateFillsTheLowestFreeSlotAtItsRow) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;b;;d;\r\nHtime=aaeaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n");
    app.Open();
    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        EXPECT_EQ(d.GetCaption(), "Create New Host");
        EXPECT_FALSE(d.Text(1009).IsEnabled());
        EXPECT_EQ(d.Text(1000).GetText(), "");
        EXPECT_EQ(d.Text(1001).GetText(), "");
        EXPECT_EQ(d.Text(1002).GetText(), "");
        // A freed slot's old time zone is not offered: new hosts start at the default entry.
        EXPECT_EQ(ZoneShown(d), "GMT-05:00 Eastern Time");
        d.Type(1000, "new");
        d.Type(1001, "user");
        d.Type(1002, "secret");
        d.Click(1);
    });
    CreateHost(app);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a", "b", "new", "d"}));
    EXPECT_EQ(app.Win().Get(res::kHostList).Rows()[2].image, 0);
    const ui::HostRecord& h = app.dialog->View().m_hosts[2];
    EXPECT_EQ(h.serverName, "new");
    EXPECT_EQ(h.userName, "user");
    EXPECT_EQ(h.password, "secret");
    EXPECT_EQ(h.serverFolder, "");
    EXPECT_EQ(h.TimeZoneIndex, 8);
    EXPECT_EQ(app.dialog->HostSlotFromRow(3), 3);
}

TEST(HostPro, CreateAfterDeletingRowZeroReusesSlotZeroAndKeepsItsLocalFolder) {
    HeadlessApp app;
    // Slot 1 was freed by clearing its name on a tab: its local folder is still there.
    app.WriteSettings("tabX=6\r\nSname=a;;c;\r\nlc=/la;/kept;;\r\n");
    app.Open();
    app.Win().Select(res::kHostList, {"a"});
    app.Win().QueueMenuChoice(res::kCmdHostDelete);
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().RightClick(res::kHostList);
    ASSERT_EQ(HostRows(app), (std::vector<std::string>{"c"}));

    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        d.Type(1000, "z");
        d.Click(1);
    });
    CreateHost(app);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"z", "c"}));
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverName, "z");
    EXPECT_EQ(app.dialog->View().m_hosts[0].localFolder, "");

    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        d.Type(1000, "y");
        d.Click(1);
    });
    CreateHost(app);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"z", "y", "c"}));
    EXPECT_EQ(app.dialog->View().m_hosts[1].serverName, "y");
    EXPECT_EQ(app.dialog->View().m_hosts[1].localFolder, "/kept");
}

TEST(HostPro, EmptyServerNameKeepsTheDialogOpenAndChangesNothing) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;\r\nUname=u;\r\nHtime=caaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n");
    app.Open();
    bool stayedOpen = false;
    app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
        d.Type(1000, "");
        d.Type(1001, "other");
        d.Select(res::kHostProTimeZone, {"GMT+01:00"});
        d.Click(1);
        stayedOpen = !d.Ended();
        EXPECT_EQ(d.Text(1001).GetText(), "other"); // the fields stay as typed
        d.Click(2);
    });
    EditHost(app, "a");
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(app.Win().Boxes().size(), 1u);
    EXPECT_EQ(app.Win().Boxes()[0].text, "Type a server name.");
    EXPECT_EQ(app.Win().Boxes()[0].buttons, win::Buttons::Ok);
    EXPECT_EQ(app.Win().Boxes()[0].icon, win::Icon::Warning);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a"}));
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverName, "a");
    EXPECT_EQ(app.dialog->View().m_hosts[0].userName, "u");
    EXPECT_EQ(app.dialog->View().m_hosts[0].TimeZoneIndex, 2);

    // The same holds when creating: nothing is inserted.
    app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
        d.Click(1);
        EXPECT_FALSE(d.Ended());
    });
    CreateHost(app);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a"}));
    EXPECT_FALSE(app.dialog->View().m_hosts[1].InUse());
}

TEST(HostPro, CancelChangesNothing) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;\r\nsc=/s;\r\n");
    app.Open();
    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        d.Type(1000, "renamed");
        d.Type(1009, "/elsewhere");
        d.Select(res::kHostProTimeZone, {"GMT+01:00"});
        d.Click(2);
    });
    EditHost(app, "a");
    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        d.Type(1000, "fresh");
        d.Click(2);
    });
    CreateHost(app);
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a"}));
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverName, "a");
    EXPECT_EQ(app.dialog->View().m_hosts[0].serverFolder, "/s");
    EXPECT_EQ(app.dialog->View().m_hosts[0].TimeZoneIndex, 0);
    EXPECT_FALSE(app.dialog->View().m_hosts[1].InUse());
}

TEST(HostPro, EditRenamesTheRowAndSetsTheServerFolder) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=a;b;\r\nlc=;/lb;\r\n");
    app.Open();
    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        d.Type(1000, "bee");
        d.Type(1009, "/pub");
        d.Click(1);
    });
    EditHost(app, "b");
    EXPECT_EQ(HostRows(app), (std::vector<std::string>{"a", "bee"}));
    EXPECT_EQ(app.dialog->View().m_hosts[1].serverName, "bee");
    EXPECT_EQ(app.dialog->View().m_hosts[1].serverFolder, "/pub");
    EXPECT_EQ(app.dialog->View().m_hosts[1].localFolder, "/lb");
}

TEST(HostPro, CreatingAboveTheConnectedRowKeepsTheConnectionOnItsHost) {
    HeadlessApp app;
    app.WriteSettings("tabX=6\r\nSname=;b;c;\r\n");
    app.Open();
    // Connected through row 1 ("c", slot 2).
    app.dialog->Arrange().m_connected = true;
    app.dialog->Arrange().m_hostList.m_connectedRow = 1;
    app.Win().QueueDialogDriver([](HeadlessDialog& d) {
        d.Type(1000, "a");
        d.Click(1);
    });
    CreateHost(app);
    ASSERT_EQ(HostRows(app), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(app.dialog->View().m_hostList.m_connectedRow, 2);

    // "&Disconnect" is offered on "c" only.
    app.Win().Select(res::kHostList, {"c"});
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(app.Win().Menus().back().disabled, (std::set<int>{185, 189}));
    app.Win().Select(res::kHostList, {"b"});
    app.Win().RightClick(res::kHostList);
    EXPECT_EQ(app.Win().Menus().back().disabled, (std::set<int>{183, 185, 189}));
    app.dialog->Arrange().m_connected = false;
}

} // namespace
