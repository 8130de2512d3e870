// The attacks that once lost local files, held the program or reached the terminal, each met
// by the whole program: a download that fails keeps the local copy, a server that ignores REST
// or trickles its replies is found out, endless trees end, a FIFO in the way stops nothing,
// script mode prints what the server sends harmlessly, and a crash leaves no core file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app/script_mode.h"
#include "ftp/ftp_client.h"
#include "hostile/hostile_support.h"
#include "platform/system_error.h"
#include "support/pyftpd_server.h"
#include "ui/job_inputs.h"

namespace hostile {
namespace {

using testsupport::TempDir;

std::string Sized(const std::string& name, std::size_t size) {
    return "-rw-r--r-- 1 u g " + std::to_string(size) + " Jan 1 2020 " + name + "\r\n";
}

// The root's listing, its data a byte every 100 ms.
testsupport::Script TricklingListing() {
    testsupport::Script listing = testsupport::Script::AtRoot();
    listing.DataPreparation("A")
        .On("LIST")
        .Reply("150 Here it comes.\r\n")
        .TrickleData(std::string(1000, 'x'), 100);
    return listing;
}

// The program connected to a scripted server, its local folder holding `localFiles`.
struct Attacked {
    explicit Attacked(testsupport::Script script) : server(std::move(script)) {}
    void Open(const std::vector<std::pair<std::string, std::string>>& localFiles) {
        for (const auto& [name, content] : localFiles) {
            local.Write(name, content);
        }
        OpenAndConnect(app, server.Port(), local.Path());
    }
    // Opens and presses connect, then lets the server hold the job for 300 ms.
    void StartConnecting() {
        app.WriteSettings("Sname=127.0.0.1:" + std::to_string(server.Port()) +
                          ";\r\nUname=u;\r\npin=p;\r\n");
        app.Open();
        app.Win().Click(res::kConnectButton);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::string Download(const std::string& name, std::vector<int> answers) {
        answers.insert(answers.begin(), win::kAnswerYes);
        return RunMenu(app, res::kRemoteList, {name}, res::kCmdDownload, answers);
    }

    testsupport::ScriptedFtpServer server;
    TempDir local;
    HeadlessApp app;
};

TEST(Attacks, AFailedDownloadKeepsTheLocalCopyAndALyingRestIsFoundOut) {
    // 150, no data, 426: the local file as it was, not emptied at the 150.
    testsupport::Script failing = testsupport::Script::Connected(Sized("f.bin", 19));
    failing.DataPreparation("I")
        .On("RETR f.bin")
        .Reply("150 Sending.\r\n")
        .SendData("")
        .Reply("426 Aborted.\r\n");
    Attacked first(failing);
    first.Open({{"f.bin", "my own 17 bytes!!"}});
    std::string log = first.Download("f.bin", {});
    EXPECT_EQ(first.local.Read("f.bin"), "my own 17 bytes!!");
    EXPECT_TRUE(log.ends_with(Text(res::kTextDownloadIncomplete))) << log;

    // REST 9 accepted, then the whole file from its start: 29 bytes would be no file at all.
    const std::string whole = "0123456789abcdefghij";
    testsupport::Script lying = testsupport::Script::Connected(Sized("g.bin", whole.size()));
    lying.DataPreparation("I")
        .On("REST 9")
        .Reply("350 Restarting at 9.\r\n")
        .On("RETR g.bin")
        .Reply("150 Sending.\r\n")
        .SendData(whole)
        .Reply("226 Sent.\r\n");
    Attacked second(lying);
    second.Open({{"g.bin", whole.substr(0, 9)}});
    log = second.Download("g.bin", {win::kAnswerYes});
    EXPECT_EQ(second.local.Read("g.bin"), whole.substr(0, 9)) << "cut back to what it was";
    EXPECT_EQ(second.app.Win().Boxes().back().text,
              Text(res::kTextNotWhole) + "g.bin\n29" + Text(res::kTextNotWholeSizes) + "20.");
    EXPECT_TRUE(log.ends_with(Text(res::kTextDownloadIncomplete))) << log;
}

TEST(Attacks, AFifoWhereAFileGoesStopsThatFileAndNothingElse) {
    testsupport::Script script = testsupport::Script::Connected(Sized("pipe.bin", 10));
    Attacked run(script);
    run.Open({});
    ASSERT_EQ(::mkfifo((run.local / "pipe.bin").c_str(), 0600), 0);
    const std::string log = run.Download("pipe.bin", {});
    EXPECT_TRUE(log.ends_with(Text(res::kTextDownloadIncomplete))) << log;
    EXPECT_EQ(log.find(">RETR"), std::string::npos) << log;
    EXPECT_EQ(run.app.Win().Boxes().back().text,
              run.local / "pipe.bin\n" + Text(res::kTextNotRegularFile));
}

// With short limits for the length of a test.
class Trickle : public ::testing::Test {
protected:
    void SetUp() override { ftp::FtpClient::SetCompletionLimit(1500); }
    void TearDown() override { ftp::FtpClient::SetCompletionLimit(5 * 60000); }

    // `text` one byte at a time, 100 ms apart.
    static void Trickled(testsupport::Script& script, const std::string& text) {
        for (char c : text) {
            script.Reply(std::string(1, c)).Pause(100);
        }
    }
};

TEST_F(Trickle, RepliesAndListingsThatNeverEndCountAsAServerThatStoppedAnswering) {
    const std::string stopped = Text(res::kTextStoppedAnswering) + Text(res::kTextDisconnected);
    testsupport::Script pwd;
    pwd.Login().On("PWD");
    Trickled(pwd, "257 \"/\" is the current directory, and this reply goes on and on\r\n");
    Attacked first(pwd);
    first.Open({});
    EXPECT_FALSE(first.app.dialog->View().m_connected);
    EXPECT_NE(first.app.Log().find(stopped), std::string::npos) << first.app.Log();

    Attacked second(TricklingListing());
    second.Open({});
    EXPECT_FALSE(second.app.dialog->View().m_connected);
    EXPECT_TRUE(second.app.Log().ends_with(stopped)) << second.app.Log();
}

TEST(Attacks, CancelEndsAConnectOrAListingThatTheServerHolds) {
    // The greeting never comes; the user cancels.
    testsupport::Script silent = testsupport::Script().Greeting("");
    Attacked first(silent);
    first.StartConnecting();
    first.app.dialog->Arrange().m_cancelRequested = true;
    first.app.WaitIdle();
    EXPECT_FALSE(first.app.dialog->View().m_connected);
    EXPECT_NE(first.app.Log().find(Text(res::kTextWaitCanceled)), std::string::npos)
        << first.app.Log();
    EXPECT_FALSE(first.app.dialog->View().m_cancelRequested) << "honoured, so cleared";

    // A listing trickles; the connect button, pressed again, cancels it as the cancel button
    // does.
    Attacked second(TricklingListing());
    second.StartConnecting();
    EXPECT_TRUE(second.app.Win().Get(res::kCancelButton).IsEnabled());
    second.app.Win().Click(res::kConnectButton);
    second.app.WaitIdle();
    EXPECT_FALSE(second.app.dialog->View().m_connected);
    EXPECT_TRUE(
        second.app.Log().ends_with(Text(res::kTextWaitCanceled) + Text(res::kTextDisconnected)))
        << second.app.Log();
}

// Real trees on a real server: one deeper than a job goes, one with more folders than a job
// lists (the limit lowered for the test).
TEST(Attacks, EndlessTreesEndWithAMessage) {
    testsupport::PyFtpdServer server;
    ASSERT_TRUE(server.Start());
    std::string deep = "deep";
    for (int level = 1; level <= ui::TreeWalkBounds::kMaxDepth + 5; ++level) {
        deep += "/d";
    }
    std::filesystem::create_directories(server.Root() / deep);
    for (int i = 0; i < 64; ++i) { // a binary tree of 127 folders
        std::string path = "wide";
        for (int bit = 5; bit >= 0; --bit) {
            path += (i >> bit) & 1 ? "/b" : "/a";
        }
        std::filesystem::create_directories(server.Root() / path);
    }
    TempDir local;
    HeadlessApp app;
    app.WriteSettings(testsupport::SettingsFile().SetServerHost(0, server, local.Path()).Body());
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();

    std::string log =
        RunMenu(app, res::kRemoteList, {"deep"}, res::kCmdDownload, {win::kAnswerYes});
    EXPECT_TRUE(log.ends_with(Text(res::kTextDownloadIncomplete))) << log;
    EXPECT_EQ(app.Win().Boxes().back().text.rfind(Text(res::kTextTreeTooDeep), 0), 0u);

    ui::TreeWalkBounds::SetMaxFolders(50);
    log = RunMenu(app, res::kRemoteList, {"wide"}, res::kCmdDownload, {win::kAnswerYes});
    ui::TreeWalkBounds::SetMaxFolders(ui::TreeWalkBounds::kMaxFolders);
    EXPECT_TRUE(log.ends_with(Text(res::kTextDownloadIncomplete))) << log;
    EXPECT_EQ(app.Win().Boxes().back().text.rfind(Text(res::kTextTooManyListings), 0), 0u);
    std::size_t listings = 0;
    for (std::size_t at = log.find(">LIST "); at != std::string::npos;
         at = log.find(">LIST ", at + 1)) {
        ++listings;
    }
    EXPECT_EQ(listings, 50u) << log;
}

TEST(Attacks, ScriptModePrintsServerTextWithItsControlsEscaped) {
    const std::string evil = "\x1b]0;owned\x07\x1b[2J";
    testsupport::Script script;
    script.Greeting("220 " + evil + "hello\r\n")
        .On("USER u")
        .Reply("331 ok\r\n")
        .On("PASS p")
        .Reply("230 ok\r\n")
        .NoFeatures()
        .On("PWD")
        .Reply("257 \"/\"\r\n");
    script.Listing("LIST", Sized("name" + evil + ".txt", 1));
    testsupport::ScriptedFtpServer server(script);
    TempDir dir;
    dir.Write("DEVurorure.ini", "[data]\r\nSname=127.0.0.1:" + std::to_string(server.Port()) +
                                    ";\r\nUname=u;\r\npin=p;\r\n");
    std::istringstream in("click 1012\nwait\nshow 1003\nclose\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunScript(in, out, err, dir / "DEVurorure.ini", false), 0);
    for (const std::string& text : {out.str(), err.str()}) {
        EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
        EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
    }
    EXPECT_NE(out.str().find("220 \\x1B]0;owned\\x07\\x1B[2Jhello\r\n"), std::string::npos)
        << out.str();
    EXPECT_NE(err.str().find("name\\x1B]0;owned"), std::string::npos) << err.str();
}

TEST(Attacks, ACertificateSubjectCannotReorderOrBreakTheTrustQuestion) {
    TempDir dir;
    const std::string pem = dir / "server.pem";
    // U+202E turns the text after it around; U+2028 breaks the line where it stands.
    ASSERT_EQ(std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                           "-nodes -days 2 -utf8 -subj '/CN=127.0.0.1/O=Bank\xe2\x80\xae"
                           "gpj.exe\xe2\x80\xa8Trusted' -addext subjectAltName=IP:127.0.0.1 "
                           "-keyout '" +
                           pem + "' -out '" + pem + "' >/dev/null 2>&1")
                              .c_str()),
              0);
    testsupport::PyFtpdServer server("127.0.0.1", testsupport::PyFtpdServer::Tls::Explicit, pem);
    ASSERT_TRUE(server.Start());
    dir.Write("DEVurorure.ini",
              "[data]\r\n" +
                  testsupport::SettingsFile()
                      .SetHost(0, {"ftpes://" + server.Address(), testsupport::PyFtpdServer::kUser,
                                   testsupport::PyFtpdServer::kPassword, "", "", 0})
                      .Body());
    std::istringstream in("click 1012\nwait\nclose\n");
    std::ostringstream out;
    std::ostringstream err;
    RunScript(in, out, err, dir / "DEVurorure.ini", false);
    EXPECT_EQ(err.str().find("\xe2\x80\xae"), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find("\xe2\x80\xa8"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Bank\\u202Egpj.exe\\u2028Trusted"), std::string::npos) << err.str();
}

TEST(Attacks, TheProgramWritesNoCoreFile) {
    TempDir dir;
    int script[2];
    ASSERT_EQ(::pipe(script), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Whatever the limit it inherits, the program must lower it. The script it reads stays
        // open until the test has looked.
        const rlimit any{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_CORE, &any);
        if (::chdir(dir.Path().c_str()) != 0 || ::dup2(script[0], 0) < 0) {
            ::_exit(127);
        }
        ::close(script[1]);
        ::execl(QUORREL_BINARY, QUORREL_BINARY, "--script", "-", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(script[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::ifstream limits("/proc/" + std::to_string(child) + "/limits");
    if (!limits && ::geteuid() != 0) {
        ::close(script[1]);
        ::waitpid(child, nullptr, 0);
        GTEST_SKIP() << "a process that is not dumpable shows its limits to root alone";
    }
    std::string line;
    bool found = false;
    while (std::getline(limits, line)) {
        if (line.rfind("Max core file size", 0) == 0) {
            found = true;
            std::istringstream fields(line.substr(26));
            std::string soft;
            fields >> soft;
            EXPECT_EQ(soft, "0") << line;
        }
    }
    EXPECT_TRUE(found);
    ::close(script[1]);
    ::waitpid(child, nullptr, 0);
}

} // namespace
} // namespace hostile
