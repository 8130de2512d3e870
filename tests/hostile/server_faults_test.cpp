// Servers that flood, close with 421, refuse the data connection after promising it, or fall
// silent, met by whole jobs: each job ends (the client stops reading long before the flood
// would end), the connection is closed or kept as the fault demands, and the log says why.
// Then data connections from a host that is not the server, in active mode.
#include <gtest/gtest.h>

#include <functional>

#include "ftp/ftp_client.h"
#include "hostile/hostile_support.h"

namespace hostile {
namespace {

// Far more than any limit of the client: a flood cut short stays well below it.
constexpr std::size_t kFlood = 256u << 20;
constexpr std::size_t kStoppedWellBefore = 32u << 20;

// With the engine's idle limit short for the length of a test.
class ServerFaults : public ::testing::Test {
protected:
    void SetUp() override { ftp::FtpClient::SetIdleLimit(200); }
    void TearDown() override { ftp::FtpClient::SetIdleLimit(60000); }
};

// The connect job's listing of "/", answered by `answer` after the LIST.
testsupport::Script ListAnsweredBy(const std::function<void(testsupport::Script&)>& answer) {
    testsupport::Script script = testsupport::Script::AtRoot();
    script.DataPreparation("A").On("LIST");
    answer(script);
    return script;
}

struct Fault {
    const char* label;
    testsupport::Script script;
    // After connecting: download "f.bin" (listed at 100 bytes), or upload a large "up.bin".
    enum Job { None, Download, Upload } job;
    bool connected;         // the program is still connected at the end
    std::string logEnd;     // the log ends with this
    std::vector<int> boxes; // the texts of the boxes shown (string ids)
};

TEST_F(ServerFaults, EachFaultEndsItsJobWithoutHangingOrUnboundedReading) {
    const std::string stopped = Text(res::kTextStoppedAnswering) + Text(res::kTextDisconnected);
    const std::string tooLong = Text(res::kTextReplyTooLong) + Text(res::kTextDisconnected);
    const std::string cannotConnect = Text(res::kTextCannotConnect);
    const std::string listingFailed = Text(res::kTextListPuttingFailed);
    testsupport::Script withFile = testsupport::Script::AtRoot();
    withFile.Listing("LIST", File("f.bin").replace(19, 1, "100"));
    testsupport::Script silentDownload = withFile;
    silentDownload.DataPreparation("I").On("RETR f.bin").Reply("150 Sending.\r\n").HoldData("xx");
    // More than the connection's buffers take, so that the sends must wait for the server.
    testsupport::Script silentUpload = withFile;
    silentUpload.DataPreparation("I").On("STOR /up.bin").Reply("150 Ok.\r\n").StallData();
    constexpr auto None = Fault::None;

    Fault faults[] = {
        {"zero bytes for ever instead of the greeting",
         testsupport::Script().Greeting("").Flood(std::string(1, '\0'), kFlood),
         None,
         false,
         "\r\n" + tooLong + cannotConnect,
         {}},
        {"150 lines for ever while the data connection is awaited",
         ListAnsweredBy(
             [](testsupport::Script& s) { s.Flood("150 Opening data connection.\r\n", kFlood); }),
         None,
         false,
         tooLong,
         {}},
        {"a listing that never ends",
         ListAnsweredBy([](testsupport::Script& s) {
             s.Reply("150 Here it comes.\r\n")
                 .FloodData(File("again.bin"), kFlood)
                 .Reply("426 Transfer aborted.\r\n");
         }),
         None,
         true,
         "426 Transfer aborted.\r\n" + listingFailed,
         {res::kTextTooManyEntries}},
        {"421 instead of the greeting",
         testsupport::Script().Greeting("421 Too many users.\r\n"),
         None,
         false,
         "421 Too many users.\r\n" + cannotConnect,
         {}},
        {"421 in answer to a command",
         testsupport::Script().Login().On("PWD").Reply("421 Timeout.\r\n"),
         None,
         false,
         "421 Timeout.\r\n" + Text(res::kTextDisconnected),
         {}},
        {"421 while the data connection is awaited",
         ListAnsweredBy([](testsupport::Script& s) {
             s.Reply("150 Opening.\r\n").Pause(50).Reply("421 Shutting down.\r\n");
         }),
         None,
         false,
         "421 Shutting down.\r\n" + Text(res::kTextDisconnected),
         {}},
        // Active mode falls back to passive, which this server refuses as well.
        {"150 then 425 and no data connection",
         ListAnsweredBy([](testsupport::Script& s) {
             s.Reply("150 Opening.\r\n")
                 .Pause(50)
                 .Reply("425 Cannot open data connection.\r\n")
                 .On("TYPE A")
                 .Reply("200 Type set.\r\n")
                 .On("EPSV")
                 .Reply("500 Unknown.\r\n")
                 .On("PASV")
                 .Reply("500 Unknown.\r\n");
         }),
         None,
         true,
         "500 Unknown.\r\n" + listingFailed,
         {res::kTextListReceivingFailed}},
        {"no reply to a command",
         testsupport::Script().Login().On("PWD"),
         None,
         false,
         stopped,
         {}},
        {"150 and then no data connection",
         ListAnsweredBy([](testsupport::Script& s) { s.Reply("150 Opening.\r\n"); }),
         None,
         false,
         stopped,
         {}},
        {"a listing that stops half-way",
         ListAnsweredBy(
             [](testsupport::Script& s) { s.Reply("150 Opening.\r\n").HoldData(File("a")); }),
         None,
         false,
         stopped,
         {}},
        {"a download that stops half-way", silentDownload, Fault::Download, false, stopped, {}},
        {"an upload the server stops taking", silentUpload, Fault::Upload, false, stopped, {}},
    };
    for (Fault& f : faults) {
        SCOPED_TRACE(f.label);
        testsupport::ScriptedFtpServer server(f.script);
        testsupport::TempDir local;
        HeadlessApp app;
        OpenAndConnect(app, server.Port(), local.Path());
        std::vector<std::string> boxes;
        if (f.job == Fault::Download) {
            RunMenu(app, res::kRemoteList, {"f.bin"}, res::kCmdDownload, {win::kAnswerYes});
            boxes.push_back(Text(res::kTextDownloadPrefix) + "1" + Text(res::kTextSelectedFiles));
            // What arrived stays for a later resume.
            EXPECT_EQ(local.Read("f.bin.ftpquorrel-part"), "xx");
        } else if (f.job == Fault::Upload) {
            local.Write("up.bin", std::string(32u << 20, 'u'));
            app.Win().Click(res::kLocalRefreshButton);
            RunMenu(app, res::kLocalList, {"up.bin"}, res::kCmdLocalUpload, {win::kAnswerYes});
            boxes.push_back(Text(res::kTextUploadPrefix) + "1" + Text(res::kTextSelectedFiles));
        }
        for (int id : f.boxes) {
            boxes.push_back(Text(id));
        }
        testsupport::ExpectBoxes(app, boxes);
        EXPECT_EQ(app.dialog->View().m_connected, f.connected);
        EXPECT_TRUE(app.Log().ends_with(f.logEnd)) << app.Log();
        server.Stop();
        EXPECT_LT(server.FloodSent(), kStoppedWellBefore);
    }
}

// In active mode another host connects first: to plant a listing, to hand over a file of its
// own, or to take an upload. The client closes it unread and waits for the server.
TEST(DataConnectionFromAnotherHost, IsClosedAndTheServersConnectionIsUsed) {
    enum class Job { Refresh, Download, Upload };
    auto script = [](const std::string& command, const std::string& intruder) {
        testsupport::Script s = testsupport::Script::AtRoot();
        s.Listing("LIST", File("f.bin"));
        if (command == "LIST") {
            s.On("CWD /").Reply("250 Ok.\r\n"); // a refresh enters the folder first
        }
        s.DataPreparation(command == "LIST" ? "A" : "I")
            .On(command)
            .Reply("150 Opening.\r\n")
            .Intrude(intruder);
        return s;
    };
    testsupport::Script refresh = script("LIST", File("planted.bin"));
    refresh.SendData(File("real.bin")).Reply("226 Done.\r\n");
    testsupport::Script download = script("RETR f.bin", "evil");
    download.SendData("ok").Reply("226 Done.\r\n");
    testsupport::Script upload = script("STOR /up.bin", "");
    upload.ReceiveData().Reply("226 Done.\r\n");
    upload.Listing("LIST", File("f.bin") + File("up.bin"));
    const std::pair<Job, testsupport::Script*> runs[] = {
        {Job::Refresh, &refresh}, {Job::Download, &download}, {Job::Upload, &upload}};
    for (const auto& [job, s] : runs) {
        SCOPED_TRACE(static_cast<int>(job));
        testsupport::ScriptedFtpServer server(*s);
        testsupport::TempDir local;
        local.Write("up.bin", "secret");
        HeadlessApp app;
        OpenAndConnect(app, server.Port(), local.Path());
        std::string log;
        if (job == Job::Refresh) {
            app.Win().Click(res::kRemoteRefreshButton);
            app.WaitIdle();
            EXPECT_EQ(testsupport::RowTexts(app, res::kRemoteList),
                      std::vector<std::string>{"real.bin"});
        } else if (job == Job::Download) {
            log = RunMenu(app, res::kRemoteList, {"f.bin"}, res::kCmdDownload, {win::kAnswerYes});
            EXPECT_EQ(local.Read("f.bin"), "ok");
        } else {
            log =
                RunMenu(app, res::kLocalList, {"up.bin"}, res::kCmdLocalUpload, {win::kAnswerYes});
            EXPECT_TRUE(log.ends_with(Text(res::kTextUploadCompleted) + "1" +
                                      Text(res::kTextFilesUploaded)))
                << log;
        }
        server.Stop();
        EXPECT_EQ(server.Problems(), "");
        EXPECT_EQ(server.IntrudersClosed(), 1);
        EXPECT_EQ(server.IntruderBytes(), 0u);
        if (job == Job::Upload) {
            EXPECT_EQ(server.DataReceived(), "secret");
        }
    }
}

} // namespace
} // namespace hostile
