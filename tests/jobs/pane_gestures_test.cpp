// The panes as people of today use them, against a real server: detail columns sorted by their
// headers, the keys of the file lists, typed paths, and a status line that follows its row.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "app/script_mode.h"
#include "platform/system_error.h"
#include "support/app_support.h"

using testsupport::HeadlessApp;
using testsupport::RowTexts;
namespace fs = std::filesystem;

namespace {

bool SetModified(const fs::path& path, std::int64_t seconds) {
#ifdef _WIN32
    std::error_code ec;
    fs::last_write_time(
        path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(seconds)),
        ec);
    return !ec;
#else
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
#endif
}

class PaneGestures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        auto& root = server.Root();
        root.Write("small.txt", "abc");
        root.Write("mid.dat", std::string(400, 'm'));
        root.Write("big.bin", std::string(5000, 'b'));
        root.Write("dir/inner.txt", "i");
        // Oldest to newest: big, small, mid.
        SetTime(root / "big.bin", 1577934245);   // 2020-01-02 03:04:05 UTC
        SetTime(root / "small.txt", 1609556645); // 2021-01-02
        SetTime(root / "mid.dat", 1641092645);   // 2022-01-02
        local.Write("a.txt", "12345");
        local.Write("zz.bin", std::string(70000, 'z'));
        local.Write("sub/x.txt", "x");
    }
    static void SetTime(const fs::path& path, std::int64_t seconds) {
        ASSERT_TRUE(SetModified(path, seconds));
    }
    void Connect() { ASSERT_TRUE(testsupport::OpenAndConnect(app, server, local.Path(), 1)); }
    void Key(int list, win::Key key) {
        app.Win().KeyDown(list, key);
        app.WaitIdle();
    }
    std::string Status() { return app.Win().Get(res::kStatusBar).GetText(); }

    testsupport::PyFtpdServer server;
    testsupport::TempDir local;
    HeadlessApp app;
};

// The names of each "columns" block a script printed, in order.
std::vector<std::vector<std::string>> ColumnBlocks(const std::string& err) {
    std::vector<std::vector<std::string>> blocks;
    std::istringstream in(err);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.starts_with("columns ")) {
            blocks.emplace_back();
            inside = true;
            std::getline(in, line); // the header
            blocks.back().push_back(line);
        } else if (inside && line.starts_with("[")) {
            const std::size_t name = line.find(' ', 4) + 1;
            blocks.back().push_back(line.substr(name));
        } else {
            inside = false;
        }
    }
    return blocks;
}

TEST_F(PaneGestures, HeadersSortBothWaysTheOrderOutlivesARefreshAndNewRowsLandInIt) {
    testsupport::TempDir dir;
    dir.Write("DEVurorure.ini",
              "[data]\r\n" +
                  testsupport::SettingsFile().SetServerHost(0, server, local.Path()).Body());
    std::istringstream script("columns 1003\n"
                              "click 1012\nwait\n"
                              "sort 1003 size\ncolumns 1003\n"
                              "select 1003 mid.dat\n"
                              "sort 1003 Size\ncolumns 1003\n"
                              "sort 1003 2\nkey 1003 f5\nwait\ncolumns 1003\n"
                              "sort 1004 size\nsort 1004 size\n"
                              "select 1003 mid.dat\nmenu 1003 32780\nwait\ncolumns 1004\n");
    std::ostringstream out, err;
    ASSERT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", true), 0) << err.str();
    const auto blocks = ColumnBlocks(err.str());
    ASSERT_EQ(blocks.size(), 5u) << err.str();
    auto names = [](const std::vector<std::string>& block) {
        std::vector<std::string> found;
        for (const std::string& row : block) {
            found.push_back(row.substr(0, row.find(" | ")));
        }
        return found;
    };
    using Names = std::vector<std::string>;
    // The pane's own order until a header is clicked: folders first, then by kind and name.
    EXPECT_EQ(blocks[0], Names{"Name | Size | Modified | Permissions"});
    EXPECT_EQ(blocks[1][0], "Name | Size (ascending) | Modified | Permissions");
    EXPECT_EQ(names(blocks[1]), (Names{"Name", "dir", "small.txt", "mid.dat", "big.bin"}));
    EXPECT_TRUE(blocks[1][4].starts_with("big.bin | 5,000 | 2020-01-0")) << blocks[1][4];
    EXPECT_TRUE(blocks[1][4].ends_with(" | -rw-r--r--")) << blocks[1][4];
    // Again: the other way; the folder stays on top.
    EXPECT_EQ(blocks[2][0], "Name | Size (descending) | Modified | Permissions");
    EXPECT_EQ(names(blocks[2]), (Names{"Name", "dir", "big.bin", "mid.dat", "small.txt"}));
    // By time, also after a refresh that lists the folder again.
    EXPECT_EQ(blocks[3][0], "Name | Size | Modified (ascending) | Permissions");
    EXPECT_EQ(names(blocks[3]), (Names{"Name", "dir", "big.bin", "small.txt", "mid.dat"}));
    // The download lands in its place among the local rows sorted by size, largest first.
    EXPECT_EQ(blocks[4][0], "Name | Size (descending) | Modified");
    EXPECT_EQ(names(blocks[4]), (Names{"Name", "sub", "zz.bin", "mid.dat", "a.txt"}));
    EXPECT_TRUE(blocks[4][3].starts_with("mid.dat | 400 | 20")) << blocks[4][3];
    // The selection travelled with its row through the sorts.
    EXPECT_NE(err.str().find("[*] 15 mid.dat | 400"), std::string::npos) << err.str();
}

TEST_F(PaneGestures, KeysDoWhatTheListsMenusOfferAndNothingMore) {
    Connect();
    auto& remote = app.Win().Get(res::kRemoteList);
    // F7 and the label: a new folder; F2: renamed; Delete with Yes: gone.
    Key(res::kRemoteList, win::kKeyF7);
    app.Win().EndLabel(res::kRemoteList, "made", false);
    app.WaitIdle();
    EXPECT_TRUE(fs::is_directory(server.Root() / "made"));
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"made"}));
    Key(res::kRemoteList, win::kKeyF2);
    app.Win().EndLabel(res::kRemoteList, "renamed", false);
    app.WaitIdle();
    EXPECT_TRUE(fs::is_directory(server.Root() / "renamed"));
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"renamed"}));
    Key(res::kRemoteList, win::kKeyDelete);
    EXPECT_FALSE(fs::exists(server.Root() / "renamed"));
    // Enter opens the folder at the selection mark, Backspace goes up, F5 lists again.
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"dir"}));
    EXPECT_TRUE(app.Win().KeyEnter(res::kRemoteList));
    app.WaitIdle();
    EXPECT_EQ(RowTexts(app, res::kRemoteList), (std::vector<std::string>{"inner.txt"}));
    Key(res::kRemoteList, win::kKeyBackspace);
    EXPECT_EQ(remote.GetItemCount(), 4);
    server.Root().Write("late.txt", "l");
    Key(res::kRemoteList, win::kKeyF5);
    EXPECT_EQ(remote.GetItemCount(), 5);
    // Tab goes to the other list; Ctrl+A selects every row.
    Key(res::kRemoteList, win::kKeyTab);
    EXPECT_EQ(app.Win().GetFocusId(), res::kLocalList);
    Key(res::kLocalList, win::kKeySelectAll);
    EXPECT_EQ(app.Win().Get(res::kLocalList).GetSelectedCount(), 3);
    // The local pane's keys: Backspace up, Enter into a folder, F2 and Delete on a file.
    ASSERT_TRUE(app.Win().Select(res::kLocalList, {"sub"}));
    EXPECT_TRUE(app.Win().KeyEnter(res::kLocalList));
    EXPECT_EQ(app.dialog->View().m_localFolder, (local / "sub"));
    Key(res::kLocalList, win::kKeyBackspace);
    EXPECT_EQ(app.dialog->View().m_localFolder, local.Path());
    ASSERT_TRUE(app.Win().Select(res::kLocalList, {"a.txt"}));
    Key(res::kLocalList, win::kKeyF2);
    app.Win().EndLabel(res::kLocalList, "b.txt", false);
    EXPECT_TRUE(fs::exists(local / "b.txt"));
    app.Win().QueueAnswer(win::kAnswerYes);
    ASSERT_TRUE(app.Win().Select(res::kLocalList, {"b.txt"}));
    Key(res::kLocalList, win::kKeyDelete);
    EXPECT_FALSE(fs::exists(local / "b.txt"));
    // What the menus gray, the keys leave alone: nothing to rename with two rows selected, and
    // no remote command while disconnected.
    const std::size_t boxes = app.Win().Boxes().size();
    ASSERT_TRUE(app.Win().Select(res::kLocalList, {"sub", "zz.bin"}));
    Key(res::kLocalList, win::kKeyF2);
    EXPECT_EQ(app.Win().Get(res::kLocalList).EditingRow(), -1);
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {}));
    Key(res::kRemoteList, win::kKeyF7);
    Key(res::kRemoteList, win::kKeyF5);
    EXPECT_EQ(app.Win().Boxes().size(), boxes);
    EXPECT_FALSE(app.dialog->View().m_connected);
}

TEST_F(PaneGestures, TypedPathsGoThereAndAFailureKeepsTheFolderOnShow) {
    Connect();
    app.Win().Type(res::kDriveCombo, "sub");
    EXPECT_TRUE(app.Win().KeyEnter(res::kDriveCombo));
    EXPECT_EQ(app.dialog->View().m_localFolder, (local / "sub"));
    EXPECT_EQ(app.Win().Get(res::kDriveCombo).GetEditText(), (local / "sub"));
    app.Win().Type(res::kDriveCombo, local.Path() + "/missing");
    app.Win().KeyEnter(res::kDriveCombo);
    EXPECT_EQ(app.dialog->View().m_localFolder, (local / "sub"));
    ASSERT_FALSE(app.Win().Boxes().empty());
    EXPECT_TRUE(app.Win().Boxes().back().text.starts_with(platform::SystemErrorText(ENOENT)));

    app.Win().Type(res::kRemotePathCombo, "/dir");
    EXPECT_TRUE(app.Win().KeyEnter(res::kRemotePathCombo));
    app.WaitIdle();
    EXPECT_EQ(RowTexts(app, res::kRemoteList), (std::vector<std::string>{"inner.txt"}));
    EXPECT_EQ(testsupport::ComboSelection(app, res::kRemotePathCombo), "/dir");
    app.Win().Type(res::kRemotePathCombo, "../nowhere");
    app.Win().KeyEnter(res::kRemotePathCombo);
    app.WaitIdle();
    EXPECT_EQ(app.dialog->View().m_remoteFolder, "/dir");
    EXPECT_EQ(RowTexts(app, res::kRemoteList), (std::vector<std::string>{"inner.txt"}));
}

TEST_F(PaneGestures, TheStatusLineFollowsItsRowThroughChangesAndRemovals) {
    Connect();
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"small.txt"}));
    EXPECT_TRUE(Status().starts_with("-rw-r--r--")) << Status();
    app.Win().QueueDialogDriver([](headless::HeadlessDialog& dialog) {
        dialog.Type(res::kPermModeEdit, "600");
        dialog.Click(res::kIdOk);
    });
    app.Win().QueueMenuChoice(res::kCmdPermission);
    app.Win().RightClick(res::kRemoteList);
    app.WaitIdle();
    EXPECT_TRUE(Status().starts_with("-rw-------")) << Status();
    ASSERT_TRUE(app.Win().Select(res::kRemoteList, {"small.txt"}));
    app.Win().QueueAnswer(win::kAnswerYes);
    Key(res::kRemoteList, win::kKeyDelete);
    EXPECT_EQ(Status(), "");

    ASSERT_TRUE(app.Win().Select(res::kLocalList, {"a.txt"}));
    EXPECT_NE(Status().find("a.txt"), std::string::npos);
    app.Win().QueueAnswer(win::kAnswerYes);
    Key(res::kLocalList, win::kKeyDelete);
    EXPECT_EQ(Status(), "");
}

} // namespace
