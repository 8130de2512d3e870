// How data connections are made: passive mode with EPSV and PASV, the fall-back from active
// mode when the server cannot reach us, and the names and addresses a connect tries.
#include <tuple>

#include "engine/engine_fixture.h"
#include "ftp/data_connection.h"
#include "support/temp_dir.h"
#include "support/test_sockets.h"

using testsupport::MaskPort;
using testsupport::Script;

namespace enginetest {
namespace {

const std::string kListing = "-rw-r--r--   1 user group     1234 Feb  6  2020 a.txt\r\n";

TEST(PassiveReplies, ThePortComesFromTheFinalLine) {
    // Reply, PASV (else EPSV), port (0: refused).
    const std::tuple<const char*, bool, unsigned> cases[] = {
        {"227 Entering Passive Mode (127,0,0,1,4,21)\r\n", true, 1045},
        {"227 Mode 10,9,8,7,255,255\r\n", true, 65535}, // some servers omit the parentheses
        {"227-Hello (1,2,3,4,5,6)\r\n227 Mode (127,0,0,1,0,80)\r\n", true, 80},
        {"227 Mode (127,0,0,1,4)\r\n", true, 0},
        {"227 Mode (127,0,0,1,256,1)\r\n", true, 0},
        {"229 Entering Extended Passive Mode (|||6446|)\r\n", false, 6446},
        {"229 Extended (|||70000|)\r\n", false, 0},
        {"229 Extended (|||6446)\r\n", false, 0},
    };
    for (const auto& [reply, pasv, port] : cases) {
        unsigned got = 0;
        const bool ok = pasv ? ftp::ParsePasvPort(reply, got) : ftp::ParseEpsvPort(reply, got);
        EXPECT_EQ(ok, port != 0) << reply;
        EXPECT_EQ(got, port) << reply;
    }
}

TEST(ServerNames, PortSuffixesAndIPv6Literals) {
    const std::tuple<const char*, const char*, unsigned> cases[] = {
        {"ftp.example.org", "ftp.example.org", 21},
        {"ftp.example.org:2121", "ftp.example.org", 2121},
        {"[::1]:2121", "::1", 2121},
        {"[::1]", "::1", 21},
        {"::1", "::1", 21},
        {"fe80::1:21", "fe80::1:21", 21},
        {"host:65536", "host:65536", 21},
        {"host:", "host:", 21},
        {"[::1]:", "[::1]:", 21},
        {"[::1]x", "[::1]x", 21},
    };
    for (const auto& [name, host, port] : cases) {
        std::string gotHost;
        unsigned gotPort = 0;
        ftp::SplitServerPort(name, gotHost, gotPort);
        EXPECT_EQ(gotHost, host) << name;
        EXPECT_EQ(gotPort, port) << name;
    }
}

TEST(SocketConnect, EveryAddressIsTriedInOrderUntilOneConnects) {
    // Listening on 127.0.0.1 alone: 127.0.0.2 and ::1 refuse at once.
    const int listener = testsupport::sockets::Open(AF_INET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 5), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    platform::Socket socket;
    ASSERT_TRUE(socket.Create());
    EXPECT_TRUE(socket.ConnectToAny({"127.0.0.2", "::1", "127.0.0.1"}, ntohs(address.sin_port)));
    EXPECT_FALSE(socket.ConnectToAny({"127.0.0.2"}, ntohs(address.sin_port)));
    testsupport::sockets::Close(listener);
}

TEST_F(EngineTest, RefusedEpsvFallsToPasvWhoseAddressIsNeverFollowed) {
    owner.passive = true;
    // 127.0.0.2 is loopback too, but nothing listens there: following it would fail.
    const std::string pasv = "227 Entering Passive Mode (127,0,0,2,%P1%,%P2%)\r\n";
    StartLoggedIn(Script()
                      .Login()
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("EPSV")
                      .Reply("500 EPSV not understood\r\n")
                      .On("PASV")
                      .Listen(pasv)
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .SendData(kListing)
                      .Reply("226 Done\r\n")
                      // The refusal is remembered for the rest of the connection.
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("PASV")
                      .Listen(pasv)
                      .On("LIST /sub")
                      .Reply("150 Opening\r\n226 Done\r\n")
                      .SendData(kListing));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), 1);
    EXPECT_EQ(client.FtpList(listing, " /sub", false), 1);
    EXPECT_EQ(listing, kListing);
    EXPECT_EQ(Transcript(),
              "USER u\nPASS p\nFEAT\nTYPE A\nEPSV\nPASV\nLIST\nTYPE A\nPASV\nLIST /sub\n");
    EXPECT_EQ(server->Problems(), "");
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(EngineTest, APassivePortTheServerCouldNotOpenIsAskedForOnceMore) {
    owner.passive = true;
    const std::string epsv = "229 Extended Passive Mode (|||%P%|)\r\n";
    StartLoggedIn(Script()
                      .Login()
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("EPSV")
                      .Reply("425 Unable to identify the local data socket\r\n")
                      .On("EPSV")
                      .Listen(epsv)
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .SendData(kListing)
                      .Reply("226 Done\r\n")
                      // Twice in a row is not a passing state: the listing fails.
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("EPSV")
                      .Reply("425 No port\r\n")
                      .On("EPSV")
                      .Reply("425 No port\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), 1);
    EXPECT_EQ(listing, kListing);
    EXPECT_EQ(client.FtpList(listing, " /sub", false), -1);
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\nTYPE A\nEPSV\nEPSV\nLIST\nTYPE A\nEPSV\nEPSV\n");
    EXPECT_EQ(server->Problems(), "");
}

// Each way a server says it cannot reach us: the listing runs once more in passive mode, and
// the next one is passive from the start.
TEST_F(EngineTest, ActiveModeThatCannotConnectFallsBackOnceAndStaysPassive) {
    auto port = [](const char* reply) {
        return Script().On("TYPE A").Reply("200 Type set\r\n").On("PORT *").Reply(reply);
    };
    auto list = [](const char* reply) {
        return Script().DataPreparation("A").On("LIST").Reply(reply);
    };
    const std::pair<Script, std::string> cases[] = {
        {port("500 PORT not understood\r\n"), "500 PORT not understood\r\n"},
        {port("425 Can't connect.\r\n"), "425 Can't connect.\r\n"},
        {list("425 Failed\r\n"), "200 PORT command successful\r\n>LIST\r\n425 Failed\r\n"},
        {list("150 Opening\r\n").Reply("425 No connection\r\n"),
         "200 PORT command successful\r\n>LIST\r\n150 Opening\r\n425 No connection\r\n"},
    };
    for (const auto& [failure, failureLog] : cases) {
        SCOPED_TRACE(failureLog);
        Script script = Script().Login();
        script.steps.insert(script.steps.end(), failure.steps.begin(), failure.steps.end());
        StartLoggedIn(std::move(script.PassivePreparation("A")
                                    .On("LIST")
                                    .Reply("150 Opening\r\n")
                                    .SendData(kListing)
                                    .Reply("226 Done\r\n")
                                    .PassivePreparation("A")
                                    .On("LIST /sub")
                                    .Reply("150 Opening\r\n226 Done\r\n")
                                    .SendData(kListing)));
        std::string listing;
        EXPECT_EQ(client.FtpList(listing, "", false), 1);
        EXPECT_EQ(listing, kListing);
        const std::string log = MaskPort(owner.log);
        EXPECT_EQ(log.substr(0, log.find(">EPSV")),
                  ">TYPE A\r\n200 Type set\r\n>PORT 127,0,0,1,P,P\r\n" + failureLog +
                      "Switching to passive mode for this connection.\r\n>TYPE A\r\n200 Type "
                      "set\r\n");
        EXPECT_EQ(client.FtpList(listing, " /sub", false), 1);
        EXPECT_EQ(Problems(), "");
        EXPECT_TRUE(owner.messages.empty());
    }
}

TEST_F(EngineTest, FallBackSendsTheWholeSequenceAgainRestIncluded) {
    testsupport::TempDir local;
    local.Write("part", std::string(1000, 'x'));
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("REST 1000")
                      .Reply("350 Restarting\r\n")
                      .On("RETR part")
                      .Reply("425 Failed to establish connection.\r\n")
                      .PassivePreparation("I")
                      .On("REST 1000")
                      .Reply("350 Restarting\r\n")
                      .On("RETR part")
                      .Reply("150 Opening\r\n")
                      .SendData("tail")
                      .Reply("226 Done\r\n"));
    EXPECT_TRUE(client.FtpRetrieve(local / "part", "part", "I", 1004, 1000)) << owner.log;
    EXPECT_EQ(local.Read("part"), std::string(1000, 'x') + "tail");
    EXPECT_EQ(client.TransferCount(), 1);
    EXPECT_EQ(Problems(), "");
}

} // namespace
} // namespace enginetest
