// The local pane on real temporary folders: listing, the drive box, navigation, recovery from
// folders that cannot be read and the status text.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#endif
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#ifdef _WIN32
#include <chrono>
#endif
#include <sstream>

#include "app/script_mode.h"
#include "local/local_path.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/headless_app.h"
#include "support/temp_dir.h"
#ifndef _WIN32
#include "support/unprivileged.h"
#endif

using testsupport::HeadlessApp;
using testsupport::TempDir;
#ifndef _WIN32
using testsupport::Unprivileged;
#endif

namespace {

constexpr int kLocalList = 1004;
constexpr int kDriveCombo = 1005;
constexpr int kUpButton = 1007;
constexpr int kRefreshButton = 1020;

std::string CurrentDirectory() {
#ifdef _WIN32 // in the program's form: '/' and a drive root as "C:"
    return local::NormalizeFolder(std::filesystem::current_path().generic_string());
#else
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
#endif
}

// The root of the temporary folders' drive, and the drive listed first.
#ifdef _WIN32
std::string RootOf(const TempDir& dir) {
    return dir.Path().substr(0, 2);
}
std::string FirstDrive() {
    return platform::ListDriveRoots()[0].path;
}
#else
std::string RootOf(const TempDir&) {
    return "/";
}
std::string FirstDrive() {
    return "/";
}
#endif

// Restores the process's current directory, which the pane moves with every listing.
class LocalPaneTest : public ::testing::Test {
protected:
    void SetUp() override { m_startDir = CurrentDirectory(); }
    void TearDown() override { ASSERT_EQ(::chdir(m_startDir.c_str()), 0); }

    // Opens the window on tab 0 with `folder` as the host's local folder.
    static void OpenIn(HeadlessApp& app, const std::string& folder) {
        app.WriteSettings("lc=" + folder + ";\r\n");
        app.Open();
    }

    static std::vector<std::string> Rows(HeadlessApp& app, int id) {
        std::vector<std::string> rows;
        for (const auto& r : app.Win().Get(id).Rows()) {
            rows.push_back(r.text + ":" + std::to_string(r.image));
        }
        return rows;
    }

    static std::string ComboSelection(HeadlessApp& app) {
        auto& combo = app.Win().Get(kDriveCombo);
        return combo.GetCurSel() < 0 ? "<none>" : combo.GetItem(combo.GetCurSel()).text;
    }

    static void DropDown(HeadlessApp& app) {
        win::Message m(win::MessageKind::ComboDropDown, kDriveCombo);
        app.dialog->Dispatch(m);
    }

    std::string m_startDir;
};

void MakeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
}

TEST_F(LocalPaneTest, FolderListsInDisplayOrderWithoutSystemEntries) {
    TempDir dir;
    for (const char* name : {"b.txt", "A.TXT", "x.exe", "page.HTM", ".hidden"}) {
        dir.Write(name, "x");
    }
    MakeFolder(dir / "zeta");
    MakeFolder(dir / "Alpha");
#ifndef _WIN32 // Windows has neither FIFOs nor sockets in folders
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, (dir / "sock").c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(sock);
#endif

    HeadlessApp app;
    OpenIn(app, dir.Path() + "/");
    EXPECT_EQ(app.dialog->View().m_localFolder, dir.Path());
    EXPECT_FALSE(app.dialog->View().m_localList.m_driveList);
    EXPECT_EQ(Rows(app, kLocalList),
              (std::vector<std::string>{"Alpha:0", "zeta:0", "page.HTM:1", "A.TXT:6", "b.txt:6",
                                        "x.exe:12", ".hidden:15"}));
    EXPECT_EQ(CurrentDirectory(), dir.Path());
    // The folder's own name is selected in the drive box as a current-folder item.
    const std::string name = dir.Path().substr(dir.Path().rfind('/') + 1);
    EXPECT_EQ(ComboSelection(app), name);
    auto item = app.Win().Get(kDriveCombo).GetItem(0);
    EXPECT_EQ(item.image, 22);
    EXPECT_EQ(item.selectedImage, 22);
    EXPECT_EQ(item.indent, 0);
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST_F(LocalPaneTest, EmptyFolderShowsNothingAndStillSelectsItsName) {
    TempDir dir;
    MakeFolder(dir / "empty one");
    HeadlessApp app;
    OpenIn(app, dir / "empty one");
    EXPECT_TRUE(Rows(app, kLocalList).empty());
    EXPECT_FALSE(app.dialog->View().m_localList.m_driveList);
    EXPECT_EQ(ComboSelection(app), "empty one");
}

TEST_F(LocalPaneTest, DropDownShowsTheChainAndChoosingAnItemGoesThere) {
    TempDir dir;
    MakeFolder(dir / "outer-step/inner-step");
    dir.Write("outer-step/file.txt", "");
    HeadlessApp app;
    OpenIn(app, dir / "outer-step/inner-step");

    DropDown(app);
    auto& combo = app.Win().Get(kDriveCombo);
    ASSERT_GE(combo.GetCount(), 3);
    EXPECT_EQ(combo.GetItem(0).text, FirstDrive());
    const int last = combo.GetCount() - 1;
    // The chain ends at the current folder, one indent deeper per level, under its drive.
    int inner = -1;
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (combo.GetItem(i).text == "inner-step") {
            inner = i;
        }
    }
    ASSERT_GE(inner, 2);
    EXPECT_EQ(combo.GetCurSel(), inner);
    auto innerItem = combo.GetItem(inner);
    auto outerItem = combo.GetItem(inner - 1);
    EXPECT_EQ(outerItem.text, "outer-step");
    EXPECT_EQ(innerItem.indent, outerItem.indent + 1);
    EXPECT_EQ(innerItem.image, 0);
    EXPECT_EQ(innerItem.selectedImage, 22);
    EXPECT_LE(inner, last);

    ASSERT_TRUE(app.Win().ChooseCombo(kDriveCombo, "outer-step"));
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / "outer-step");
    EXPECT_EQ(Rows(app, kLocalList), (std::vector<std::string>{"inner-step:0", "file.txt:6"}));
    EXPECT_EQ(ComboSelection(app), "outer-step");

    // The root drive followed by nothing is "/" (or "Z:") itself.
    ASSERT_TRUE(app.Win().ChooseCombo(kDriveCombo, RootOf(dir)));
    EXPECT_EQ(app.dialog->View().m_localFolder, RootOf(dir));
    EXPECT_EQ(CurrentDirectory(), RootOf(dir));
    EXPECT_EQ(ComboSelection(app), RootOf(dir));
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST_F(LocalPaneTest, ShortenedChainNameFailsAndTheFolderIsListedAgain) {
    TempDir dir;
    const std::string longName(41, 'L');
    MakeFolder(dir / (longName + "/inner"));
    dir.Write(longName + "/inner/kept.txt", "");
    HeadlessApp app;
    OpenIn(app, dir / (longName + "/inner"));
    ASSERT_TRUE(app.Win().ChooseCombo(kDriveCombo, std::string(40, 'L') + "..."));
    ASSERT_EQ(app.Win().Boxes().size(), 1u);
    EXPECT_EQ(app.Win().Boxes()[0].text, platform::SystemErrorText(ENOENT));
    EXPECT_EQ(app.Win().Boxes()[0].icon, win::Icon::Warning);
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / (longName + "/inner"));
    EXPECT_EQ(Rows(app, kLocalList), (std::vector<std::string>{"kept.txt:6"}));
    EXPECT_EQ(app.dialog->View().m_lastError, ENOENT);
}

TEST_F(LocalPaneTest, CurrentFolderItemWithNoDriveAboveKeepsTheFolder) {
    TempDir dir;
    dir.Write("here/a.txt", "");
    HeadlessApp app;
    OpenIn(app, dir / "here");
    ASSERT_EQ(app.Win().Get(kDriveCombo).GetItem(0).text, "here");
    // Chosen without a drop-down, as the keyboard does on a closed box.
    app.Win().Get(kDriveCombo).SetCurSel(0);
    win::Message m(win::MessageKind::ComboSelChange, kDriveCombo, 0);
    app.dialog->Dispatch(m);
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / "here");
    EXPECT_EQ(Rows(app, kLocalList), (std::vector<std::string>{"a.txt:6"}));
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST_F(LocalPaneTest, UpClimbsToTheDriveListAndStopsThere) {
    TempDir dir;
    MakeFolder(dir / "a/b");
    HeadlessApp app;
    OpenIn(app, dir / "a/b");
    app.Win().Click(kUpButton);
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / "a");
    EXPECT_EQ(Rows(app, kLocalList), (std::vector<std::string>{"b:0"}));

    app.dialog->Arrange().m_localFolder = RootOf(dir);
    app.Win().Click(kRefreshButton);
    EXPECT_EQ(ComboSelection(app), RootOf(dir));
    app.Win().Click(kUpButton);
    EXPECT_EQ(app.dialog->View().m_localFolder, "");
    EXPECT_TRUE(app.dialog->View().m_localList.m_driveList);
    auto rows = app.Win().Get(kLocalList).Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].text, FirstDrive());
    EXPECT_GE(rows[0].image, 17);
    EXPECT_LE(rows[0].image, 21);
    EXPECT_EQ(ComboSelection(app), "<none>");

    app.Win().Click(kUpButton);
    EXPECT_EQ(app.dialog->View().m_localFolder, "");
    EXPECT_EQ(app.Win().Get(kLocalList).Rows().size(), rows.size());
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST_F(LocalPaneTest, VanishedFolderClimbsToItsParentOnRefresh) {
    TempDir dir;
    MakeFolder(dir / "a/b/c");
    dir.Write("a/left.txt", "");
    HeadlessApp app;
    OpenIn(app, dir / "a/b/c");
#ifdef _WIN32 // Windows removes no folder that is a process's current one
    std::filesystem::current_path(dir.Path());
#endif
    std::filesystem::remove_all(dir / "a/b");
    app.Win().Click(kRefreshButton);
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / "a");
    EXPECT_EQ(Rows(app, kLocalList), (std::vector<std::string>{"left.txt:6"}));
    EXPECT_TRUE(app.Win().Boxes().empty());

    // A folder saved in another system's form is no folder here: the pane shows the drives.
    HeadlessApp other;
#ifdef _WIN32
    OpenIn(other, "/home/data");
#else
    OpenIn(other, "C:\\Data");
#endif
    EXPECT_EQ(other.dialog->View().m_localFolder, "");
    EXPECT_TRUE(other.dialog->View().m_localList.m_driveList);
}

#ifndef _WIN32
// Linux only: permissions, root.
TEST_F(LocalPaneTest, UnreadableFolderShowsTheSystemTextAndThePreviousFolderStays) {
    Unprivileged guard;
    if (!guard.Ok()) {
        GTEST_SKIP() << "cannot drop root's rights here";
    }
    TempDir dir;
    MakeFolder(dir / "locked/sub");
    dir.Write("locked/sub/mine.txt", "");
    HeadlessApp app;
    OpenIn(app, dir / "locked/sub");
    // Search but no read permission: the folder can be made current but not read.
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0100), 0);
    ASSERT_TRUE(app.Win().ChooseCombo(kDriveCombo, "locked"));
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 2u); // the scan's, then the drive box's
    EXPECT_EQ(boxes[0].text, "Permission denied\r\n");
    EXPECT_EQ(boxes[1].text, "Permission denied\r\n");
    EXPECT_EQ(app.dialog->View().m_localFolder, dir / "locked/sub");
    EXPECT_EQ(Rows(app, kLocalList), (std::vector<std::string>{"mine.txt:6"}));
    EXPECT_EQ(app.dialog->View().m_lastError, EACCES);
}
#endif

TEST_F(LocalPaneTest, StatusTextShowsLocalTimeAndTheTrueSize) {
    TempDir dir;
    dir.Write("empty.dat", "");
    dir.Write("midnight.txt", "12345");
    std::tm tm{};
    tm.tm_year = 2003 - 1900;
    tm.tm_mon = 4;
    tm.tm_mday = 4;
    tm.tm_isdst = -1;
    const std::time_t midnight = std::mktime(&tm);
#ifdef _WIN32
    std::filesystem::last_write_time(
        dir / "midnight.txt",
        std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(midnight)));
    dir.Write("big.iso", "");
    std::filesystem::resize_file(dir / "big.iso", 5368709120LL); // sparse under Wine
#else
    timespec times[2] = {{midnight, 0}, {midnight, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "midnight.txt").c_str(), times, 0), 0);
    const int fd = ::open((dir / "big.iso").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 5368709120LL), 0); // sparse: no disk space used
    ::close(fd);
#endif

    HeadlessApp app;
    OpenIn(app, dir.Path());
    const std::string empty = app.dialog->LocalItemStatusText("empty.dat");
    EXPECT_EQ(empty.rfind(" empty.dat    Date : ", 0), 0u) << empty;
    EXPECT_TRUE(empty.ends_with("        Size : 0")) << empty;
    EXPECT_EQ(app.dialog->LocalItemStatusText("midnight.txt"),
              " midnight.txt    Date : 2003/05/04 00:00        Size : 5");
    EXPECT_TRUE(app.dialog->LocalItemStatusText("big.iso").ends_with("Size : 5.368.709.120"));
    EXPECT_EQ(app.dialog->LocalItemStatusText("gone.txt"), "");
}

TEST_F(LocalPaneTest, ScriptTranscriptOfBrowsingAndAFailedChoice) {
    TempDir dir;
    const std::string longName(41, 'q');
    dir.Write("top/" + longName + "/deep/readme", "");
    dir.Write("top/notes.txt", "");
    dir.Write("DEVurorure.ini", "[data]\r\nlc=" + dir / ("top/" + longName + "/deep") + ";\r\n");
    std::istringstream script("show 1004\n"
                              "combo 1005 " +
                              std::string(40, 'q') +
                              "...\n"
                              "show 1004\n"
                              "combo 1005 top\n"
                              "show 1004\n"
                              "click 1007\n"
                              "show 1004\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0);
    EXPECT_EQ(out.str(), "");
    std::string missing; // the system's sentence, its line breaks escaped as in the transcript
    for (char c : platform::SystemErrorText(ENOENT)) {
        missing += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    EXPECT_EQ(err.str(), "show 1004:\n"
                         "[ ] 15 readme\n"
                         "box warning ok: " +
                             missing +
                             " -> ok\n"
                             "show 1004:\n"
                             "[ ] 15 readme\n"
                             "show 1004:\n"
                             "[ ] 0 " +
                             longName +
                             "\n"
                             "[ ] 6 notes.txt\n"
                             "show 1004:\n"
                             "[ ] 0 top\n"
                             "[ ] 15 DEVurorure.ini\n");
}

} // namespace
