// Mirroring the local folder onto a real FTP server through button 1022 and "&Mirroring": what
// the options and the delete questions let go, what always stays, a second run that finds
// nothing to do; and a scripted listing whose odd rows must never be deleted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/local_time.h"
#include "support/app_support.h"
#include "support/scripted_ftp_server.h"

using testsupport::HeadlessApp;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

constexpr int kGmt = 13; // TimeZoneIndex of a server that lists its times in UTC

void SetAge(const std::string& path, std::chrono::minutes age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

std::string DeleteQuestion(const std::string& name) {
    return Text(res::kTextDeletePrefix) + name + "?";
}

std::string Deleted(int count) {
    return std::to_string(count) + Text(res::kTextFilesDeleted);
}

std::string Uploaded(int count) {
    return std::to_string(count) + Text(res::kTextFilesUploaded);
}

// pyftpdlib lists in UTC; the host is set to that and the local zone is five hours west, so
// every time test goes through a real shift.
class Mirroring : public ::testing::Test {
protected:
    void SetUp() override {
        savedZone = std::getenv("TZ") ? std::getenv("TZ") : "";
        setenv("TZ", "EST5", 1);
        platform::ReloadLocalTimeZone();
        ASSERT_TRUE(server.Start());
        app.WriteSettings(
            testsupport::SettingsFile().SetServerHost(0, server, local.Path(), "", kGmt).Body());
        app.Open();
        app.Win().Click(res::kConnectButton);
        app.WaitIdle();
        ASSERT_TRUE(app.dialog->m_connected) << app.Log();
    }
    void TearDown() override {
        savedZone.empty() ? unsetenv("TZ") : setenv("TZ", savedZone.c_str(), 1);
        platform::ReloadLocalTimeZone();
    }

    void SetOptions(int doNotDelete, int doNotConfirm) {
        app.dialog->m_options.m_doNotDeleteFiles = doNotDelete;
        app.dialog->m_options.m_doNotConfirmDelete = doNotConfirm;
    }
    // Lists the panes again unless the test wants the stale one, then mirrors by button 1022
    // or the local pane's menu, answering Yes and then `answers`. Returns what the log gained.
    std::string Mirror(const std::vector<int>& answers = {}, bool refresh = true,
                       bool button = true) {
        if (refresh) {
            app.Win().Click(res::kLocalRefreshButton);
            app.Win().Click(res::kRemoteRefreshButton);
            app.WaitIdle();
        }
        boxesBefore = app.Win().Boxes().size();
        const std::size_t before = app.Log().size();
        app.Win().QueueAnswer(win::kAnswerYes);
        for (int answer : answers) {
            app.Win().QueueAnswer(answer);
        }
        if (button) {
            app.Win().Click(res::kMirrorButton);
        } else {
            EXPECT_TRUE(app.Win().Select(res::kLocalList, {}));
            app.Win().QueueMenuChoice(res::kCmdMirroring);
            app.Win().RightClick(res::kLocalList);
        }
        app.WaitIdle();
        return app.Log().substr(before);
    }
    // The texts of the boxes the last Mirror showed, its own question left out.
    std::vector<std::string> NewBoxes() {
        std::vector<std::string> texts;
        const auto boxes = app.Win().Boxes();
        for (std::size_t i = boxesBefore + 1; i < boxes.size(); ++i) {
            texts.push_back(boxes[i].text);
        }
        return texts;
    }
    bool OnServer(const std::string& name) {
        return fs::exists(fs::symlink_status(server.Root() / name));
    }

    std::string savedZone;
    testsupport::PyFtpdServer server;
    testsupport::TempDir local;
    HeadlessApp app;
    std::size_t boxesBefore = 0;
};

TEST_F(Mirroring, OptionsAndAnswersDecideWhichExtrasGoAndTheRestAlwaysStays) {
    struct Case {
        const char* what;
        int doNotDelete, doNotConfirm;
        std::vector<int> answers;
        std::vector<std::string> questions;
        bool extraGoes, folderGoes, cancelled;
        std::string end;
    };
    const int no = win::kAnswerNo, yes = win::kAnswerYes, cancel = win::kAnswerCancel;
    const std::string done = Text(res::kTextMirroringCompleted) + Uploaded(1);
    const Case cases[] = {
        {"do not delete, whatever confirm says", 1, 0, {}, {}, false, false, false, done},
        {"do not confirm", 0, 1, {}, {}, true, true, false, done + Deleted(2)},
        {"No keeps one and goes on",
         0,
         0,
         {no, yes},
         {DeleteQuestion("extra.txt"), DeleteQuestion("gone")},
         false,
         true,
         false,
         done + Deleted(1)},
        {"Cancel in the top folder stores nothing",
         0,
         0,
         {cancel},
         {DeleteQuestion("extra.txt")},
         false,
         false,
         true,
         Text(res::kTextCancellationAccepted) + Text(res::kTextTransferCanceled)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const fs::path& dir : {fs::path(server.Root().Path()), fs::path(local.Path())}) {
            for (const auto& entry : fs::directory_iterator(dir)) {
                fs::remove_all(entry.path());
            }
        }
        auto& root = server.Root();
        for (const char* name :
             {"keep.txt", "extra.txt", "gone/sub/x.txt", ".hidden", "old.bak", "ghost.bak"}) {
            root.Write(name, "remote");
        }
        fs::create_symlink("keep.txt", root / "link");
        SetAge(root / "old.bak", std::chrono::minutes(60));
        for (const char* name : {"keep.txt", "old.bak", "new.txt"}) {
            local.Write(name, "local");
        }
        // The server's copy is newer once its listed time is taken in its own zone.
        SetAge(local / "keep.txt", std::chrono::minutes(120));
        // A link to nothing still holds its name here.
        fs::create_symlink("nowhere", local / "ghost.bak");
        SetOptions(c.doNotDelete, c.doNotConfirm);

        const std::string log = Mirror(c.answers, true, &c != &cases[0]);
        EXPECT_TRUE(log.ends_with(c.end)) << log;
        EXPECT_EQ(NewBoxes(), c.questions);
        EXPECT_EQ(OnServer("extra.txt"), !c.extraGoes);
        EXPECT_EQ(OnServer("gone"), !c.folderGoes);
        EXPECT_EQ(OnServer("new.txt"), !c.cancelled);
        for (const char* stays : {".hidden", "link", "ghost.bak"}) {
            EXPECT_TRUE(OnServer(stays)) << stays;
        }
        EXPECT_EQ(root.Read("keep.txt") + root.Read("old.bak"), "remoteremote");
    }
    const auto boxes = app.Win().Boxes();
    testsupport::ExpectBox(boxes.at(boxes.size() - 2),
                           local.Path() + "\nto\n/\n" + Text(res::kTextStartMirroring),
                           win::Buttons::YesNo, win::Icon::Question);
    testsupport::ExpectBox(boxes.back(), DeleteQuestion("extra.txt"), win::Buttons::YesNoCancel,
                           win::Icon::Question);
}

TEST_F(Mirroring, ATreeIsMadeACopyFolderByFolderAndASecondRunFindsNothingToDo) {
    for (const char* file : {"a.txt", "site/b.txt", "site/sub/c.txt"}) {
        local.Write(file, file);
        // Listings show whole minutes: the copies the server makes now must list as newer.
        SetAge(local / file, std::chrono::minutes(5));
    }
    server.Root().Write("site/stale.txt", "x");
    server.Root().Write("site/sub/old/deep.txt", "x");
    SetOptions(0, 1);

    std::string log = Mirror();
    EXPECT_TRUE(log.ends_with(Text(res::kTextMirroringCompleted) + Uploaded(3) + Deleted(2)))
        << log;
    EXPECT_EQ(server.Root().Read("site/sub/c.txt"), "site/sub/c.txt");
    EXPECT_FALSE(OnServer("site/stale.txt") || OnServer("site/sub/old"));

    log = Mirror();
    EXPECT_TRUE(log.ends_with(Text(res::kTextMirroringCompleted))) << log;
    for (const char* command : {">STOR", ">DELE", ">RMD"}) {
        EXPECT_EQ(log.find(command), std::string::npos) << command << "\n" << log;
    }
}

TEST_F(Mirroring, AStalePaneDeletesByWhatItShowsAndAnEmptyPaneMirrorsNothing) {
    local.Write("a.txt", "a");
    server.Root().Write("listed.txt", "x");
    SetOptions(0, 1);
    app.Win().Click(res::kLocalRefreshButton);
    app.Win().Click(res::kRemoteRefreshButton);
    app.WaitIdle();
    // The server changes behind the pane's back.
    fs::remove(server.Root() / "listed.txt");
    server.Root().Write("unlisted.txt", "x");

    const std::string log = Mirror({}, false);
    EXPECT_NE(log.find(">DELE /listed.txt\r\n550"), std::string::npos) << log;
    EXPECT_TRUE(OnServer("unlisted.txt"));

    fs::remove(local / "a.txt");
    Mirror();
    EXPECT_EQ(NewBoxes(), std::vector<std::string>{Text(res::kTextNothingToUpload)});
    EXPECT_TRUE(OnServer("unlisted.txt") && OnServer("a.txt"));
}

TEST(MirroringListing, RowsThatDoNotReadAsEntriesAndUnsafeNamesStay) {
    const std::string listing = "total 9\r\n"
                                "-rw-r--r-- 1 u g 1 Jan 1 2030 keep.txt\r\n"
                                "-rw-r--r-- 1 u g 1 Jan 1 2020 Keep.txt\r\n"
                                "-rw-r--r-- 1 u g 1 Jan 1 notes on keep.txt\r\n"
                                "-rw-r--r-- 1 u g many Jan 1 2020 size.txt\r\n"
                                "-rw-r--r-- 1 u g 1 Jan first 2020 day.txt\r\n"
                                "-rw-r--r-- 1 u g 1 Jan 1 2020 a\\b\r\n"
                                "-rw-r--r-- 1 u g 1 Jan 1 2020 tab\there\r\n"
                                "drwxr-xr-x 2 u g 0 Jan 1 2020 ..\r\n"
                                "lrwxrwxrwx 1 u g 8 Jan 1 2020 ln -> Keep.txt\r\n";
    auto list = [](support::Script& s, const std::string& data) {
        s.DataPreparation("A").On("LIST").Reply("150 Here\r\n").SendData(data).Reply("226 Ok\r\n");
    };
    support::Script script;
    script.Login().On("PWD").Reply("257 \"/\" is current\r\n");
    list(script, listing);
    // Only the name that differs from the local one in letter case goes; keep.txt is newer.
    script.On("DELE /Keep.txt").Reply("250 Gone\r\n");
    list(script, listing);
    support::ScriptedFtpServer server(script);

    HeadlessApp app;
    app.dir.Write("files/keep.txt", "k");
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    app.WriteSettings(testsupport::SettingsFile()
                          .SetHost(0, {address, "u", "p", app.dir / "files", "", kGmt})
                          .Set("c2", "1")
                          .Body());
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().Click(res::kMirrorButton);
    app.WaitIdle();
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextMirroringCompleted) + Deleted(1))) << app.Log();
    server.Stop();
    EXPECT_EQ(server.Problems(), "");
}

} // namespace
