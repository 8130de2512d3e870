#include "engine/engine_fixture.h"

using testsupport::MaskPort;
using testsupport::Script;

namespace enginetest {
namespace {

const std::string kListing = "total 2\r\n"
                             "drwxr-xr-x   2 user group     4096 Jan  5 10:00 sub\r\n"
                             "-rw-r--r--   1 user group     1234 Feb  6  2020 a b.txt\r\n";
const std::string kPreparationLog =
    ">TYPE A\r\n200 Type set\r\n>PORT 127,0,0,1,P,P\r\n200 PORT command successful\r\n";

TEST(PortArgument, WritesTheHighAndLowByteOfThePort) {
    EXPECT_EQ(ftp::PortArgument("127,0,0,1", 65535), "127,0,0,1,255,255");
    EXPECT_EQ(ftp::PortArgument("127,0,0,1", 1024), "127,0,0,1,4,0");
    EXPECT_EQ(ftp::PortArgument("192,168,0,5", 1045), "192,168,0,5,4,21");
    EXPECT_EQ(ftp::PortArgument("10,0,0,1", 255), "10,0,0,1,0,255");
}

TEST_F(EngineTest, ListWithPreliminaryAndCompletionInOnePacketReadsNoMoreReplies) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n226 Done\r\n")
                      .SendData(kListing)
                      .On("MKD next")
                      .Reply("257 \"next\" created\r\n"));
    owner.remoteFolder = "/home/u";
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", true), 3);
    EXPECT_EQ(listing, kListing);
    // The next exchange still pairs each command with its own reply.
    EXPECT_TRUE(client.FtpMakeFolder("next"));
    EXPECT_EQ(MaskPort(owner.log), kPreparationLog + ">LIST\r\n150 Opening\r\n226 Done\r\n" +
                                       ">MKD next\r\n257 \"next\" created\r\n");
    EXPECT_EQ(client.Cache().PathAt(0), "/home/u");
    EXPECT_EQ(client.Cache().TextAt(0), kListing);
    EXPECT_EQ(Problems(), "");
    EXPECT_EQ(MaskPort(server->Transcript()),
              "USER u\nPASS p\nFEAT\nTYPE A\nPORT 127,0,0,1,P,P\nLIST\nMKD next\n");
    EXPECT_TRUE(owner.messages.empty());
}

TEST_F(EngineTest, ListWithSeparateCompletionReadsItAfterTheData) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST /pub/a b")
                      .Reply("150 Opening\r\n")
                      .SendData(kListing)
                      .Reply("226 Done\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, " /pub/a b", false), 3);
    EXPECT_EQ(listing, kListing);
    EXPECT_EQ(MaskPort(owner.log),
              kPreparationLog + ">LIST /pub/a b\r\n150 Opening\r\n226 Done\r\n");
    EXPECT_EQ(client.LastReplyCode(), "226");
    // The key of a listing with a path is the path without its leading space.
    EXPECT_EQ(client.Cache().PathAt(0), "/pub/a b");
    EXPECT_EQ(Problems(), "");
}

TEST_F(EngineTest, ListCountsLineFeedsFromTheSecondByteAndDropsBytesAfterAZero) {
    const std::string raw = std::string("\nline\r\nbare lf\nend\r\n\0hidden\r\n", 29);
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .SendData(raw)
                      .Reply("226 Done\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), 3);
    EXPECT_EQ(listing, "\nline\r\nbare lf\nend\r\n");
}

TEST_F(EngineTest, RefusedListFailsAndKeepsTheConnection) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST /missing")
                      .Reply("550 No such directory\r\n")
                      .On("PWD")
                      .Reply("257 \"/\"\r\n"));
    std::string listing = "stale";
    EXPECT_EQ(client.FtpList(listing, " /missing", true), -1);
    EXPECT_EQ(listing, "");
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_TRUE(owner.messages.empty());
    EXPECT_EQ(client.Cache().PathAt(0), "");
    std::string path;
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(path, "/");
    EXPECT_EQ(Problems(), "");
}

TEST_F(EngineTest, RefusedTypeOrPortEndsTheListing) {
    StartLoggedIn(Script()
                      .Login()
                      .On("TYPE A")
                      .Reply("504 No\r\n")
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("PORT *")
                      .Reply("501 Bad address\r\n")
                      // A refused PORT is tried once more in passive mode, refused here too.
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("EPSV")
                      .Reply("500 Unknown\r\n")
                      .On("PASV")
                      .Reply("500 Unknown\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), -1);
    EXPECT_EQ(client.FtpList(listing, "", false), -1);
    EXPECT_EQ(MaskPort(Transcript()),
              "USER u\nPASS p\nFEAT\nTYPE A\nTYPE A\nPORT 127,0,0,1,P,P\nTYPE A\nEPSV\nPASV\n");
    EXPECT_FALSE(client.ConnectionLost());
}

TEST_F(EngineTest, DataConnectionOpenedLateIsStillAccepted) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .SendData(kListing, 300)
                      .Reply("226 Done\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), 3);
    EXPECT_EQ(listing, kListing);
    EXPECT_EQ(Problems(), "");
}

TEST_F(EngineTest, ReplyInsteadOfADataConnectionEndsTheWait) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .Pause(100)
                      .Reply("425 Can't open data connection\r\n")
                      // The 425 sends the listing once more in passive mode, refused here.
                      .On("TYPE A")
                      .Reply("200 Type set\r\n")
                      .On("EPSV")
                      .Reply("500 Unknown\r\n")
                      .On("PASV")
                      .Reply("500 Unknown\r\n")
                      .On("PWD")
                      .Reply("257 \"/\"\r\n"));
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), -1);
    EXPECT_EQ(MaskPort(owner.log),
              kPreparationLog + ">LIST\r\n150 Opening\r\n425 Can't open data connection\r\n" +
                  "Switching to passive mode for this connection.\r\n>TYPE A\r\n200 Type "
                  "set\r\n>EPSV\r\n500 Unknown\r\n>PASV\r\n500 Unknown\r\n");
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_TRUE(owner.messages.empty());
    std::string path;
    EXPECT_TRUE(client.FtpCurrentFolder(path));
    EXPECT_EQ(Problems(), "");
}

TEST_F(EngineTest, ControlConnectionClosedWhileWaitingForDataIsALoss) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .Pause(100)
                      .Close());
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", false), -1);
    EXPECT_TRUE(client.ConnectionLost());
    EXPECT_EQ(owner.cleanups, 1);
    EXPECT_EQ(MaskPort(owner.log), kPreparationLog + ">LIST\r\n150 Opening\r\nDisconnected.\r\n");
}

TEST_F(EngineTest, SecondListingFromTheCacheSendsNoCommand) {
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .SendData(kListing)
                      .Reply("226 Done\r\n"));
    owner.remoteFolder = "/www";
    std::string first;
    std::string second;
    EXPECT_EQ(client.FtpList(first, "", true), 3);
    const std::string logAfterFirst = owner.log;
    EXPECT_EQ(client.FtpList(second, "", true), 3);
    EXPECT_EQ(second, kListing);
    EXPECT_EQ(owner.log, logAfterFirst);
    EXPECT_EQ(MaskPort(Transcript()), "USER u\nPASS p\nFEAT\nTYPE A\nPORT 127,0,0,1,P,P\nLIST\n");
}

TEST_F(EngineTest, DosListingIsReturnedAndCachedAsUnixLines) {
    // Dates of past years are written with their year, whatever the date today.
    const std::string dos = "11-20-09  12:36PM            161645801 Disc Intercity.tsv\r\n"
                            "08-10-2010  14:04       <DIR>          Billing\r\n"
                            "-rw-r--r--   1 user group     1234 Feb  6  2020 a b.txt\r\n";
    const std::string unix = "-rw-r--r-- 1 owner group 161645801 Nov 20 2009 Disc Intercity.tsv\r\n"
                             "drwxr-xr-x 1 owner group 0 Aug 10 2010 Billing\r\n"
                             "-rw-r--r--   1 user group     1234 Feb  6  2020 a b.txt\r\n";
    StartLoggedIn(Script()
                      .Login()
                      .DataPreparation("A")
                      .On("LIST")
                      .Reply("150 Opening\r\n")
                      .SendData(dos)
                      .Reply("226 Done\r\n"));
    owner.remoteFolder = "/win";
    std::string listing;
    EXPECT_EQ(client.FtpList(listing, "", true), 3);
    EXPECT_EQ(listing, unix);
    EXPECT_EQ(client.Cache().PathAt(0), "/win");
    EXPECT_EQ(client.Cache().TextAt(0), unix);
    EXPECT_EQ(MaskPort(Transcript()), "USER u\nPASS p\nFEAT\nTYPE A\nPORT 127,0,0,1,P,P\nLIST\n");
}

TEST_F(EngineTest, RenameSendsRntoOnlyAfterAnAcceptedRnfr) {
    StartLoggedIn(Script()
                      .Login()
                      .On("RNFR missing")
                      .Reply("550 No such file\r\n")
                      .On("RNFR old name")
                      .Reply("350 Ready for RNTO\r\n")
                      .On("RNTO bad/new")
                      .Reply("553 Not allowed\r\n")
                      .On("RNFR a")
                      .Reply("350 Ready\r\n")
                      .On("RNTO b")
                      .Reply("250 Renamed\r\n"));
    EXPECT_FALSE(client.FtpRename("missing", "never"));
    EXPECT_FALSE(client.FtpRename("old name", "bad/new"));
    EXPECT_TRUE(client.FtpRename("a", "b"));
    EXPECT_EQ(Transcript(), "USER u\nPASS p\nFEAT\nRNFR missing\nRNFR old name\nRNTO bad/new\nRNFR "
                            "a\nRNTO b\n");
    EXPECT_EQ(owner.log, ">RNFR missing\r\n550 No such file\r\n>RNFR old name\r\n350 Ready for "
                         "RNTO\r\n>RNTO bad/new\r\n553 Not allowed\r\n>RNFR a\r\n350 "
                         "Ready\r\n>RNTO b\r\n250 Renamed\r\n");
}

TEST_F(EngineTest, FailedChangeFolderRestoresThePreviousFolder) {
    StartLoggedIn(Script()
                      .Login()
                      .On("CWD /gone")
                      .Reply("550 No such directory\r\n")
                      .On("CWD /there")
                      .Reply("250 OK\r\n"));
    owner.previousRemoteFolder = "/home";
    owner.remoteFolder = "/gone";
    EXPECT_FALSE(client.FtpChangeFolder("/gone"));
    EXPECT_EQ(owner.remoteFolder, "/home");
    owner.remoteFolder = "/there";
    EXPECT_TRUE(client.FtpChangeFolder("/there"));
    EXPECT_EQ(owner.remoteFolder, "/there");
    EXPECT_FALSE(client.ConnectionLost());
}

TEST_F(EngineTest, EachAcceptedDeleteCountsOnce) {
    StartLoggedIn(Script()
                      .Login()
                      .On("DELE a")
                      .Reply("250 Deleted\r\n")
                      .On("DELE b")
                      .Reply("550 Permission denied\r\n")
                      .On("DELE c d")
                      .Reply("250 Deleted\r\n"));
    EXPECT_TRUE(client.FtpDelete("a"));
    EXPECT_FALSE(client.FtpDelete("b"));
    EXPECT_TRUE(client.FtpDelete("c d"));
    EXPECT_EQ(client.DeletedCount(), 2);
}

TEST_F(EngineTest, FolderAndPermissionCommandsSendTheirArgumentsUnchanged) {
    StartLoggedIn(Script()
                      .Login()
                      .On("SITE CHMOD 755 a b.txt")
                      .Reply("200 SITE CHMOD command successful\r\n")
                      .On("MKD new folder")
                      .Reply("150 Unusual but not a refusal\r\n")
                      .On("RMD old")
                      .Reply("250 Removed\r\n")
                      .On("RMD busy")
                      .Reply("550 Not empty\r\n"));
    EXPECT_TRUE(client.FtpChmod("755 a b.txt"));
    // A 1xx is success, and no second reply is awaited for it.
    EXPECT_TRUE(client.FtpMakeFolder("new folder"));
    EXPECT_TRUE(client.FtpRemoveFolder("old"));
    EXPECT_FALSE(client.FtpRemoveFolder("busy"));
    EXPECT_EQ(Transcript(),
              "USER u\nPASS p\nFEAT\nSITE CHMOD 755 a b.txt\nMKD new folder\nRMD old\nRMD busy\n");
    EXPECT_EQ(Problems(), "");
}

} // namespace
} // namespace enginetest
