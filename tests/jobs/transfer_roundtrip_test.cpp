// Files through a real FTP server and back: image mode keeps every byte, ASCII mode turns line
// ends the way the server converts them.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/recording_owner.h"
#include "support/pyftpd_server.h"

using testsupport::PyFtpdServer;
using testsupport::TempDir;

namespace {

class TransferRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        owner.engine = &engine;
        int error = 0;
        ASSERT_TRUE(engine.CreateControlSocket(error));
        ASSERT_TRUE(engine.FtpConnect("127.0.0.1", PyFtpdServer::kUser, PyFtpdServer::kPassword,
                                      static_cast<unsigned>(server.Port())))
            << owner.log;
    }
    void TearDown() override { engine.FtpQuit(); }

    static std::string EveryByte() {
        std::string data;
        for (int round = 0; round < 40; ++round) {
            for (int b = 0; b < 256; ++b) {
                data += static_cast<char>(b);
            }
        }
        return data;
    }

    PyFtpdServer server;
    TempDir local;
    enginetest::RecordingOwner owner;
    ftp::FtpClient engine{owner};
};

TEST_F(TransferRoundTrip, ImageModeKeepsEveryByteBothWays) {
    const std::string data = EveryByte();
    local.Write("all.bin", data);
    ASSERT_TRUE(engine.FtpStore(local / "all.bin", "all.bin", "I")) << owner.log;
    EXPECT_EQ(server.Root().Read("all.bin"), data);

    ASSERT_TRUE(engine.FtpRetrieve(local / "back.bin", "all.bin", "I",
                                   static_cast<std::int64_t>(data.size()), 0))
        << owner.log;
    EXPECT_EQ(local.Read("back.bin"), data);
    EXPECT_EQ(engine.TransferCount(), 2);
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(TransferRoundTrip, AsciiModeLetsTheServerConvertLineEnds) {
    // On the wire ASCII lines end in CR LF; this server stores them with its own LF.
    local.Write("notes.txt", "one\r\ntwo\r\n");
    ASSERT_TRUE(engine.FtpStore(local / "notes.txt", "notes.txt", "A")) << owner.log;
    EXPECT_EQ(server.Root().Read("notes.txt"), "one\ntwo\n");

    // ... and sends them as CR LF, which arrive as local line ends again; a lone CR stays.
    const std::string text = "alpha\nbeta\rgamma\n" + std::string(70000, 'x') + "\n";
    server.Root().Write("unix.txt", text);
    ASSERT_TRUE(engine.FtpRetrieve(local / "unix.txt", "unix.txt", "A",
                                   static_cast<std::int64_t>(text.size()), 0))
        << owner.log;
#ifdef _WIN32
    // Windows' own line ends are the network's.
    EXPECT_EQ(local.Read("unix.txt"),
              "alpha\r\nbeta\rgamma\r\n" + std::string(70000, 'x') + "\r\n");
#else
    EXPECT_EQ(local.Read("unix.txt"), text);
#endif
    EXPECT_NE(owner.log.find(">TYPE A\r\n200"), std::string::npos) << owner.log;
}

TEST_F(TransferRoundTrip, ResumeAppendsTheMissingTail) {
    const std::string data = EveryByte();
    server.Root().Write("big.bin", data);
    local.Write("big.bin", data.substr(0, 3000));
    ASSERT_TRUE(engine.FtpRetrieve(local / "big.bin", "big.bin", "I",
                                   static_cast<std::int64_t>(data.size()), 3000))
        << owner.log;
    EXPECT_EQ(local.Read("big.bin"), data);
    EXPECT_NE(owner.log.find(">REST 3000\r\n350"), std::string::npos) << owner.log;
}

TEST_F(TransferRoundTrip, EmptyFileIsStoredAndFetched) {
    local.Write("empty.dat", "");
    ASSERT_TRUE(engine.FtpStore(local / "empty.dat", "empty.dat", "I")) << owner.log;
    EXPECT_TRUE(std::filesystem::exists(server.Root() / "empty.dat"));
    EXPECT_EQ(std::filesystem::file_size(server.Root() / "empty.dat"), 0u);
    ASSERT_TRUE(engine.FtpRetrieve(local / "again.dat", "empty.dat", "I", 0, 0)) << owner.log;
    EXPECT_EQ(std::filesystem::file_size(local / "again.dat"), 0u);
}

} // namespace
