// How data connections are made: passive mode with EPSV and PASV, the fall-back from active
// mode when the server cannot reach us, and the server names that pick the address family.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <tuple>

#include "engine/engine_fixture.h"
#include "ftp/data_connection.h"
#include "res/string_table.h"
#include "support/temp_dir.h"

using support::MaskPort;
using support::Script;

namespace enginetest {
namespace {

const std::string kListing = "-rw-r--r--   1 user group     1234 Feb  6  2020 a.txt\r\n";
const std::string kSwitch = "Switching to passive mode for this connection.\r\n";

TEST(PassiveReplies, ThePortComesFromTheFinalLine) {
    struct Case {
        const char* reply;
        bool pasv;
        bool ok;
        unsigned port;
    };
    const Case cases[] = {
        {"227 Entering Passive Mode (127,0,0,1,4,21)\r\n", true, true, 1045},
        {"227 Entering Passive Mode 10,9,8,7,255,255\r\n", true, true, 65535},
        {"227-Hello (1,2,3,4,5,6)\r\n227 Mode (127,0,0,1,0,80)\r\n", true, true, 80},
        {"227 Entering Passive Mode (127,0,0,1,4)\r\n", true, false, 0},
        {"227 Entering Passive Mode (127,0,0,1,256,1)\r\n", true, false, 0},
        {"227 Entering Passive Mode (127,0,0,1,0,0)\r\n", true, false, 0},
        {"227 Entering Passive Mode\r\n", true, false, 0},
        {"229 Entering Extended Passive Mode (|||6446|)\r\n", false, true, 6446},
        {"229 Extended (!!!21!)\r\n", false, true, 21},
        {"229 Entering Extended Passive Mode (|||70000|)\r\n", false, false, 0},
        {"229 Entering Extended Passive Mode (||6446|)\r\n", false, false, 0},
        {"229 Entering Extended Passive Mode (|||6446)\r\n", false, false, 0},
        {"229 Entering Extended Passive Mode (|||0|)\r\n", false, false, 0},
        {"229 Entering Extended Passive Mode\r\n", false, false, 0},
    };
    for (const Case& c : cases) {
        unsigned port = 0;
        const bool ok =
            c.pasv ? ftp::ParsePasvPort(c.reply, port) : ftp::ParseEpsvPort(c.reply, port);
        EXPECT_EQ(ok, c.ok) << c.reply;
        if (c.ok) {
            EXPECT_EQ(port, c.port) << c.reply;
        }
    }
}

TEST(ServerNames, PortSuffixesAndIPv6Literals) {
    const std::tuple<const char*, const char*, unsigned> cases[] = {
        {"ftp.example.org", "ftp.example.org", 21},
        {"ftp.example.org:2121", "ftp.example.org", 2121},
        {"127.0.0.1:65535", "127.0.0.1", 65535},
        {"[::1]:2121", "::1", 2121},
        {"[::1]", "::1", 21},
        {"::1", "::1", 21},
        {"fe80::1:21", "fe80::1:21", 21}, // the last group of an address, not a port
        {"host:0", "host:0", 21},
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
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 5), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const unsigned port = ntohs(address.sin_port);

    using Family = platform::Socket::Family;
    platform::Socket socket;
    ASSERT_TRUE(socket.Create());
    // A refused socket cannot connect again: each later address needs a fresh one.
    EXPECT_TRUE(socket.ConnectToAny({"127.0.0.2", "::1", "127.0.0.1"}, port));
    Family family = Family::IPv6;
    EXPECT_TRUE(socket.GetFamily(family));
    EXPECT_EQ(family, Family::IPv4);

    platform::Socket refused;
    ASSERT_TRUE(refused.Create());
    EXPECT_FALSE(refused.ConnectToAny({"127.0.0.2", "::1"}, port));
    EXPECT_TRUE(refused.LastError() == ECONNREFUSED || refused.LastError() == EADDRNOTAVAIL)
        << refused.LastError();
    platform::Socket unknown;
    ASSERT_TRUE(unknown.Create());
    EXPECT_FALSE(unknown.ConnectToAny({std::string(70, 'x') + ".invalid"}, port));
    EXPECT_EQ(unknown.LastError(), EINVAL);
    ::close(listener);
}

class DataConnectionTest : public EngineTest {
protected:
    testsupport::TempDir local;
};

TEST_F(DataConnectionTest, PassiveListingAsksEpsvAndConnectsBeforeTheCommand) {
    owner.passive = true;
    StartLoggedIn(Script()
                      .Login()
                      .PassivePreparation("A")
                      .On("LIST")
                      .Reply("150 Here it comes\r\n")
                      .SendData(kListing)
                      .Reply("226 Done\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), 1);
    EXPECT_EQ(listing, kListing);
    const std::string log = owner.log;
    EXPECT_EQ(log.substr(0, log.find("(|||")),
              ">TYPE A\r\n200 Type set\r\n>EPSV\r\n229 Entering Extended Passive Mode ");
    EXPECT_EQ(log.substr(log.find("|)")), "|)\r\n>LIST\r\n150 Here it comes\r\n226 Done\r\n");
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nTYPE A\nEPSV\nLIST\n");
    EXPECT_EQ(server->DataConnections(), 1);
    EXPECT_EQ(server->Problems(), "");
}

TEST_F(DataConnectionTest, RefusedEpsvFallsToPasvWhoseAddressIsNeverFollowed) {
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
                      .On("TYPE I")
                      .Reply("200 Type set\r\n")
                      .On("PASV")
                      .Listen(pasv)
                      .On("RETR a.txt")
                      .Reply("150 Opening\r\n")
                      .SendData("abc")
                      .Reply("226 Done\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), 1);
    EXPECT_EQ(listing, kListing);
    EXPECT_TRUE(client.FtpRetrieve(local / "a.txt", "a.txt", "I", 3, 0)) << owner.log;
    EXPECT_EQ(local.Read("a.txt"), "abc");
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nTYPE A\nEPSV\nPASV\nLIST\nTYPE I\nPASV\nRETR a.txt\n");
    EXPECT_EQ(server->Problems(), "");
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(DataConnectionTest, PassiveReplyWithoutAPortFailsWithAMessage) {
    owner.passive = true;
    StartLoggedIn(Script()
                      .Login()
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("EPSV")
                      .Reply("229 Entering Extended Passive Mode\r\n")
                      .On("PWD")
                      .Reply("257 \"/\"\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), -1);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].text, res::LoadString(175));
    std::string path;
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(Problems(), "");
}

// Each way a server says it cannot reach us: the listing runs once more in passive mode, and
// the next one is passive from the start.
TEST_F(DataConnectionTest, ActiveModeThatCannotConnectFallsBackOnceAndStaysPassive) {
    struct Case {
        const char* name;
        Script failure;
        std::string failureLog;
    };
    auto port = [](const char* reply) {
        return Script().On("TYPE A").Reply("200 Type set\r\n").On("PORT *").Reply(reply);
    };
    Case cases[] = {
        {"PORT refused", port("500 PORT not understood\r\n"), "500 PORT not understood\r\n"},
        {"PORT answered 425", port("425 Can't connect to specified address.\r\n"),
         "425 Can't connect to specified address.\r\n"},
        {"425 to LIST", Script().DataPreparation("A").On("LIST").Reply("425 Failed\r\n"),
         "200 PORT command successful\r\n>LIST\r\n425 Failed\r\n"},
        {"150, then 425",
         Script()
             .DataPreparation("A")
             .On("LIST")
             .Reply("150 Opening\r\n")
             .Reply("425 Cannot open data connection\r\n"),
         "200 PORT command successful\r\n>LIST\r\n150 Opening\r\n425 Cannot open data "
         "connection\r\n"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script script = Script().Login();
        script.steps.insert(script.steps.end(), c.failure.steps.begin(), c.failure.steps.end());
        script.PassivePreparation("A")
            .On("LIST")
            .Reply("150 Opening\r\n")
            .SendData(kListing)
            .Reply("226 Done\r\n")
            .PassivePreparation("A")
            .On("LIST /sub")
            .Reply("150 Opening\r\n226 Done\r\n")
            .SendData(kListing);
        StartLoggedIn(std::move(script));
        std::string listing;
        EXPECT_EQ(client.FtpList(listing, "", false), 1);
        EXPECT_EQ(listing, kListing);
        const std::string log = MaskPort(owner.log);
        EXPECT_EQ(log.substr(0, log.find(">EPSV")),
                  ">TYPE A\r\n200 Type set\r\n>PORT 127,0,0,1,P,P\r\n" + c.failureLog + kSwitch +
                      ">TYPE A\r\n200 Type set\r\n");
        EXPECT_EQ(client.FtpList(listing, " /sub", false), 1);
        EXPECT_EQ(server->DataConnections(), 2);
        EXPECT_EQ(Problems(), "");
        EXPECT_TRUE(owner.messages.empty());
        EXPECT_FALSE(client.m_connectionLost);
    }
}

TEST_F(DataConnectionTest, FallBackRepeatsRestAndReadsTheUploadFromItsStart) {
    local.Write("part", std::string(1000, 'x'));
    const std::string upload(5000, 'u');
    local.Write("up.bin", upload);
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
                      .Reply("226 Done\r\n")
                      .PassivePreparation("I")
                      .On("STOR up.bin")
                      .Reply("150 Ok to send\r\n")
                      .ReceiveData()
                      .Reply("226 Done\r\n"));
    EXPECT_TRUE(client.FtpRetrieve(local / "part", "part", "I", 1004, 1000)) << owner.log;
    EXPECT_EQ(local.Read("part"), std::string(1000, 'x') + "tail");
    EXPECT_TRUE(client.FtpStore(local / "up.bin", "up.bin", "I")) << owner.log;
    EXPECT_EQ(server->DataReceived(), upload);
    EXPECT_EQ(client.m_transferCount, 2);
    EXPECT_EQ(MaskPort(Transcript()),
              "USER u\nPASS p\nTYPE I\nPORT 127,0,0,1,P,P\nREST 1000\nRETR "
              "part\nTYPE I\nEPSV\nREST 1000\nRETR part\nTYPE I\nEPSV\nSTOR "
              "up.bin\n");
    EXPECT_EQ(server->Problems(), "");
}

} // namespace
} // namespace enginetest
