// Listings and transfers through a real FTP server in passive mode and over IPv6 (active with
// EPRT, passive with EPSV).
#include <gtest/gtest.h>

#include "engine/recording_owner.h"
#include "support/pyftpd_server.h"
#include "support/test_sockets.h"

using testsupport::PyFtpdServer;
using testsupport::TempDir;

namespace {

bool HasIPv6Loopback() {
    const int fd = testsupport::sockets::Open(AF_INET6);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool ok =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        testsupport::sockets::Close(fd);
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

    std::string data(50000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
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

    EXPECT_NE(owner.log.find(mode.announcement), std::string::npos) << owner.log;
    EXPECT_EQ(owner.log.find(">PORT"), std::string::npos) << owner.log;
    EXPECT_EQ(owner.log.find("Switching"), std::string::npos) << owner.log;
    EXPECT_TRUE(owner.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(PyFtpd, NetworkModes,
                         ::testing::Values(Mode{"PassiveIPv4", "127.0.0.1", true, ">EPSV\r\n229 "},
                                           Mode{"ActiveIPv6", "::1", false, ">EPRT |2|::1|"},
                                           Mode{"PassiveIPv6", "::1", true, ">EPSV\r\n229 "}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
