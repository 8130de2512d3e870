#include <cerrno>

#include "engine/engine_fixture.h"
#include "platform/system_error.h"
#include "support/test_sockets.h"

using testsupport::Script;

namespace enginetest {
namespace {

const std::string kLoginLog = ">USER u\r\n331 Password required\r\n>PASS *\r\n230 Logged in\r\n"
                              ">FEAT\r\n500 FEAT not understood\r\n";

TEST_F(EngineTest, GreetingSplitOverReceivesIsOneReplyWithOneLeadingBreak) {
    Start(Script()
              .Greeting("220-Welcome\r\n")
              .Pause(50)
              .Reply("220-to the scripted server\r\n")
              .Pause(50)
              .Reply("220 ready\r\n")
              .On("USER u")
              .Reply("331 Password required\r\n")
              .On("PASS p")
              .Reply("230 Logged in\r\n")
              .NoFeatures());
    ASSERT_TRUE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n220-Welcome\r\n220-to the scripted "
                         "server\r\n220 ready\r\n" +
                             kLoginLog);
    EXPECT_EQ(owner.phases, (std::vector<int>{1, 2}));
    EXPECT_EQ(client.PortAddress(), "127,0,0,1");
    EXPECT_EQ(client.LastReplyCode(), "500"); // the FEAT that follows the login
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\n");
    EXPECT_EQ(Problems(), "");
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(EngineTest, ReplyCompletenessFollowsTheFinalLine) {
    struct Case {
        const char* text;
        bool complete;
        char digit;
        const char* code;
    };
    const Case cases[] = {
        {"220 ready\r\n", true, '2', "220"},
        {"150 Opening\r\n226 Done\r\n", true, '2', "226"},
        {"220-first\r\n", false, 0, ""},
        {"220-first\r\ncontinued\r\n", false, 0, ""},
        {"220-first\r\n 220 indented\r\n", false, 0, ""},
        {"220-first\r\nmiddle\r\n230 last\r\n", true, '2', "230"}, // codes need not agree
        {"220\r\n", false, 0, ""},
        {"220 ready\n", false, 0, ""},
        {"220 ready\r", false, 0, ""},
        {"22x ready\r\n", false, 0, ""},
        {"550 \r\n", true, '5', "550"},
        {"\r\n", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        ftp::FtpClient parser(owner); // no reply code yet
        char digit = 0;
        EXPECT_EQ(parser.IsReplyComplete(c.text, digit), c.complete) << c.text;
        EXPECT_EQ(digit, c.digit) << c.text;
        EXPECT_EQ(parser.LastReplyCode(), c.code) << c.text;
    }
}

TEST_F(EngineTest, FinalLineWithoutSpaceNeverCompletesAndTheCloseIsALoss) {
    Start(Script().Greeting("220\r\n").Pause(100).Close());
    EXPECT_FALSE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n220\r\nDisconnected.\r\n");
    EXPECT_TRUE(client.ConnectionLost());
    EXPECT_EQ(owner.cleanups, 1);
    EXPECT_EQ(owner.phases, (std::vector<int>{1, 2}));
    EXPECT_FALSE(client.ControlSocket().IsValid());
    EXPECT_EQ(Transcript(), "");
}

TEST_F(EngineTest, LineFeedWithoutCarriageReturnDoesNotComplete) {
    Start(Script().Greeting("220 ready\n").Pause(100).Close());
    EXPECT_FALSE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n220 ready\nDisconnected.\r\n");
    EXPECT_TRUE(client.ConnectionLost());
}

TEST_F(EngineTest, ServerClosingBeforeAnyGreetingLogsTheBreakOnly) {
    Start(Script().Greeting("").Close());
    EXPECT_FALSE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\nDisconnected.\r\n");
    EXPECT_EQ(owner.phases, (std::vector<int>{1, 2}));
}

TEST_F(EngineTest, AcceptedUserStillSendsPassAndRefusedPassEndsWithQuit) {
    Start(Script()
              .Greeting("220 ready\r\n")
              .On("USER u")
              .Reply("230 Already in\r\n")
              .On("PASS p")
              .Reply("503 Bad sequence\r\n")
              .On("QUIT")
              .Reply("221 Bye\r\n"));
    EXPECT_FALSE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n220 ready\r\n>USER u\r\n230 Already "
                         "in\r\n>PASS *\r\n503 Bad sequence\r\n>QUIT\r\n221 Bye\r\n");
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nQUIT\n");
    EXPECT_EQ(owner.cleanups, 0);
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_FALSE(client.ControlSocket().IsValid());
}

TEST_F(EngineTest, RefusedGreetingClosesWithoutQuit) {
    Start(Script().Greeting("421 Too many users\r\n"));
    EXPECT_FALSE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n421 Too many users\r\n");
    EXPECT_EQ(owner.phases, (std::vector<int>{1, 2}));
    EXPECT_EQ(Transcript(), "");
    EXPECT_EQ(owner.cleanups, 0);
    EXPECT_FALSE(client.ControlSocket().IsValid());
}

TEST_F(EngineTest, ConnectionLostWhileAwaitingUserReplyIsNotFollowedByQuit) {
    Start(Script().Greeting("220 ready\r\n").On("USER u").Close());
    EXPECT_FALSE(Connect());
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n220 ready\r\n>USER u\r\nDisconnected.\r\n");
    EXPECT_EQ(owner.cleanups, 1);
    EXPECT_TRUE(owner.messages.empty());
    EXPECT_EQ(Transcript(), "USER u\n");
}

TEST_F(EngineTest, PasswordIsLoggedAsOneStarPerByte) {
    Start(Script()
              .Greeting("220 ready\r\n")
              .On("USER u")
              .Reply("331 Password required\r\n")
              .On("PASS abcde")
              .Reply("230 Logged in\r\n")
              .NoFeatures());
    ASSERT_TRUE(Connect("u", "abcde"));
    EXPECT_NE(owner.log.find(">PASS *****\r\n230"), std::string::npos) << owner.log;
    EXPECT_EQ(owner.log.find("abcde"), std::string::npos);
    EXPECT_EQ(Problems(), "");
}

TEST_F(EngineTest, EmptyPasswordIsLoggedWithoutStars) {
    Start(Script()
              .Greeting("220 ready\r\n")
              .On("USER anonymous")
              .Reply("331 Password required\r\n")
              .On("PASS ")
              .Reply("230 Logged in\r\n")
              .NoFeatures());
    ASSERT_TRUE(Connect("anonymous", ""));
    EXPECT_NE(owner.log.find(">PASS \r\n230"), std::string::npos) << owner.log;
    EXPECT_EQ(Problems(), "");
}

TEST_F(EngineTest, PasswordHoldingALineBreakIsNeverSent) {
    Start(Script().Greeting("220 ready\r\n").On("USER u").Reply("331 Password required\r\n"));
    EXPECT_FALSE(Connect("u", "p\r\nDELE important"));
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1\r\n220 ready\r\n>USER u\r\n331 Password "
                         "required\r\n");
    EXPECT_FALSE(client.ControlSocket().IsValid());
    EXPECT_EQ(Transcript(), "USER u\n");
}

TEST_F(EngineTest, CurrentFolderIsTheTextBetweenTheFirstTwoQuotes) {
    StartLoggedIn(Script()
                      .Login()
                      .On("PWD")
                      .Reply("257 \"/\" is the current directory\r\n")
                      .On("PWD")
                      .Reply("257 \"\" is odd but fine\r\n")
                      .On("PWD")
                      .Reply("257 \"/a \"\"q\"\" b\" doubled quotes\r\n")
                      .On("PWD")
                      .Reply("257 no quotes at all\r\n")
                      .On("PWD")
                      .Reply("550 Not allowed\r\n"));
    std::string path = "unchanged";
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "/");
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "");
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "/a ");
    path = "unchanged";
    EXPECT_FALSE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(client.FtpCurrentFolder(path));
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_TRUE(client.ControlSocket().IsValid());
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\nPWD\nPWD\nPWD\nPWD\nPWD\n");
}

TEST_F(EngineTest, AnUnresolvableOrEmptyNameIsReportedAsSuch) {
    // A label longer than 63 bytes is refused by the resolver itself: no query leaves the host.
    const std::string unknown = std::string(70, 'x') + ".invalid";
    for (const std::string& host : {unknown, std::string()}) {
        SCOPED_TRACE(host);
        owner.messages.clear();
        owner.log.clear();
        owner.phases.clear();
        int error = 0;
        ASSERT_TRUE(client.CreateControlSocket(error));
        EXPECT_FALSE(client.FtpConnect(host, "u", "p", 21));
        ASSERT_EQ(owner.messages.size(), 1u);
        const std::string& text = owner.messages[0].text;
        if (host.empty()) {
            EXPECT_EQ(text, "The server name is empty. Type the server's name or address first.");
        } else {
            // The name, then the resolver's own reason.
            const std::string head = "Cannot find the server \"" + host + "\":\r\n";
            ASSERT_TRUE(text.starts_with(head)) << text;
            EXPECT_GT(text.size(), head.size() + 3);
            EXPECT_EQ(text.find("Invalid argument"), std::string::npos);
        }
        EXPECT_EQ(owner.messages[0].buttons, ftp::BoxButtons::Ok);
        EXPECT_EQ(owner.messages[0].icon, ftp::BoxIcon::Warning);
        EXPECT_EQ(owner.log, "Connecting to " + host);
        EXPECT_EQ(owner.phases, (std::vector<int>{1, 2}));
        EXPECT_FALSE(client.ControlSocket().IsValid());
    }
}

TEST_F(EngineTest, RefusedConnectionShowsThePlatformsText) {
    // A port bound but not listening: refused, and no other process can take it meanwhile.
    const int probe = testsupport::sockets::Open(AF_INET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);

    int error = 0;
    ASSERT_TRUE(client.CreateControlSocket(error));
    EXPECT_FALSE(client.FtpConnect("127.0.0.1", "u", "p", ntohs(address.sin_port)));
    testsupport::sockets::Close(probe);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].text, platform::SystemErrorText(ECONNREFUSED));
    EXPECT_EQ(owner.log, "Connecting to 127.0.0.1");
    EXPECT_EQ(owner.cleanups, 0);
}

TEST_F(EngineTest, CommandHoldingALineBreakIsNeverSent) {
    StartLoggedIn(Script().Login().On("MKD ok").Reply("257 \"ok\" created\r\n"));
    platform::Socket call;
    call.Attach(client.ControlSocket());
    EXPECT_FALSE(client.SendCommand(call, "DELE a\r\nRMD b"));
    EXPECT_FALSE(client.SendCommand(call, "DELE a\nRMD b"));
    EXPECT_FALSE(client.SendCommand(call, "DELE a\r"));
    call.Release();
    EXPECT_FALSE(client.FtpDelete("x\r\nQUIT"));
    EXPECT_EQ(owner.log, "");
    EXPECT_EQ(client.DeletedCount(), 0);
    EXPECT_TRUE(client.FtpMakeFolder("ok"));
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\nMKD ok\n");
}

TEST_F(EngineTest, ServerClosingMidReplyIsALostConnection) {
    StartLoggedIn(Script().Login().On("MKD x").Reply("257-partial\r\n").Close());
    EXPECT_FALSE(client.FtpMakeFolder("x"));
    EXPECT_TRUE(client.ConnectionLost());
    EXPECT_EQ(owner.cleanups, 1);
    EXPECT_EQ(owner.log, ">MKD x\r\n257-partial\r\nDisconnected.\r\n");
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(EngineTest, EndlessReplyIsABrokenConnection) {
    std::string flood;
    while (flood.size() <= 1024 * 1024) {
        flood += "220-" + std::string(120, 'z') + "\r\n";
    }
    Start(Script().Greeting(flood).Pause(200));
    EXPECT_FALSE(Connect());
    EXPECT_TRUE(client.ConnectionLost());
    EXPECT_EQ(owner.cleanups, 1);
}

TEST_F(EngineTest, QuitClosesTheConnectionWhateverTheReply) {
    StartLoggedIn(Script().Login().On("QUIT").Reply("500 No\r\n"));
    client.FtpQuit();
    EXPECT_EQ(owner.log, ">QUIT\r\n500 No\r\n");
    EXPECT_FALSE(client.ControlSocket().IsValid());
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\nQUIT\n");
}

TEST(SystemErrorText, GivesThePlatformsSentenceWithALineBreak) {
    const std::string refused = platform::SystemErrorText(ECONNREFUSED);
    ASSERT_GT(refused.size(), 2u);
    EXPECT_EQ(refused.substr(refused.size() - 2), "\r\n");
    EXPECT_EQ(platform::SystemErrorText(987654), "");
}

} // namespace
} // namespace enginetest
