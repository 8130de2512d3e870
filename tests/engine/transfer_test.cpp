#include <cerrno>
#include <cstdlib>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/engine_fixture.h"
#include "platform/system_error.h"
#include "res/string_table.h"
#include "support/temp_dir.h"

using testsupport::MaskPort;
using testsupport::Script;

namespace enginetest {
namespace {

std::string NewFolder() {
#ifdef _WIN32
    return testsupport::MakeTempFolder("quorrel-transfer-");
#else
    char pattern[] = "/tmp/quorrel-transfer-XXXXXX";
    return ::mkdtemp(pattern) != nullptr ? pattern : "";
#endif
}

class TransferTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder = NewFolder();
        ASSERT_NE(folder, "");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Local(const std::string& name) const { return folder + "/" + name; }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Pattern(std::size_t length) {
        std::string bytes(length, '\0');
        for (std::size_t i = 0; i < length; ++i) {
            bytes[i] = static_cast<char>('a' + i % 23);
        }
        return bytes;
    }

    std::string folder;
};

TEST(TransferRules, UploadBlockGrowsWithTheFileLength) {
    EXPECT_EQ(ftp::UploadBlockSize(0), 1024u);
    EXPECT_EQ(ftp::UploadBlockSize(8191), 1024u);
    EXPECT_EQ(ftp::UploadBlockSize(8192), 2048u);
    EXPECT_EQ(ftp::UploadBlockSize(16383), 2048u);
    EXPECT_EQ(ftp::UploadBlockSize(16384), 4096u);
    EXPECT_EQ(ftp::UploadBlockSize(32767), 4096u);
    EXPECT_EQ(ftp::UploadBlockSize(32768), 8192u);
    EXPECT_EQ(ftp::UploadBlockSize(5000000000LL), 8192u);
}

TEST(TransferRules, LowercaseOptionsTouchOnlyTheNameAfterTheLastSlash) {
    EXPECT_EQ(ftp::StoreRemoteName("DIR/Sub/File.TXT", true, true), "DIR/Sub/file.txt");
    EXPECT_EQ(ftp::StoreRemoteName("DIR/Sub/File.TXT", true, false), "DIR/Sub/file.txt");
    EXPECT_EQ(ftp::StoreRemoteName("DIR/Sub/File.TXT", false, true), "DIR/Sub/File.txt");
    EXPECT_EQ(ftp::StoreRemoteName("DIR/Sub/File.TXT", false, false), "DIR/Sub/File.TXT");
    EXPECT_EQ(ftp::StoreRemoteName("A.B/README", false, true), "A.B/README");
    EXPECT_EQ(ftp::StoreRemoteName("NAME.TAR.GZ", false, true), "NAME.TAR.gz");
    // Only A to Z fold; the bytes of other characters stay as they are.
    EXPECT_EQ(ftp::StoreRemoteName("\xC3\x84RGER.TXT", true, false), "\xC3\x84rger.txt");
}

TEST(TransferRules, BackupFilesAreRecognisedByTheExtensionOfTheLastName) {
    EXPECT_TRUE(ftp::IsBackupFile("/home/u/old.BAK"));
    EXPECT_TRUE(ftp::IsBackupFile("old.bak"));
    EXPECT_TRUE(ftp::IsBackupFile("x.y.Bak"));
    EXPECT_FALSE(ftp::IsBackupFile("/home/u/old.bak.txt"));
    EXPECT_FALSE(ftp::IsBackupFile("/home/x.bak/readme"));
    EXPECT_FALSE(ftp::IsBackupFile("bak"));
    EXPECT_FALSE(ftp::IsBackupFile("old.bakk"));
}

TEST_F(TransferTest, DownloadUsesTheGivenTypeAndReadsTheSeparateCompletion) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("RETR a/b.c/readme")
                      .Reply("150 Opening BINARY mode\r\n")
                      .SendData("hello")
                      .Reply("226 Transfer complete\r\n"));
    EXPECT_TRUE(client.FtpRetrieve(Local("readme"), "a/b.c/readme", "I", 5, 0));
    EXPECT_EQ(Read(Local("readme")), "hello");
    EXPECT_EQ(MaskPort(owner.log),
              ">TYPE I\r\n200 Type set\r\n>PORT 127,0,0,1,P,P\r\n200 PORT command "
              "successful\r\n>RETR a/b.c/readme\r\n150 Opening BINARY mode\r\n226 Transfer "
              "complete\r\n");
    EXPECT_EQ(owner.ranges, (std::vector<std::int64_t>{5}));
    EXPECT_EQ(owner.progress, (std::vector<std::int64_t>{5, 0}));
    EXPECT_EQ(client.TransferCount(), 1);
    EXPECT_EQ(Problems(), "");
}

TEST_F(TransferTest, DownloadWithBothRepliesInOnePacketReadsNoMore) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("RETR index.html")
                      .Reply("150 Opening\r\n226 Transfer complete\r\n")
                      .SendData("<html>\r\n")
                      .On("PWD")
                      .Reply("257 \"/\"\r\n"));
    EXPECT_TRUE(client.FtpRetrieve(Local("index.html"), "index.html", "A", 8, 0));
    std::string path;
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "/");
    // ASCII mode: local line ends.
#ifdef _WIN32
    EXPECT_EQ(Read(Local("index.html")), "<html>\r\n");
#else
    EXPECT_EQ(Read(Local("index.html")), "<html>\n");
#endif
    EXPECT_EQ(Problems(), "");
}

TEST_F(TransferTest, ResumeSendsRestAndAppendsFromTheOffset) {
    Write(Local("part"), std::string(1000, 'x'));
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("REST 1000")
                      .Reply("350 Restarting at 1000\r\n")
                      .On("RETR part")
                      .Reply("150 Opening\r\n")
                      .SendData("tail")
                      .Reply("226 Done\r\n"));
    EXPECT_TRUE(client.FtpRetrieve(Local("part"), "part", "I", 1004, 1000));
    EXPECT_EQ(Read(Local("part")), std::string(1000, 'x') + "tail");
    EXPECT_EQ(owner.progress, (std::vector<std::int64_t>{1004, 0}));
    EXPECT_EQ(MaskPort(Transcript()),
              "USER u\nPASS p\nFEAT\nTYPE I\nPORT 127,0,0,1,P,P\nREST 1000\nRETR "
              "part\n");
}

TEST_F(TransferTest, ResumeBeyondFourGigabytesIsSentAndHonoured) {
    const std::int64_t offset = 5000000000LL;
#ifdef _WIN32
    Write(Local("huge"), "");
    std::filesystem::resize_file(Local("huge"), offset); // sparse under Wine: Linux truncates
#else
    const int fd = ::open(Local("huge").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, offset), 0); // sparse: no disk space used
    ::close(fd);
#endif
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("REST 5000000000")
                      .Reply("350 Restarting\r\n")
                      .On("RETR huge")
                      .Reply("150 Opening\r\n")
                      .SendData("tail")
                      .Reply("226 Done\r\n"));
    EXPECT_TRUE(client.FtpRetrieve(Local("huge"), "huge", "I", offset + 4, offset));
#ifdef _WIN32
    EXPECT_EQ(std::filesystem::file_size(Local("huge")), static_cast<std::uintmax_t>(offset + 4));
#else
    struct stat status {};
    ASSERT_EQ(::stat(Local("huge").c_str(), &status), 0);
    EXPECT_EQ(status.st_size, offset + 4);
#endif
    std::ifstream in(Local("huge"), std::ios::binary);
    in.seekg(offset);
    std::string tail(4, '\0');
    in.read(tail.data(), 4);
    EXPECT_EQ(tail, "tail");
    EXPECT_EQ(owner.ranges, (std::vector<std::int64_t>{offset + 4}));
    EXPECT_EQ(owner.progress, (std::vector<std::int64_t>{offset + 4, 0}));
    EXPECT_EQ(Problems(), "");
}

TEST_F(TransferTest, RefusedRetrieveCreatesNoLocalFile) {
    StartLoggedIn(
        Script().Login().DataPreparation("I").On("RETR missing").Reply("550 No such file\r\n"));
    EXPECT_FALSE(client.FtpRetrieve(Local("missing"), "missing", "I", 0, 0));
    EXPECT_FALSE(std::filesystem::exists(Local("missing")));
    EXPECT_EQ(client.TransferCount(), 0);
    EXPECT_TRUE(owner.messages.empty());
    EXPECT_FALSE(client.ConnectionLost());
}

TEST_F(TransferTest, LocalFileThatCannotBeCreatedShowsThePlatformsText) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("RETR f")
                      .Reply("150 Opening\r\n")
                      .Pause(100)
                      .Reply("425 Can't open data connection\r\n")
                      .On("PWD")
                      .Reply("257 \"/\"\r\n"));
    EXPECT_FALSE(client.FtpRetrieve(Local("no/such/folder/f"), "f", "I", 1, 0));
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].text, platform::SystemErrorText(ENOENT));
    EXPECT_EQ(owner.messages[0].buttons, ftp::BoxButtons::Ok);
    // The server's answer to the abandoned transfer is read, so the next command gets its own.
    std::string path;
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "/");
    EXPECT_EQ(MaskPort(owner.log),
              ">TYPE I\r\n200 Type set\r\n>PORT 127,0,0,1,P,P\r\n200 PORT command "
              "successful\r\n>RETR f\r\n150 Opening\r\n425 Can't open data "
              "connection\r\n>PWD\r\n257 \"/\"\r\n");
}

#ifndef _WIN32
// Linux only: flock (Windows locks files by share modes).
TEST_F(TransferTest, LocalFileHeldByAnotherProgramIsNotOverwritten) {
    Write(Local("held"), "precious");
    const int holder = ::open(Local("held").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("RETR held")
                      .Reply("150 Opening\r\n")
                      .Pause(100)
                      .Reply("426 Connection closed\r\n"));
    EXPECT_FALSE(client.FtpRetrieve(Local("held"), "held", "I", 3, 0));
    ::close(holder);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].text, platform::SystemErrorText(EWOULDBLOCK));
    EXPECT_EQ(Read(Local("held")), "precious");
}
#endif

TEST_F(TransferTest, NoToTheCancelQuestionLetsTheDownloadFinish) {
    const std::string data = Pattern(65536);
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("RETR big")
                      .Reply("150 Opening\r\n")
                      .SendData(data)
                      .Reply("226 Done\r\n"));
    owner.cancelAtProgress = 1;
    owner.answers = {ftp::BoxAnswer::No};
    EXPECT_TRUE(client.FtpRetrieve(Local("big"), "big", "I", 65536, 0));
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].text, "Do you wish to cancel downloading?");
    EXPECT_EQ(owner.messages[0].buttons, ftp::BoxButtons::YesNo);
    EXPECT_EQ(owner.messages[0].icon, ftp::BoxIcon::Question);
    EXPECT_FALSE(owner.cancel);
    EXPECT_EQ(Read(Local("big")), data);
}

// A Yes stops at that block: even when the server then says all was sent (226), the file holds
// only the blocks before the stop, so the transfer failed and the part is kept.
TEST_F(TransferTest, YesToTheCancelQuestionStopsAndKeepsThePartWhateverTheServerSays) {
    const std::string data = Pattern(4 * 1024 * 1024);
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("RETR one")
                      .Reply("150 Opening\r\n")
                      .SendData(data)
                      .Reply("426 Transfer aborted\r\n")
                      .DataPreparation("I")
                      .On("RETR two")
                      .Reply("150 Opening\r\n")
                      .SendData(data)
                      .Reply("226 Done\r\n"));
    owner.cancelAtProgress = 1;
    owner.answers = {ftp::BoxAnswer::Yes, ftp::BoxAnswer::Yes};
    EXPECT_FALSE(client.FtpRetrieve(Local("one"), "one", "I", 4 * 1024 * 1024, 0));
    EXPECT_TRUE(owner.cancel); // left set for the job to report
    EXPECT_EQ(client.TransferCount(), 0);
    const std::int64_t kept = std::filesystem::file_size(Local("one"));
    EXPECT_EQ(kept, owner.progress.at(0));
    EXPECT_LT(kept, static_cast<std::int64_t>(data.size()));
    EXPECT_FALSE(client.FtpRetrieve(Local("two"), "two", "I", 4 * 1024 * 1024, 0));
    EXPECT_EQ(client.TransferCount(), 0);
    EXPECT_LT(std::filesystem::file_size(Local("two")), data.size());
    EXPECT_EQ(Problems(), "");
}

TEST_F(TransferTest, UploadSendsBlocksByFileLength) {
    const std::string small = Pattern(8191);
    const std::string large = Pattern(32768);
    Write(Local("small.bin"), small);
    Write(Local("large.bin"), large);
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("STOR small.bin")
                      .Reply("150 Ok to send data\r\n")
                      .ReceiveData()
                      .Reply("226 Transfer complete\r\n")
                      .DataPreparation("I")
                      .On("STOR large.bin")
                      .Reply("150 Ok to send data\r\n226 Transfer complete\r\n")
                      .ReceiveData());
    EXPECT_TRUE(client.FtpStore(Local("small.bin"), "small.bin", "I"));
    EXPECT_EQ(owner.Blocks(),
              (std::vector<std::int64_t>{1024, 1024, 1024, 1024, 1024, 1024, 1024, 1023, 0}));
    EXPECT_EQ(owner.ranges, (std::vector<std::int64_t>{8191}));
    owner.progress.clear();
    EXPECT_TRUE(client.FtpStore(Local("large.bin"), "large.bin", "I"));
    EXPECT_EQ(owner.Blocks(), (std::vector<std::int64_t>{8192, 8192, 8192, 8192, 0}));
    EXPECT_EQ(client.TransferCount(), 2);
    EXPECT_EQ(Problems(), "");
    EXPECT_EQ(server->DataReceived(), small + large);
}

TEST_F(TransferTest, EmptyFileOpensADataConnectionThatCarriesNothing) {
    Write(Local("empty"), "");
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("I")
                      .On("STOR empty")
                      .Reply("150 Ok to send data\r\n")
                      .ReceiveData()
                      .Reply("226 Transfer complete\r\n"));
    EXPECT_TRUE(client.FtpStore(Local("empty"), "empty", "I"));
    EXPECT_EQ(owner.ranges, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(owner.progress, (std::vector<std::int64_t>{0, 0}));
    EXPECT_EQ(Problems(), "");
    EXPECT_EQ(server->DataConnections(), 1);
    EXPECT_EQ(server->DataReceived(), "");
}

TEST_F(TransferTest, UploadAppliesBothLowercaseOptionsAndSkipsBackupsWhileMirroring) {
    Write(Local("File.TXT"), "text\r\n");
    Write(Local("old.BAK"), "backup");
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("STOR DIR/Sub/file.txt")
                      .Reply("150 Ok to send data\r\n")
                      .ReceiveData()
                      .Reply("226 Transfer complete\r\n"));
    owner.storeOptions = {true, true, true};
    EXPECT_TRUE(client.FtpStore(Local("old.BAK"), "DIR/Sub/old.BAK", "I"));
    EXPECT_EQ(client.TransferCount(), 0);
    EXPECT_EQ(owner.log, "");
    EXPECT_TRUE(client.FtpStore(Local("File.TXT"), "DIR/Sub/File.TXT", "A"));
    EXPECT_EQ(client.TransferCount(), 1);
    EXPECT_EQ(MaskPort(Transcript()),
              "USER u\nPASS p\nFEAT\nTYPE A\nPORT 127,0,0,1,P,P\nSTOR DIR/Sub/file.txt\n");
    EXPECT_EQ(server->DataReceived(), "text\r\n");
}

TEST_F(TransferTest, UploadOfAMissingLocalFileShowsThePlatformsText) {
    // Nothing reaches the server: a STOR would already have emptied the remote copy.
    StartLoggedIn(Script().Login());
    EXPECT_FALSE(client.FtpStore(Local("gone"), "gone", "I"));
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].text, Local("gone") + "\n" + platform::SystemErrorText(ENOENT));
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_EQ(client.TransferCount(), 0);
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\n");
}

} // namespace
} // namespace enginetest
