// Uploads to a real FTP server through the local pane's commands, button 1021, drags and
// desktop drops: which files the time test sends, folder trees, stops and failures.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <utime.h>
#endif

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "app/script_mode.h"
#include "platform/local_time.h"
#include "support/app_support.h"
#include "support/environment.h"
#include "support/scripted_ftp_server.h"

using testsupport::HeadlessApp;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kHour = 3600;

void SetModified(const std::string& path, std::int64_t time) {
#ifdef _WIN32
    std::error_code ec;
    fs::last_write_time(
        path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(time)), ec);
    ASSERT_FALSE(ec) << path;
#else
    const utimbuf times{static_cast<time_t>(time), static_cast<time_t>(time)};
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
#endif
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// Right-clicks the local pane over `rows`, chooses `command` and answers its question Yes.
void Upload(HeadlessApp& app, const std::vector<std::string>& rows, int command) {
    ASSERT_TRUE(app.Win().Select(res::kLocalList, rows));
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().QueueMenuChoice(command);
    app.Win().RightClick(res::kLocalList);
    app.WaitIdle();
}

// The server lists times in UTC; the local zone is UTC too, so only the injected offset moves.
class UploadJobs : public ::testing::Test {
protected:
    void SetUp() override {
        savedZone = std::getenv("TZ") ? std::getenv("TZ") : "";
        setenv("TZ", "UTC0", 1);
        platform::ReloadLocalTimeZone();
        ASSERT_TRUE(server.Start());
        app.WriteSettings(
            testsupport::SettingsFile().SetServerHost(0, server, local.Path(), "", 13).Body());
        app.Open();
        app.Win().Click(res::kConnectButton);
        app.WaitIdle();
        ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
        app.dialog->Arrange().m_localUtcOffset = [](std::int64_t) { return 0; };
    }
    void TearDown() override {
        savedZone.empty() ? unsetenv("TZ") : setenv("TZ", savedZone.c_str(), 1);
        platform::ReloadLocalTimeZone();
    }
    // Both panes listed afresh first.
    void Upload(const std::vector<std::string>& rows, int command = res::kCmdLocalUpload) {
        app.Win().Click(res::kLocalRefreshButton);
        app.Win().Click(res::kRemoteRefreshButton);
        app.WaitIdle();
        ::Upload(app, rows, command);
    }
    bool LogEndsWith(const std::string& text) { return app.Log().ends_with(text); }

    std::string savedZone;
    testsupport::PyFtpdServer server;
    testsupport::TempDir local;
    HeadlessApp app;
};

TEST_F(UploadJobs, TheServerCopyCountsAsNewerAfterTheHostAndLocalZoneShift) {
    struct Case {
        const char* what;
        int command, zone;
        std::int64_t localOffset, localMinusListed, clockAhead;
        bool stored;
    };
    const int up = res::kCmdLocalUpload;
    const Case cases[] = {
        {"a second before the listed minute", up, 13, 0, -1, 0, false},
        {"GMT-5: the server's copy is newer after the shift", up, 8, 0, 4 * kHour, 0, false},
        {"overwriting stores it", res::kCmdOverwriteUpload, 8, 0, 4 * kHour, 0, true},
        {"no zone counts as GMT+9", up, 0, 0, -8 * kHour, 0, true},
        {"no zone, older than GMT+9 allows", up, 0, 0, -10 * kHour, 0, false},
        {"local +02:30 counts as +3", up, 13, 9000, 2 * kHour, 0, false},
        {"local +02:20 counts as +2; the same time stores", up, 13, 8400, 2 * kHour, 0, true},
        {"a listed year after 2030 counts as missing", up, 13, 0, 0, 3660 * 24 * kHour, true},
    };
    const std::int64_t listed = (std::time(nullptr) - 10 * 24 * kHour) / 60 * 60;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.Root().Write("f.txt", "old");
        SetModified(server.Root() / "f.txt", listed);
        local.Write("f.txt", "new");
        // The year row's local file is from 1972: only counting as missing stores it.
        SetModified(local / "f.txt", c.clockAhead ? 70000000 : listed + c.localMinusListed);
        app.dialog->Arrange().m_hosts[0].TimeZoneIndex = c.zone;
        app.dialog->Arrange().m_localUtcOffset = [&c](std::int64_t) { return c.localOffset; };
        app.dialog->Arrange().m_clock = [&c] { return std::time(nullptr) + c.clockAhead; };
        Upload({"f.txt"}, c.command);
        EXPECT_EQ(server.Root().Read("f.txt"), c.stored ? "new" : "old");
        EXPECT_TRUE(LogEndsWith(Text(res::kTextUploadCompleted) +
                                (c.stored ? "1" + Text(res::kTextFilesUploaded) : "")));
    }
    testsupport::ExpectBox(app.Win().Boxes().at(0), "Do you wish to upload 1 selected file(s) ?",
                           win::Buttons::YesNo, win::Icon::Question);
}

#ifndef _WIN32
// Linux only: symbolic links, FIFOs and sockets in folders.
TEST_F(UploadJobs, TreesGoLevelByLevelWithoutLinkedFoldersFifosOrSockets) {
    for (const char* file : {"site/a.txt", "site/Up.TXT", "site/sub/b.txt", "site/sub/deep/c"}) {
        local.Write(file, "a");
        SetModified(local / file, std::time(nullptr) - kHour);
    }
    fs::create_directories(local / "empty");
    fs::create_symlink("a.txt", local / "site/alias.txt");
    fs::create_symlink("..", local / "site/sub/up");
    ASSERT_EQ(::mkfifo((local / "site/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mknod((local / "site/sock").c_str(), S_IFSOCK | 0644, 0), 0);
    app.dialog->Arrange().m_options.m_lowercaseFileName = 1;

    Upload({"empty", "site"});
    for (const char* made : {"empty", "site", "site/sub", "site/sub/deep"}) {
        EXPECT_NE(app.Log().find(std::string(">MKD ") + made + "\r\n257"), std::string::npos);
    }
    EXPECT_FALSE(fs::is_symlink(server.Root() / "site/alias.txt"));
    EXPECT_EQ(server.Root().Read("site/alias.txt") + server.Root().Read("site/up.txt"), "aa");
    for (const char* never : {"site/fifo", "site/sock", "site/sub/up"}) {
        EXPECT_FALSE(fs::exists(server.Root() / never)) << never;
    }
    EXPECT_TRUE(LogEndsWith(Text(res::kTextUploadCompleted) + "5" + Text(res::kTextFilesUploaded)));
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList),
              (std::vector<std::string>{"0 empty", "0 site"}));

    // Again: the folders exist (silently), and only the renamed file is not found by its name.
    const std::size_t before = app.Log().size();
    Upload({"empty", "site"});
    const std::string again = app.Log().substr(before);
    EXPECT_EQ(Count(again, ">STOR "), 1) << again;
    EXPECT_EQ(Count(again, ">STOR /site/up.txt"), 1) << again;
    EXPECT_EQ(app.Win().Boxes().size(), 2u) << "the two questions only";
    // The files passed over count as done, with their bytes.
    const std::string summary = app.Win().Get(res::kJobStatus).GetText();
    EXPECT_TRUE(summary.starts_with("5 of 5 files, 5 B of 5 B\n")) << summary;
}
#endif

TEST_F(UploadJobs, CancelFailedStoresAndUploadAllRefusals) {
    local.Write("a.txt", "a");
    app.Win().Click(res::kLocalRefreshButton);
    // A cancel standing when the job starts (the refresh would honour it too).
    app.dialog->Arrange().m_cancelRequested = true;
    ::Upload(app, {"a.txt"}, res::kCmdLocalUpload);
    EXPECT_TRUE(
        LogEndsWith(Text(res::kTextCancellationAccepted) + Text(res::kTextTransferCanceled)));

    // The server has a file where the local tree has a folder: the file below cannot go.
    local.Write("box/sub/x.txt", "x");
    server.Root().Write("box/sub", "a file");
    Upload({"a.txt", "box"});
    EXPECT_TRUE(
        LogEndsWith(Text(res::kTextUploadIncomplete) + "1" + Text(res::kTextFilesUploaded)));

    // Button 1021 asks with both folders; an empty pane has nothing, the drive list no folder.
    app.Win().QueueAnswer(win::kAnswerYes);
    fs::remove(local / "box/sub/x.txt");
    for (const std::string& folder : {local / "box/sub", std::string()}) {
        app.dialog->Arrange().m_localFolder = folder;
        ASSERT_TRUE(app.dialog->ListLocalFolder());
        app.Win().Click(res::kUploadAllButton);
    }
    testsupport::ExpectBoxes(app, {"Do you wish to upload 1 selected file(s) ?",
                                   "Do you wish to upload 2 selected file(s) ?",
                                   local / "box/sub\nto\n/\n" + Text(res::kTextUploadAll),
                                   Text(res::kTextNothingToUpload), Text(res::kTextNoLocalFolder)});
}

TEST(UploadConnectionLost, ADropDuringStorEndsWithDisconnectedAndTheWindowLives) {
    testsupport::Script script;
    script.Login().On("PWD").Reply("257 \"/\" is current\r\n");
    script.DataPreparation("A").On("LIST").Reply("150 Here\r\n").SendData("").Reply("226 Ok\r\n");
    script.DataPreparation("I").On("STOR /a.bin").Reply("150 Send\r\n").ReceiveData().Close();
    testsupport::ScriptedFtpServer server(script);
    HeadlessApp app;
    app.dir.Write("files/a.bin", std::string(100000, 'a'));
    app.dir.Write("files/b.bin", "b");
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    app.WriteSettings(testsupport::SettingsFile()
                          .SetHost(0, {address, "u", "p", app.dir / "files", "", 0})
                          .Body());
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    Upload(app, {"a.bin", "b.bin"}, res::kCmdLocalUpload);
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextDisconnected))) << app.Log();
    EXPECT_FALSE(app.dialog->View().m_connected || app.dialog->IsClosed());
    EXPECT_TRUE(app.Win().Get(res::kHostTab).IsEnabled());
    server.Stop();
    EXPECT_EQ(server.Problems(), "") << "b.bin is never tried";
}

TEST(UploadScript, MenusButtonDragAndDropEachStartAnUpload) {
    testsupport::PyFtpdServer server;
    ASSERT_TRUE(server.Start());
    testsupport::TempDir dir;
    for (const char* file :
         {"local/one.txt", "local/two.txt", "desk/d/in.txt", "desk/x", "desk/y"}) {
        dir.Write(file, "1");
    }
    dir.Write("DEVurorure.ini",
              "[data]\r\n" +
                  testsupport::SettingsFile().SetServerHost(0, server, dir / "local").Body());
    std::istringstream script("click 1012\nwait\nselect 1004 one.txt\n"
                              "answer yes\nmenu 1004 32772\nwait\nanswer yes\nmenu 1004 195\nwait\n"
                              "answer yes\nclick 1021\nwait\n"
                              "select 1004 two.txt\ndrag 1004 1003\nwait\n"
                              "drop " +
                              dir / "desk/d " + dir / "desk/x " + dir / "desk/y\nwait\nclose\n");
    std::ostringstream out, err;
    EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0) << err.str();
    const std::string log = out.str();
    EXPECT_EQ(Count(log, ">STOR /one.txt"), 3) << log << err.str();
    EXPECT_EQ(Count(log, ">STOR /two.txt"), 2) << "all items and the drag";
    EXPECT_TRUE(
        log.ends_with(Text(res::kTextUploadCompleted) + "3" + Text(res::kTextFilesUploaded)))
        << "the drop: a folder and two files";
}

} // namespace

TEST(UploadDosListing, TheTimeTestReadsTheDosDate) {
    // Both files are listed on 10 August 2015 at 14:04 in the server's zone (GMT here).
    const std::string listing = "08-10-15  02:04PM                    1 old.txt\r\n"
                                "08-10-15  02:04PM                    1 new.txt\r\n";
    testsupport::Script script;
    script.Login().On("PWD").Reply("257 \"/\" is current\r\n");
    script.DataPreparation("A")
        .On("LIST")
        .Reply("150 Here\r\n")
        .SendData(listing)
        .Reply("226 Ok\r\n");
    script.DataPreparation("A")
        .On("STOR /new.txt")
        .Reply("150 Send\r\n")
        .ReceiveData()
        .Reply("226 Ok\r\n");
    script.DataPreparation("A")
        .On("LIST")
        .Reply("150 Here\r\n")
        .SendData(listing)
        .Reply("226 Ok\r\n");
    testsupport::ScriptedFtpServer server(script);
    HeadlessApp app;
    app.dir.Write("files/old.txt", "o");
    app.dir.Write("files/new.txt", "n");
    // A day before and a day after the listed time: only the newer file is stored.
    std::filesystem::last_write_time(app.dir / "files/old.txt",
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(24 * 365 * 12));
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    app.WriteSettings(testsupport::SettingsFile()
                          .SetHost(0, {address, "u", "p", app.dir / "files", "", 13})
                          .Body());
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    Upload(app, {"old.txt", "new.txt"}, res::kCmdLocalUpload);
    server.Stop();
    EXPECT_EQ(server.Problems(), "");
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextUploadCompleted) + "1 file(s) uploaded\r\n"))
        << app.Log();
}
