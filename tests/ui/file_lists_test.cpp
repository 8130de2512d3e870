// The file panes' own gestures without a server: which menu a right click opens and what it
// grays, drags refused while disconnected, drops from the desktop, and the status line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <set>

#include "platform/file_system.h"
#include "support/app_support.h"

using testsupport::HeadlessApp;

namespace {

constexpr int kNoMenu = 0;

struct MenuCase {
    const char* what;
    int list;
    bool connected;
    bool driveList; // the local pane shows the drives
    std::vector<std::string> selected;
    int menu;
    std::set<int> grayed;
};

class FileListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[PATH_MAX];
        m_startDir = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
        folder.Write("a.txt", "a");
        folder.Write("b.txt", "b");
        folder.Write("sub/c.txt", "c");
        app.WriteSettings(testsupport::SettingsFile()
                              .SetHost(0, {"example.invalid", "u", "p", folder.Path(), ""})
                              .Body());
        app.Open();
        // The remote pane as a connected listing would fill it.
        auto& remote = app.Win().Get(res::kRemoteList);
        remote.InsertItem(0, "dir", res::kImageFolder);
        remote.InsertItem(1, "page.htm", res::kImageWebPage);
        remote.InsertItem(2, "here -> there", res::kImageLink);
    }
    void TearDown() override { ASSERT_EQ(::chdir(m_startDir.c_str()), 0); }

    testsupport::TempDir folder;
    HeadlessApp app;
    std::string m_startDir;
};

TEST_F(FileListsTest, ContextMenusGrayWhatCannotBeDoneNow) {
    using namespace res;
#ifdef _WIN32 // drives by letter
    const std::string drive = platform::ListDriveRoots()[0].path;
#else
    const std::string drive = "/";
#endif
    const MenuCase cases[] = {
        {"local, nothing selected, offline",
         kLocalList,
         false,
         false,
         {},
         kMenuLocalEmpty,
         {kCmdUploadAll, kCmdMirroring}},
        {"local, nothing selected, online", kLocalList, true, false, {}, kMenuLocalEmpty, {}},
        {"drive list, nothing selected",
         kLocalList,
         true,
         true,
         {},
         kMenuLocalEmpty,
         {kCmdUploadAll, kCmdMirroring, kCmdLocalCreateFolder}},
        {"one file, offline",
         kLocalList,
         false,
         false,
         {"a.txt"},
         kMenuLocalItems,
         {kCmdLocalUpload, kCmdOverwriteUpload}},
        {"one file, online", kLocalList, true, false, {"a.txt"}, kMenuLocalItems, {}},
        {"two files",
         kLocalList,
         true,
         false,
         {"a.txt", "b.txt"},
         kMenuLocalItems,
         {kCmdLocalOpen, kCmdLocalRename}},
        {"one drive",
         kLocalList,
         true,
         true,
         {drive},
         kMenuLocalItems,
         {kCmdLocalUpload, kCmdOverwriteUpload, kCmdLocalDelete, kCmdLocalRename}},
        {"remote, offline", kRemoteList, false, false, {"dir"}, kNoMenu, {}},
        {"remote, nothing selected", kRemoteList, true, false, {}, kMenuRemoteEmpty, {}},
        {"remote folder", kRemoteList, true, false, {"dir"}, kMenuRemoteItems, {}},
        {"remote file", kRemoteList, true, false, {"page.htm"}, kMenuRemoteItems, {kCmdRemoteOpen}},
        {"remote link",
         kRemoteList,
         true,
         false,
         {"here -> there"},
         kMenuRemoteItems,
         {kCmdDownload, kCmdRemoteDelete, kCmdRemoteRename, kCmdPermission}},
        {"two remote rows",
         kRemoteList,
         true,
         false,
         {"dir", "page.htm"},
         kMenuRemoteItems,
         {kCmdRemoteOpen, kCmdRemoteRename, kCmdPermission}},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.what);
        app.dialog->Arrange().m_localFolder = c.driveList ? "" : folder.Path();
        ASSERT_TRUE(app.dialog->ListLocalFolder());
        app.dialog->Arrange().m_connected = c.connected;
        ASSERT_TRUE(app.Win().Select(c.list, c.selected));
        const std::size_t before = app.Win().Menus().size();
        app.Win().RightClick(c.list);
        const auto menus = app.Win().Menus();
        if (c.menu == kNoMenu) {
            EXPECT_EQ(menus.size(), before);
            continue;
        }
        ASSERT_EQ(menus.size(), before + 1);
        EXPECT_EQ(menus.back().menuId, c.menu);
        EXPECT_EQ(menus.back().disabled, c.grayed);
    }
}

TEST_F(FileListsTest, DragsNeedAConnectionAndDropsWhileOfflineAreRefused) {
    app.Win().Select(res::kLocalList, {"a.txt"});
    app.Win().DragAndRelease(res::kLocalList, res::kRemoteList);
    EXPECT_EQ(app.Win().CapturedList(), 0) << "no drag starts while disconnected";
    EXPECT_EQ(app.Win().Cursor(), 0);

    app.Win().DropFiles(res::kRemoteList, {folder / "a.txt"});
    const auto boxes =
        testsupport::ExpectBoxes(app, {testsupport::Text(res::kTextConnectBeforeDrop)});
    testsupport::ExpectBox(boxes[0], testsupport::Text(res::kTextConnectBeforeDrop),
                           win::Buttons::Ok, win::Icon::Warning);
}

TEST_F(FileListsTest, ADragReleasedOverItsOwnListOnlyEnds) {
    app.dialog->Arrange().m_connected = true;
    app.Win().Select(res::kLocalList, {"a.txt"});
    app.Win().DragAndRelease(res::kLocalList, res::kLocalList);
    EXPECT_EQ(app.Win().CapturedList(), 0) << "the capture ends with the release";
    EXPECT_EQ(app.Win().Cursor(), 0);
    EXPECT_FALSE(app.dialog->View().m_busy) << "no job starts";
    EXPECT_EQ(app.Log(), "");
    EXPECT_TRUE(app.Win().Boxes().empty());
    app.dialog->Arrange().m_connected = false;
}

TEST_F(FileListsTest, TheStatusLineDescribesTheRowJustSelected) {
    auto& status = app.Win().Get(res::kStatusBar);
    app.Win().Select(res::kLocalList, {"a.txt"});
    EXPECT_EQ(status.GetText().rfind(" a.txt    Date : ", 0), 0u) << status.GetText();
    EXPECT_NE(status.GetText().find("    Size : 1"), std::string::npos);
    app.Win().Select(res::kRemoteList, {"dir"});
    EXPECT_EQ(status.GetText(), "none") << "a row the listing does not hold";
}

} // namespace
