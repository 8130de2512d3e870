// Listings and transfers through a real FTP server in passive mode and over IPv6 (active with
// EPRT, passive with EPSV), and the main window with the passive option on.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "engine/recording_owner.h"
#include "support/app_support.h"
#include "support/pyftpd_server.h"

using testsupport::PyFtpdServer;
using testsupport::TempDir;

namespace {

bool HasIPv6Loopback() {
    const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool ok =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return ok;
}

struct Mode {
    const char* name;
    const char* address;
    bool passive;
    const char* announcement; // the command that sets up each data connection
};

class NetworkModes : public ::testing::TestWithParam<Mode> {
protected:
    enginetest::RecordingOwner owner;
    ftp::FtpClient engine{owner};
    TempDir local;
};

TEST_P(NetworkModes, ListStoreAndResumedRetrieve) {
    const Mode& mode = GetParam();
    if (std::string(mode.address) == "::1" && !HasIPv6Loopback()) {
        GTEST_SKIP() << "this machine has no IPv6 loopback (::1)";
    }
    PyFtpdServer server(mode.address);
    ASSERT_TRUE(server.Start()) << "pyftpdlib did not start on " << mode.address;
    server.Root().Write("sub/in.txt", "inside");
    owner.engine = &engine;
    owner.passive = mode.passive;
    int error = 0;
    ASSERT_TRUE(engine.CreateControlSocket(error));
    ASSERT_TRUE(engine.FtpConnect(mode.address, PyFtpdServer::kUser, PyFtpdServer::kPassword,
                                  static_cast<unsigned>(server.Port())))
        << owner.log;

    std::string listing;
    EXPECT_EQ(engine.FtpList(listing, " /sub", false), 1) << owner.log;
    EXPECT_NE(listing.find(" in.txt\r\n"), std::string::npos) << listing;

    std::string data;
    for (int i = 0; i < 50000; ++i) {
        data += static_cast<char>(i * 7);
    }
    local.Write("up.bin", data);
    EXPECT_TRUE(engine.FtpStore(local / "up.bin", "up.bin", "I")) << owner.log;
    EXPECT_EQ(server.Root().Read("up.bin"), data);
    local.Write("down.bin", data.substr(0, 20000));
    EXPECT_TRUE(engine.FtpRetrieve(local / "down.bin", "up.bin", "I",
                                   static_cast<std::int64_t>(data.size()), 20000))
        << owner.log;
    EXPECT_EQ(local.Read("down.bin"), data);
    engine.FtpQuit();

    std::size_t announcements = 0;
    for (std::size_t at = 0; (at = owner.log.find(mode.announcement, at)) != std::string::npos;
         ++at) {
        ++announcements;
    }
    EXPECT_EQ(announcements, 3u) << owner.log;
    EXPECT_EQ(owner.log.find(">PORT"), std::string::npos) << owner.log;
    EXPECT_EQ(owner.log.find("Switching"), std::string::npos) << owner.log;
    EXPECT_TRUE(owner.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(PyFtpd, NetworkModes,
                         ::testing::Values(Mode{"PassiveIPv4", "127.0.0.1", true, ">EPSV\r\n229 "},
                                           Mode{"ActiveIPv6", "::1", false, ">EPRT |2|::1|"},
                                           Mode{"PassiveIPv6", "::1", true, ">EPSV\r\n229 "}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NetworkWindow, PassiveOptionListsTheServerFolderThroughEpsv) {
    PyFtpdServer server;
    ASSERT_TRUE(server.Start());
    server.Root().Write("file.txt", "x");
    testsupport::HeadlessApp app;
    app.WriteSettings(testsupport::SettingsFile().SetServerHost(0, server).Set("pasv", "1").Body());
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    ASSERT_TRUE(app.dialog->m_connected) << app.Log();
    EXPECT_EQ(testsupport::RowTexts(app, res::kRemoteList), std::vector<std::string>{"file.txt"});
    EXPECT_NE(app.Log().find(">TYPE A\r\n200 Type set to: ASCII.\r\n>EPSV\r\n229 "),
              std::string::npos)
        << app.Log();
    EXPECT_EQ(app.Log().find("PORT"), std::string::npos) << app.Log();
}

} // namespace
