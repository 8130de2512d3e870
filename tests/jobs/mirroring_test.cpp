// Mirroring onto a real FTP server through button 1022 and "&Mirroring": what the options and
// the delete questions let go, what always stays, a second run with nothing to do; and a
// scripted listing whose odd rows must never be deleted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/local_time.h"
#include "support/app_support.h"
#include "support/environment.h"
#include "support/scripted_ftp_server.h"

using testsupport::Text;
namespace fs = std::filesystem;

namespace {

constexpr int kGmt = 13; // TimeZoneIndex of a server that lists its times in UTC

void SetAge(const std::string& path, int minutes) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(minutes));
}

[[maybe_unused]] std::string Question(const std::string& name) {
    return Text(res::kTextDeletePrefix) + name + "?";
}

// pyftpdlib lists in UTC and the host says so; the local zone is five hours west, so every
// time test goes through a real shift.
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
        ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    }
    void TearDown() override {
        savedZone.empty() ? unsetenv("TZ") : setenv("TZ", savedZone.c_str(), 1);
        platform::ReloadLocalTimeZone();
    }
    void Refresh() {
        app.Win().Click(res::kLocalRefreshButton);
        app.Win().Click(res::kRemoteRefreshButton);
        app.WaitIdle();
    }
    // "&Mirroring" from the local pane's menu, Yes and then `answers`; returns what the log
    // gained and keeps the boxes shown after the first question.
    std::string Mirror(const std::vector<int>& answers = {}) {
        const std::size_t boxesBefore = app.Win().Boxes().size();
        const std::size_t before = app.Log().size();
        app.Win().QueueAnswer(win::kAnswerYes);
        for (int answer : answers) {
            app.Win().QueueAnswer(answer);
        }
        app.Win().QueueMenuChoice(res::kCmdMirroring);
        app.Win().RightClick(res::kLocalList);
        app.WaitIdle();
        boxes.clear();
        for (std::size_t i = boxesBefore + 1; i < app.Win().Boxes().size(); ++i) {
            boxes.push_back(app.Win().Boxes()[i].text);
        }
        return app.Log().substr(before);
    }
    bool OnServer(const std::string& name) {
        return fs::exists(fs::symlink_status(server.Root() / name));
    }

    std::string savedZone;
    testsupport::PyFtpdServer server;
    testsupport::TempDir local;
    testsupport::HeadlessApp app;
    std::vector<std::string> boxes;
};

// A dangling link is one of the local names; Wine lists no dangling Unix link and cannot make a
// Windows one.
#ifndef _WIN32
TEST_F(Mirroring, OptionsAndAnswersDecideWhichExtrasGoAndTheRestAlwaysStays) {
    const int no = win::kAnswerNo, yes = win::kAnswerYes, cancel = win::kAnswerCancel;
    struct Case {
        const char* what;
        int doNotDelete, doNotConfirm;
        std::vector<int> answers; // after the first question; one per extra asked about
        const char* onServer;     // which of extra.txt, gone and new.txt are there afterwards
        int deleted;              // -1: the job was cancelled
    };
    const Case cases[] = {
        {"do not delete, whatever confirm says", 1, 0, {}, "extra.txt gone new.txt ", 0},
        {"do not confirm", 0, 1, {}, "new.txt ", 2},
        {"No keeps one and goes on", 0, 0, {no, yes}, "extra.txt new.txt ", 1},
        {"Cancel in the top folder stores nothing", 0, 0, {cancel}, "extra.txt gone ", -1},
    };
    const std::vector<std::string> questions = {Question("extra.txt"), Question("gone")};
    auto& root = server.Root();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& dir : {root.Path(), local.Path()}) {
            for (const auto& entry : fs::directory_iterator(dir)) {
                fs::remove_all(entry.path());
            }
        }
        for (const char* name :
             {"keep.txt", "extra.txt", "gone/sub/x.txt", ".hidden", "old.bak", "ghost.bak"}) {
            root.Write(name, "remote");
        }
        testsupport::MakeServerLink("keep.txt", root / "link");
        SetAge(root / "old.bak", 60);
        for (const char* name : {"keep.txt", "old.bak", "new.txt"}) {
            local.Write(name, "local");
        }
        SetAge(local / "keep.txt", 120); // the server's copy is newer in the server's zone
        fs::create_symlink("nowhere", local / "ghost.bak"); // a dangling link is a name too
        app.dialog->Arrange().m_options.m_doNotDeleteFiles = c.doNotDelete;
        app.dialog->Arrange().m_options.m_doNotConfirmDelete = c.doNotConfirm;
        Refresh();

        const std::string log = Mirror(c.answers);
        std::string end = Text(res::kTextMirroringCompleted) + "1" + Text(res::kTextFilesUploaded);
        if (c.deleted != 0) {
            end = c.deleted < 0
                      ? Text(res::kTextCancellationAccepted) + Text(res::kTextTransferCanceled)
                      : end + std::to_string(c.deleted) + Text(res::kTextFilesDeleted);
        }
        EXPECT_TRUE(log.ends_with(end)) << log;
        EXPECT_EQ(boxes, std::vector(questions.begin(), questions.begin() + c.answers.size()));
        std::string present;
        for (const char* name : {"extra.txt", "gone", "new.txt"}) {
            present += OnServer(name) ? std::string(name) + " " : "";
        }
        EXPECT_EQ(present, c.onServer);
        EXPECT_TRUE(OnServer(".hidden") && OnServer("link") && OnServer("ghost.bak"));
        EXPECT_EQ(root.Read("keep.txt") + root.Read("old.bak"), "remoteremote");
    }
    const auto all = app.Win().Boxes();
    testsupport::ExpectBox(all.at(all.size() - 2),
                           local.Path() + "\nto\n/\n" + Text(res::kTextStartMirroring),
                           win::Buttons::YesNo, win::Icon::Question);
    testsupport::ExpectBox(all.back(), questions[0], win::Buttons::YesNoCancel,
                           win::Icon::Question);
}
#endif

TEST_F(Mirroring, FolderByFolderThenASecondRunFindsNothingToDo) {
    for (const char* file : {"a.txt", "site/b.txt", "site/sub/c.txt"}) {
        local.Write(file, file);
        SetAge(local / file, 5); // listings show whole minutes: the copies made now list newer
    }
    server.Root().Write("site/stale.txt", "x");
    server.Root().Write("site/sub/old/deep.txt", "x");
    app.dialog->Arrange().m_options.m_doNotConfirmDelete = 1;
    Refresh();
    std::string log = Mirror();
    EXPECT_TRUE(log.ends_with(Text(res::kTextMirroringCompleted) + "3" +
                              Text(res::kTextFilesUploaded) + "2" + Text(res::kTextFilesDeleted)))
        << log;
    EXPECT_EQ(server.Root().Read("site/sub/c.txt"), "site/sub/c.txt");
    EXPECT_FALSE(OnServer("site/stale.txt") || OnServer("site/sub/old"));

    Refresh();
    log = Mirror();
    EXPECT_TRUE(log.ends_with(Text(res::kTextMirroringCompleted))) << log;
    for (const char* command : {">STOR", ">DELE", ">RMD"}) {
        EXPECT_EQ(log.find(command), std::string::npos) << command << "\n" << log;
    }

    // A stale pane deletes by the listing it shows; an empty pane mirrors nothing at all.
    server.Root().Write("old.txt", "x");
    Refresh();
    fs::rename(server.Root() / "old.txt", server.Root() / "unlisted.txt");
    log = Mirror();
    EXPECT_NE(log.find(">DELE /old.txt\r\n550"), std::string::npos) << log;
    EXPECT_TRUE(OnServer("unlisted.txt"));
    for (const char* file : {"a.txt", "site"}) {
        fs::remove_all(local / file);
    }
    Refresh();
    Mirror();
    EXPECT_EQ(boxes, std::vector<std::string>{Text(res::kTextNothingToUpload)});
    EXPECT_TRUE(OnServer("unlisted.txt") && OnServer("site"));
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
    testsupport::Script script;
    auto list = [&script, &listing] {
        script.DataPreparation("A").On("LIST").Reply("150 Here\r\n").SendData(listing);
        script.Reply("226 Ok\r\n");
    };
    script.Login().On("PWD").Reply("257 \"/\" is current\r\n");
    list();
    // Only the name that differs from the local one in letter case goes.
    script.On("DELE /Keep.txt").Reply("250 Gone\r\n");
    list();
    testsupport::ScriptedFtpServer server(script);
    testsupport::HeadlessApp app;
    app.dir.Write("files/keep.txt", "k"); // older than its listed copy: not stored
    app.WriteSettings("Sname=127.0.0.1:" + std::to_string(server.Port()) +
                      ";\r\nUname=u;\r\npin=p;\r\nlc=" + app.dir / "files;\r\nc2=1\r\n");
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().Click(res::kMirrorButton);
    app.WaitIdle();
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextMirroringCompleted) + "1" +
                                    Text(res::kTextFilesDeleted)))
        << app.Log();
    server.Stop();
    EXPECT_EQ(server.Problems(), "");
}

} // namespace
