// The download as the user starts it (remote pane menu, its question, the job) against a real
// FTP server, and against a scripted one where the server's exact bytes matter: names chosen to
// escape the local folder, links planted locally, a size beyond 32 bits, a dropped connection.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "platform/system_error.h"
#include "support/app_support.h"
#include "support/scripted_ftp_server.h"

using testsupport::HeadlessApp;
using testsupport::OpenAndConnect;
using testsupport::PyFtpdServer;
using testsupport::TempDir;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

// Bytes of every value, in an order that differs by seed.
std::string Pattern(std::size_t size, unsigned seed) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xff);
    }
    return data;
}

void SetAge(const std::string& path, std::chrono::hours age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

std::string DownloadQuestion(int count) {
    return Text(res::kTextDownloadPrefix) + std::to_string(count) + Text(res::kTextSelectedFiles);
}

// Selects remote rows and chooses "Down&laod" from the pane's menu; `answers` go to the boxes
// in order, the confirmation first. Returns what the log gained.
std::string Download(HeadlessApp& app, const std::vector<std::string>& rows,
                     const std::vector<int>& answers) {
    const std::size_t before = app.Log().size();
    EXPECT_TRUE(app.Win().Select(res::kRemoteList, rows));
    for (int answer : answers) {
        app.Win().QueueAnswer(answer);
    }
    app.Win().QueueMenuChoice(res::kCmdDownload);
    app.Win().RightClick(res::kRemoteList);
    app.WaitIdle();
    return app.Log().substr(before);
}

const std::string kCompleted = "File download completed successfully.\r\n";

class DownloadJobs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()) << "pyftpdlib did not start"; }

    void Connect() {
        app.WriteSettings(
            testsupport::SettingsFile().SetServerHost(0, server, local.Path()).Body());
        app.Open();
        app.Win().Click(res::kConnectButton);
        app.WaitIdle();
        ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    }

    PyFtpdServer server;
    TempDir local;
    HeadlessApp app;
};

TEST_F(DownloadJobs, EachFileIsFetchedResumedOrLeftAloneByItsLocalCopy) {
    struct Case {
        const char* name;
        int localSize; // -1: no local copy; a local copy is the remote's start, then "+" bytes
        std::vector<int> resumeAnswer; // the resume question is asked when one is given
        const char* sent;              // nullptr: nothing; else RETR or REST
    };
    const std::string data = Pattern(20000, 1);
    const std::vector<Case> cases = {
        {"fresh.bin", -1, {}, "RETR"},
        {"current.bin", 20000, {}, nullptr},
        // Shorter: asked even though the local copy is the newer one.
        {"resumed.bin", 5000, {win::kAnswerYes}, "REST 5000"},
        {"declined.bin", 5000, {win::kAnswerNo}, "RETR"},
        // Longer and newer than the server's: replaced only after a Yes.
        {"longer.bin", 20003, {win::kAnswerYes}, "RETR"},
        {"kept.bin", 20003, {win::kAnswerNo}, nullptr},
    };
    for (const Case& c : cases) {
        server.Root().Write(c.name, data);
        SetAge(server.Root() / c.name, std::chrono::hours(48));
        if (c.localSize >= 0) {
            local.Write(c.name, c.localSize > 20000 ? data + "+++" : data.substr(0, c.localSize));
        }
    }
    Connect();
    std::vector<bool> enabledDuringJob;
    app.Win().SetBoxObserver([&](const headless::BoxRecord& box) {
        if (box.text == Text(res::kTextResumeDownload)) {
            enabledDuringJob.push_back(app.Win().Get(res::kRemotePathCombo).IsEnabled() ||
                                       app.Win().Get(res::kHostTab).IsEnabled());
        }
    });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t boxesBefore = app.Win().Boxes().size();
        std::vector<int> answers = {win::kAnswerYes};
        answers.insert(answers.end(), c.resumeAnswer.begin(), c.resumeAnswer.end());
        const std::string log = Download(app, {c.name}, answers);

        auto boxes = app.Win().Boxes();
        ASSERT_EQ(boxes.size(), boxesBefore + answers.size());
        testsupport::ExpectBox(boxes[boxesBefore], DownloadQuestion(1), win::Buttons::YesNo,
                               win::Icon::Question);
        EXPECT_EQ(local.Read(c.name),
                  c.sent == nullptr && c.localSize > 20000 ? data + "+++" : data);
        if (c.sent == nullptr) {
            // Up to date, or kept: nothing sent, nothing counted.
            EXPECT_EQ(log, kCompleted);
            continue;
        }
        EXPECT_NE(log.find(">" + std::string(c.sent)), std::string::npos) << log;
        EXPECT_EQ(log.find(">REST") != std::string::npos, std::string(c.sent).starts_with("REST"));
        EXPECT_TRUE(log.ends_with("1 file(s) downloaded\r\n" + kCompleted)) << log;
    }
    EXPECT_EQ(enabledDuringJob, std::vector<bool>(2, false)) << "combo 1006 and the tabs";
    EXPECT_TRUE(app.Win().Get(res::kRemotePathCombo).IsEnabled());
    EXPECT_TRUE(app.Win().Get(res::kHostTab).IsEnabled());

    // The local pane showing the drive list has no folder to download into.
    for (int i = 0; i < 20 && !app.dialog->View().m_localFolder.empty(); ++i) {
        app.Win().Click(res::kLocalUpButton);
    }
    const std::size_t boxesBefore = app.Win().Boxes().size();
    EXPECT_EQ(Download(app, {"fresh.bin"}, {win::kAnswerYes}), "");
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), boxesBefore + 2);
    EXPECT_EQ(boxes.back().text, Text(res::kTextNoLocalFolder));
}

TEST_F(DownloadJobs, FolderTreesArriveWholeWithoutTheirLinksAndDotNames) {
    auto& root = server.Root();
    root.Write("tree/one.bin", Pattern(3000, 2));
    root.Write("tree/a/two.bin", Pattern(70000, 3));
    root.Write("tree/a/b/three.bin", Pattern(1, 4));
    root.Write("tree/.hidden", "h");
    root.Write("data.bin", Pattern(5000, 5));
    fs::create_directory(root / "tree/empty");
    testsupport::MakeServerLink("one.bin", root / "tree/inner");
    testsupport::MakeServerLink("data.bin", root / "lnk");
    Connect();

    const std::string log = Download(app, {"tree", "lnk -> data.bin"}, {win::kAnswerYes});
    EXPECT_EQ(app.Win().Boxes().at(0).text, DownloadQuestion(2));
    for (const char* file : {"tree/one.bin", "tree/a/two.bin", "tree/a/b/three.bin"}) {
        EXPECT_EQ(local.Read(file), root.Read(file)) << file;
    }
    EXPECT_TRUE(fs::is_directory(local / "tree/empty"));
    EXPECT_FALSE(fs::exists(local / "tree/.hidden"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(local / "tree/inner")));
    // The link at the top is fetched under its own name, as a file.
    EXPECT_EQ(local.Read("lnk"), root.Read("data.bin"));
    EXPECT_NE(log.find(">RETR lnk\r\n"), std::string::npos) << log;
    EXPECT_TRUE(log.ends_with("4 file(s) downloaded\r\n" + kCompleted)) << log;
    EXPECT_EQ(testsupport::Rows(app, res::kLocalList),
              (std::vector<std::string>{"0 tree", "15 lnk"}));
    // Beside the byte counter, the job summed up: a link's size is not known, so no total.
    const std::string summary = app.Win().Get(res::kJobStatus).GetText();
    EXPECT_TRUE(summary.starts_with("4 of 4 files, 76 KB\n")) << summary;
    EXPECT_NE(summary.find("/s, took 0:0"), std::string::npos) << summary;
}

TEST_F(DownloadJobs, CancelAnsweredNoFinishesYesStopsAndTheRestResumesLater) {
    const std::string data = Pattern(4 << 20, 6);
    server.Root().Write("big.bin", data);
    Connect();
    // The cancel request stands when the first block arrives, as after a click on 1016.
    app.dialog->Arrange().m_cancelRequested = true;
    std::string log = Download(app, {"big.bin"}, {win::kAnswerYes, win::kAnswerNo});
    EXPECT_EQ(app.Win().Boxes().back().text, Text(res::kTextCancelDownload));
    EXPECT_TRUE(log.ends_with("1 file(s) downloaded\r\n" + kCompleted)) << log;
    EXPECT_EQ(local.Read("big.bin"), data);

    fs::remove(local / "big.bin");
    app.dialog->Arrange().m_cancelRequested = true;
    log = Download(app, {"big.bin"}, {win::kAnswerYes, win::kAnswerYes});
    EXPECT_TRUE(log.ends_with(Text(res::kTextDownloadCanceled))) << log;
    EXPECT_FALSE(app.dialog->View().m_cancelRequested);
    // What came waits beside the file's place, which stays empty until the file is whole.
    EXPECT_FALSE(fs::exists(local / "big.bin"));
    const auto partial = fs::file_size(local / "big.bin.ftpquorrel-part");
    ASSERT_GT(partial, 0u);
    ASSERT_LT(partial, data.size());

    log = Download(app, {"big.bin"}, {win::kAnswerYes, win::kAnswerYes});
    EXPECT_EQ(app.Win().Boxes().back().text, Text(res::kTextResumeDownload));
    EXPECT_NE(log.find(">REST " + std::to_string(partial) + "\r\n350"), std::string::npos) << log;
    EXPECT_EQ(local.Read("big.bin"), data);
    EXPECT_FALSE(fs::exists(local / "big.bin.ftpquorrel-part"));
    EXPECT_TRUE(log.ends_with(kCompleted)) << log;
}

// A listing line of the long UNIX format.
std::string Line(const std::string& permissions, const std::string& size, const std::string& name) {
    return permissions + " 1 owner group " + size + " Jan  1  2020 " + name + "\r\n";
}

// Every path below `dir`, links not followed.
[[maybe_unused]] std::set<std::string> Tree(const std::string& dir) {
    std::set<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        paths.insert(e.path().lexically_relative(dir).string());
    }
    return paths;
}

// Wine shows a Unix link as what it leads to, and cannot make a Windows one: the links this
// test plants are never seen as links there.
#ifndef _WIN32
TEST(DownloadFromScriptedServer, ServerNamesAndPlantedLinksNeverLeadOutsideTheLocalFolder) {
    const std::string folder = "drwxr-xr-x";
    const std::string file = "-rw-r--r--";
    testsupport::Script script = testsupport::Script::Connected(
        Line(folder, "0", "evil") + Line(folder, "0", "linked") + Line(file, "5", "a/b") +
        Line(file, "5", "planted.bin") + Line(file, "5368709120", "huge.iso"));
    script.Listing("LIST /evil",
                   Line(file, "5", "../evil") + Line(file, "5", "a/b") + Line(folder, "0", "..") +
                       Line(file, "5", "bad\x01name") + Line(folder, "0", "back\\slash") +
                       Line("lrwxrwxrwx", "4", "out -> /tmp") + Line(file, "5", "ok.bin"));
    script.DataPreparation("I")
        .On("RETR /evil/ok.bin")
        .Reply("150 Sending.\r\n")
        .SendData("hello")
        .Reply("226 Sent.\r\n");
    testsupport::ScriptedFtpServer server(script);

    TempDir dir;
    fs::create_directories(dir / "local");
    dir.Write("outside/secret.bin", "secret");
    fs::create_symlink("../outside/secret.bin", dir / "local/planted.bin");
    fs::create_symlink("../outside", dir / "local/linked");
    // Listed at 5 GiB and older: an equal local size is up to date only when read in 64 bits.
    std::ofstream(dir / "local/huge.iso").close();
    fs::resize_file(dir / "local/huge.iso", 5368709120u);

    HeadlessApp app;
    OpenAndConnect(app, server.Port(), dir / "local");
    const std::string log =
        Download(app, {"evil", "linked", "a/b", "planted.bin", "huge.iso"}, {win::kAnswerYes});
    server.Stop();
    EXPECT_EQ(server.Problems(), "");

    testsupport::ExpectBoxes(app, {DownloadQuestion(5), platform::SystemErrorText(ELOOP),
                                   platform::SystemErrorText(ELOOP)});
    EXPECT_TRUE(log.ends_with("1 file(s) downloaded\r\n" + Text(res::kTextDownloadIncomplete)))
        << log;
    EXPECT_EQ(dir.Read("outside/secret.bin"), "secret");
    EXPECT_EQ(Tree(dir.Path()),
              (std::set<std::string>{"local", "local/evil", "local/evil/ok.bin", "local/huge.iso",
                                     "local/linked", "local/planted.bin", "outside",
                                     "outside/secret.bin"}));
    EXPECT_EQ(dir.Read("local/evil/ok.bin"), "hello");
}
#endif

TEST(DownloadFromScriptedServer, ConnectionDroppedMidFileEndsWithDisconnectedAlone) {
    testsupport::Script script =
        testsupport::Script::Connected(Line("-rw-r--r--", "100000", "big.bin"));
    script.DataPreparation("I")
        .On("RETR big.bin")
        .Reply("150 Sending.\r\n")
        .SendData(std::string(40000, 'x'))
        .Close();
    testsupport::ScriptedFtpServer server(script);
    TempDir local;
    HeadlessApp app;
    OpenAndConnect(app, server.Port(), local.Path());
    const std::string log = Download(app, {"big.bin"}, {win::kAnswerYes});
    server.Stop();

    EXPECT_FALSE(app.dialog->View().m_connected);
    EXPECT_TRUE(log.ends_with(Text(res::kTextDisconnected))) << log;
    EXPECT_EQ(log.find(Text(res::kTextFilesDownloaded)), std::string::npos) << log;
    EXPECT_EQ(fs::file_size(local / "big.bin.ftpquorrel-part"), 40000u); // for a resume
    EXPECT_TRUE(app.Win().Get(res::kRemotePathCombo).IsEnabled());
    EXPECT_TRUE(app.Win().Get(res::kHostTab).IsEnabled());
}

} // namespace

namespace {

TEST(DownloadFromScriptedServer, AFileFromADosListingComesUnderItsNameAndItsSizeAsksToResume) {
    // 5,000 bytes listed; 3,000 of them already here, newer than the listing.
    testsupport::Script script = testsupport::Script::AtRoot();
    script.Listing("LIST", "08-10-15  02:04PM       <DIR>          Billing\r\n"
                           "11-20-14  12:36PM                 5000 Disc Intercity.tsv\r\n");
    script.DataPreparation("I")
        .On("REST 3000")
        .Reply("350 Restarting at 3000.\r\n")
        .On("RETR Disc Intercity.tsv")
        .Reply("150 Sending.\r\n")
        .SendData(std::string(2000, 'b'))
        .Reply("226 Sent.\r\n");
    testsupport::ScriptedFtpServer server(script);
    TempDir local;
    local.Write("Disc Intercity.tsv", std::string(3000, 'a'));
    HeadlessApp app;
    OpenAndConnect(app, server.Port(), local.Path());
    EXPECT_EQ(testsupport::Rows(app, res::kRemoteList),
              (std::vector<std::string>{"0 Billing", "15 Disc Intercity.tsv"}));
    Download(app, {"Disc Intercity.tsv"}, {win::kAnswerYes, win::kAnswerYes});
    server.Stop();
    EXPECT_EQ(server.Problems(), "");
    testsupport::ExpectBoxes(app, {DownloadQuestion(1), Text(res::kTextResumeDownload)});
    EXPECT_EQ(fs::file_size(local / "Disc Intercity.tsv"), 5000u);
}

} // namespace
