// The local pane's file operations on real temporary folders, each started as the user starts
// it: the menus, a double click, button 1027 and the end of a label edit.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/script_mode.h"
#include "platform/desktop_open.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/app_support.h"
#ifndef _WIN32
#include "support/unprivileged.h"
#endif

using testsupport::ExpectBox;
using testsupport::ExpectBoxes;
using testsupport::HeadlessApp;
using testsupport::Rows;
using testsupport::TempDir;
using testsupport::Text;
#ifndef _WIN32
using testsupport::Unprivileged;
#endif
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

constexpr int kLocalList = 1004;
constexpr int kOpenFolderButton = 1027;
constexpr int kCmdOpen = 32771;
constexpr int kCmdDelete = 32773;
constexpr int kCmdRename = 32774;
constexpr int kCmdCreateFolder = 32778;

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

// The drive listed first: "/", on Windows a letter as "C:".
std::string FirstDrive() {
#ifdef _WIN32
    return platform::ListDriveRoots()[0].path;
#else
    return "/";
#endif
}

bool Exists(const std::string& path) {
    return fs::exists(fs::symlink_status(path));
}

class LocalFileOperationsTest : public ::testing::Test {
protected:
    // The pane moves the process's current directory with every listing.
    void SetUp() override { m_startDir = CurrentDirectory(); }
    void TearDown() override { ASSERT_EQ(::chdir(m_startDir.c_str()), 0); }

    // The window on host 1, whose local folder is `folder` ("" for the drive list).
    static void OpenIn(HeadlessApp& app, const std::string& folder) {
        app.WriteSettings("lc=" + folder + ";\r\n");
        app.Open();
    }
    // Selects the rows and chooses a command of the local pane's menu.
    static void Menu(HeadlessApp& app, const Strings& selected, int command) {
        ASSERT_TRUE(app.Win().Select(kLocalList, selected));
        app.Win().QueueMenuChoice(command);
        app.Win().RightClick(kLocalList);
    }
    static void Rename(HeadlessApp& app, const std::string& from, const std::string& to) {
        Menu(app, {from}, kCmdRename);
        app.Win().EndLabel(kLocalList, to, false);
    }

    std::string m_startDir;
};

#ifndef _WIN32
// Linux only: file modes and hard links.
TEST_F(LocalFileOperationsTest, DeleteAsksThenRemovesFilesReadOnlyFilesAndWholeTrees) {
    TempDir dir;
    dir.Write("plain.txt", "x");
    dir.Write("locked.txt", "x");
    dir.Write("tree/a/b/deep.txt", "x");
    ASSERT_EQ(::chmod((dir / "locked.txt").c_str(), 0444), 0);
    // A second name of the read-only file, whose mode the deletion must leave alone.
    ASSERT_EQ(::link((dir / "locked.txt").c_str(), (dir / "kept.txt").c_str()), 0);
    HeadlessApp app;
    OpenIn(app, dir.Path());
    const Strings selected = {"tree", "locked.txt", "plain.txt"};

    app.Win().QueueAnswer(win::kAnswerNo);
    Menu(app, selected, kCmdDelete);
    auto boxes = ExpectBoxes(app, {"Do you wish to delete 3 selected file(s) ?"});
    ExpectBox(boxes.at(0), Text(118) + "3" + Text(168), win::Buttons::YesNo, win::Icon::Question);
    EXPECT_EQ(Rows(app, kLocalList).size(), 4u);
    EXPECT_TRUE(Exists(dir / "tree/a/b/deep.txt") && Exists(dir / "plain.txt"));

    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(app, selected, kCmdDelete);
    EXPECT_EQ(app.Win().Boxes().size(), 2u);
    EXPECT_EQ(Rows(app, kLocalList), (Strings{"6 kept.txt"}));
    EXPECT_FALSE(Exists(dir / "tree") || Exists(dir / "locked.txt") || Exists(dir / "plain.txt"));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "kept.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}
#endif

#ifndef _WIN32
// Linux only: permissions, root.
TEST_F(LocalFileOperationsTest, WithoutPermissionItemsStayAndEachFailureHasItsBox) {
    Unprivileged guard;
    if (!guard.Ok()) {
        GTEST_SKIP() << "cannot drop root's rights here";
    }
    TempDir dir;
    dir.Write("shut/first.txt", "x");
    dir.Write("shut/second.txt", "x");
    HeadlessApp app;
    OpenIn(app, dir / "shut");
    ASSERT_EQ(::chmod((dir / "shut").c_str(), 0555), 0);

    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(app, {"first.txt", "second.txt"}, kCmdDelete);
    // Last to first, and a failure does not stop the deletion.
    auto boxes = ExpectBoxes(app, {Text(118) + "2" + Text(168),
                                   "Permission denied\r\nCannot delete second.txt",
                                   "Permission denied\r\nCannot delete first.txt"});
    EXPECT_EQ(boxes.at(1).icon, win::Icon::Error);
    EXPECT_EQ(Rows(app, kLocalList), (Strings{"6 first.txt", "6 second.txt"}));
    EXPECT_TRUE(Exists(dir / "shut/second.txt"));

    Menu(app, {}, kCmdCreateFolder);
    boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    ExpectBox(boxes.at(3), "Permission denied\r\n" + Text(116), win::Buttons::Ok, win::Icon::Error);
}
#endif

TEST_F(LocalFileOperationsTest, TreeOfAThousandOneFoldersStaysAndOfAThousandGoes) {
    TempDir dir;
    // 1001 folders below "big": one a level deeper, with a file, and the rest beside it.
    dir.Write("big/n0/inner/file.txt", "x");
    for (int i = 1; i < 1000; ++i) {
        fs::create_directory(dir / ("big/n" + std::to_string(i)));
    }
    HeadlessApp app;
    OpenIn(app, dir.Path());
    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(app, {"big"}, kCmdDelete);
    auto boxes = ExpectBoxes(app, {Text(118) + "1" + Text(168), Text(120),
                                   platform::SystemErrorText(ENOTEMPTY) + "Cannot delete big"});
    EXPECT_EQ(boxes.at(1).icon, win::Icon::Warning);
    EXPECT_EQ(Rows(app, kLocalList), (Strings{"0 big"}));
    EXPECT_TRUE(Exists(dir / "big/n0/inner/file.txt"));
    EXPECT_TRUE(Exists(dir / "big/n999"));

    fs::remove(dir / "big/n999");
    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(app, {"big"}, kCmdDelete);
    EXPECT_EQ(app.Win().Boxes().size(), 4u);
    EXPECT_TRUE(Rows(app, kLocalList).empty());
    EXPECT_FALSE(Exists(dir / "big"));
}

#ifndef _WIN32
// Linux only: symbolic links.
TEST_F(LocalFileOperationsTest, LinksToFoldersAreRemovedAsLinksNeverFollowed) {
    TempDir dir;
    dir.Write("outside/sub/keep.txt", "x");
    dir.Write("work/tree/own.txt", "x");
    fs::create_directory_symlink(dir / "outside", dir / "work/tree/inside-link");
    fs::create_directory_symlink(dir / "outside", dir / "work/top-link");
    HeadlessApp app;
    OpenIn(app, dir / "work");
    ASSERT_EQ(Rows(app, kLocalList), (Strings{"0 top-link", "0 tree"}));

    app.Win().QueueAnswer(win::kAnswerYes);
    Menu(app, {"top-link", "tree"}, kCmdDelete);
    ExpectBoxes(app, {Text(118) + "2" + Text(168)});
    EXPECT_TRUE(Rows(app, kLocalList).empty());
    EXPECT_FALSE(Exists(dir / "work/top-link") || Exists(dir / "work/tree"));
    EXPECT_TRUE(Exists(dir / "outside/sub/keep.txt"));
}
#endif

TEST_F(LocalFileOperationsTest, RenameInPlaceFollowsTheNameAndNeverOverwrites) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "gone.txt"}) {
        dir.Write(name, name);
    }
    fs::create_directory(dir / "docs");
    HeadlessApp app;
    OpenIn(app, dir.Path());
    Rename(app, "a.txt", "a.html");
    Rename(app, "docs", "papers");
    EXPECT_EQ(Rows(app, kLocalList), (Strings{"0 papers", "1 a.html", "6 b.txt", "6 gone.txt"}));
    EXPECT_EQ(dir.Read("a.html"), "a.txt");

    Rename(app, "b.txt", "a.html");
    fs::remove(dir / "gone.txt");
    Rename(app, "gone.txt", "back.txt");
    ExpectBoxes(app, {platform::SystemErrorText(EEXIST) + Text(121),
                      platform::SystemErrorText(ENOENT) + Text(121)});
    EXPECT_EQ(dir.Read("a.html"), "a.txt");
    // Listed again, in display order.
    EXPECT_EQ(Rows(app, kLocalList), (Strings{"0 papers", "1 a.html", "6 b.txt"}));
}

TEST_F(LocalFileOperationsTest, CreateFolderTakesTheFirstFreeNumberAndOpensItsLabel) {
    TempDir dir;
    fs::create_directory(dir / "NewFolder(1)");
    fs::create_directory(dir / "NewFolder(3)");
    dir.Write("z.txt", "");
    HeadlessApp app;
    OpenIn(app, dir.Path());

    Menu(app, {}, kCmdCreateFolder);
    EXPECT_TRUE(Exists(dir / "NewFolder(2)"));
    EXPECT_EQ(Rows(app, kLocalList),
              (Strings{"0 NewFolder(2)", "0 NewFolder(1)", "0 NewFolder(3)", "6 z.txt"}));
    EXPECT_EQ(app.Win().Get(kLocalList).EditingRow(), 0);
    app.Win().EndLabel(kLocalList, "Named", false);
    EXPECT_EQ(Rows(app, kLocalList)[0], "0 Named");

    // A cancelled edit keeps the numbered name.
    Menu(app, {}, kCmdCreateFolder);
    app.Win().EndLabel(kLocalList, "", true);
    EXPECT_EQ(Rows(app, kLocalList)[0], "0 NewFolder(2)");
    EXPECT_TRUE(Exists(dir / "Named") && Exists(dir / "NewFolder(2)"));
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST_F(LocalFileOperationsTest, OpeningHandsWholePathsToTheDesktopAndEntersFolders) {
    TempDir dir;
    for (const char* name : {"a.txt", "pack.zip", "$(touch x)"}) {
        dir.Write(name, "");
    }
    fs::create_directory(dir / "sub");
    HeadlessApp app;
    OpenIn(app, dir.Path());
    auto& win = app.Win();

    // Every file opens on a double click, an archive and an unknown kind too.
    for (const char* name : {"a.txt", "pack.zip", "$(touch x)"}) {
        ASSERT_TRUE(win.Activate(kLocalList, name));
    }
    EXPECT_EQ(win.ShellOpens(), (Strings{dir / "a.txt", dir / "pack.zip", dir / "$(touch x)"}));
    EXPECT_FALSE(Exists(dir / "x"));

    Menu(app, {"sub"}, kCmdOpen);
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / "sub");
    win.Click(kOpenFolderButton);
    EXPECT_EQ(win.ShellOpens().back(), dir / "sub");
    win.SetShellResult(false);
    win.Click(kOpenFolderButton);
    EXPECT_EQ(ExpectBoxes(app, {Text(115)}).at(0).icon, win::Icon::Warning);

    // In the drive list: no folder to open; a drive opens with "&Open" and is entered otherwise.
    HeadlessApp drives;
    OpenIn(drives, "");
    drives.Win().Click(kOpenFolderButton);
    ExpectBoxes(drives, {Text(114)});
    Menu(drives, {FirstDrive()}, kCmdOpen);
    EXPECT_EQ(drives.Win().ShellOpens(), Strings{FirstDrive()});
    ASSERT_TRUE(drives.Win().Activate(kLocalList, FirstDrive()));
    EXPECT_EQ(drives.dialog->View().m_localFolder, FirstDrive());
    EXPECT_FALSE(drives.dialog->View().m_localList.m_driveList);
}

#ifndef _WIN32
// Linux only: the programs started (touch) are Linux's.
// What the window system starts for an open: the path is one argument, no shell reads it.
TEST_F(LocalFileOperationsTest, ProgramsStartWithEachArgumentAsItIs) {
    TempDir dir;
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    const std::string made = dir / "new $(touch x)";
    ASSERT_TRUE(platform::StartProgram({"touch", made}));
    for (int i = 0; i < 1000 && !Exists(made); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(Exists(made));
    EXPECT_FALSE(Exists(dir / "x") || Exists(dir / "new"));

    EXPECT_FALSE(platform::StartProgram({"quorrel-no-such-program", made}));
    EXPECT_EQ(platform::LastFileError(), ENOENT);
}
#endif

TEST_F(LocalFileOperationsTest, ScriptReportsWhatTheDesktopIsAskedToOpen) {
    TempDir dir;
    dir.Write("work/a.txt", "");
    dir.Write("DEVurorure.ini", "[data]\r\nlc=" + dir / "work" + ";\r\n");
    std::istringstream script("activate 1004 a.txt\nclick 1027\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0);
    EXPECT_EQ(err.str(), "open " + dir / "work/a.txt" + "\nopen " + dir / "work" + "\n");
}

} // namespace
