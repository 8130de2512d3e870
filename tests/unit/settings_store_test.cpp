// The settings file: the profile layer's rules and the store's encodings.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <functional>

#include "platform/profile.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#ifndef _WIN32
#include "support/unprivileged.h"
#endif

using testsupport::TempDir;

namespace {

class Settings : public ::testing::Test {
protected:
    void Write(const std::string& body) { dir.Write("DEVurorure.ini", body); }
    std::string File() { return dir.Read("DEVurorure.ini"); }

    TempDir dir;
    settings::SettingsStore store{dir / "DEVurorure.ini"};
};

TEST(FormatDecimal, EdgeValues) {
    EXPECT_EQ(settings::FormatDecimal(0), "0");
    EXPECT_EQ(settings::FormatDecimal(7), "7");
    EXPECT_EQ(settings::FormatDecimal(1000000000), "1000000000");
    EXPECT_EQ(settings::FormatDecimal(9999999999LL), "9999999999");
    EXPECT_EQ(settings::FormatDecimal(10000000000LL), "Max");
    EXPECT_EQ(settings::FormatDecimal(-1), "-1");
    EXPECT_EQ(settings::FormatDecimal(-2147483648LL), "-2147483648");
}

TEST_F(Settings, IntegersParseLeadingDigitsAndFallBackOnlyWhenMissing) {
    Write("[DATA]\r\nX=-5abc\r\nword=abc\r\nplus=+12\r\n");
    EXPECT_EQ(store.ReadInt("x", 99), -5) << "section and key ignore case";
    EXPECT_EQ(store.ReadInt("word", 99), 0) << "a present value without digits reads as 0";
    EXPECT_EQ(store.ReadInt("plus", 0), 12);
    EXPECT_EQ(store.ReadInt("missing", -1), -1);
    store.WriteInt("x", -1);
    EXPECT_EQ(store.ReadInt("x", 0), -1);
    EXPECT_EQ(File().find("-5abc"), std::string::npos) << "the existing key is replaced";
    EXPECT_EQ(File().find("=-1\r\n"), File().rfind("=-1\r\n")) << "and not added twice";
}

TEST_F(Settings, MissingFileGivesDefaultsAndWritingCreatesItPrivately) {
    EXPECT_EQ(store.ReadInt("tabX", 0), 0);
    std::string items[3] = {"keep", "keep", "keep"};
    EXPECT_FALSE(store.ReadList(items, 3, "Sname", false));
    EXPECT_EQ(items[0], "keep");

    store.WriteInt("tabX", 3);
#ifndef _WIN32 // Windows keeps no file modes
    struct stat st {};
    ASSERT_EQ(::stat((dir / "DEVurorure.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the file holds passwords";
#endif
    EXPECT_EQ(File(), "[data]\r\ntabX=3\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "DEVurorure.ini.tmp"));
}

TEST_F(Settings, ListItemsNeedTheirSemicolon) {
    Write("[data]\r\nA=a;b\r\nB=;;x;\r\nC=\r\nD=enpty\r\n");
    std::string a[30], b[30], c[30] = {"old"}, d[30] = {"old"};
    EXPECT_TRUE(store.ReadList(a, 30, "A", false));
    EXPECT_EQ(a[0], "a");
    EXPECT_EQ(a[1], "") << "b has no terminating ';' and is dropped";
    EXPECT_TRUE(store.ReadList(b, 30, "B", false));
    EXPECT_EQ(b[0], "");
    EXPECT_EQ(b[1], "");
    EXPECT_EQ(b[2], "x");
    EXPECT_TRUE(store.ReadList(c, 30, "C", false)) << "an empty value is present";
    EXPECT_EQ(c[0], "old");
    EXPECT_FALSE(store.ReadList(d, 30, "D", false)) << "\"enpty\" counts as missing";
    EXPECT_EQ(d[0], "old");
}

TEST_F(Settings, ListsRoundTripAndAlwaysCarryOneSemicolonPerItem) {
    std::string items[30];
    store.WriteList(items, 30, "lc", false);
    EXPECT_NE(File().find("lc=" + std::string(30, ';') + "\r\n"), std::string::npos);
    items[0] = "/home/a b";
    items[29] = "last";
    store.WriteList(items, 30, "lc", false);
    std::string back[30];
    ASSERT_TRUE(store.ReadList(back, 30, "lc", false));
    EXPECT_EQ(back[0], "/home/a b");
    EXPECT_EQ(back[29], "last");
}

TEST_F(Settings, ReversedListsKeepMultibyteCharactersWhole) {
    std::string items[2] = {"pässwörd\xe2\x82\xac", "abc"};
    store.WriteList(items, 2, "pin", true);
    EXPECT_NE(File().find("pin=\xe2\x82\xac"
                          "dröwssäp;cba;"),
              std::string::npos)
        << File();
    std::string back[2];
    ASSERT_TRUE(store.ReadList(back, 2, "pin", true));
    EXPECT_EQ(back[0], items[0]);
    EXPECT_EQ(back[1], "abc");
}

TEST_F(Settings, LongListValuesAreCutAtTheReadBuffer) {
    // 2047 characters survive the read; an item whose ';' lies beyond keeps its old value.
    std::string first(2040, 'x');
    Write("[data]\r\nL=" + first + ";abcdefghij;\r\n");
    std::string items[2] = {"old0", "old1"};
    ASSERT_TRUE(store.ReadList(items, 2, "L", false));
    EXPECT_EQ(items[0], first);
    EXPECT_EQ(items[1], "old1");
}

TEST_F(Settings, OtherSectionsAndKeysAreKept) {
    Write("[other]\r\nx=1\r\n[data]\r\ny=2\r\n");
    store.WriteInt("x", 5);
    EXPECT_EQ(platform::ProfileReadInt(dir / "DEVurorure.ini", "other", "x", 0), 1);
    EXPECT_EQ(store.ReadInt("x", 0), 5);
    EXPECT_EQ(store.ReadInt("y", 0), 2);
}

#ifndef _WIN32
// Linux only: root and a second user.
// In a folder both may write to, another user plants the old temporary name as a file of its
// own, or as a link to a file of its own: the passwords reach neither, and the settings file
// is ours, 0600.
TEST_F(Settings, APlantedTemporaryFileOrLinkReceivesNothing) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "two users are needed: run as root";
    }
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "a link" : "a file");
        const std::string planted = dir / "DEVurorure.ini.tmp";
        const std::string loot = dir / "loot";
        {
            testsupport::Unprivileged attacker;
            ASSERT_TRUE(attacker.Ok());
            dir.Write("loot", "");
            if (link) {
                ASSERT_EQ(::symlink(loot.c_str(), planted.c_str()), 0);
            } else {
                dir.Write("DEVurorure.ini.tmp", "");
                ASSERT_EQ(::chmod(planted.c_str(), 0666), 0);
            }
        }
        std::string pins[30] = {"secret"};
        store.WriteList(pins, 30, "pin", true);
        EXPECT_EQ(dir.Read("loot"), "");
        EXPECT_EQ(dir.Read("DEVurorure.ini.tmp"), "");
        struct stat st {};
        ASSERT_EQ(::lstat((dir / "DEVurorure.ini").c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_uid, 0u);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_NE(File().find("pin=terces;"), std::string::npos);
        std::filesystem::remove(planted);
        std::filesystem::remove(loot);
    }
}
#endif

#ifndef _WIN32
// Linux only: FIFOs and symbolic links.
TEST_F(Settings, WhatIsNoRegularFileOrTooLargeIsRefusedUnreadAndLeftAlone) {
    const std::string path = dir / "DEVurorure.ini";
    const struct {
        const char* what;
        std::function<void()> make;
        platform::ProfileProblem problem;
    } cases[] = {
        {"a FIFO", [&] { ::mkfifo(path.c_str(), 0600); }, platform::ProfileProblem::NotRegularFile},
        {"a link to /dev/zero", [&] { ::symlink("/dev/zero", path.c_str()); },
         platform::ProfileProblem::NotRegularFile},
        {"2 MiB", [&] { Write("[data]\r\ntabX=3\r\n" + std::string(2 << 20, ';')); },
         platform::ProfileProblem::TooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        c.make();
        struct stat before {};
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        settings::SettingsStore refused(path);
        EXPECT_EQ(refused.Problem(), c.problem);
        EXPECT_EQ(refused.ReadInt("tabX", -1), -1);
        refused.WriteInt("tabX", 5);
        EXPECT_EQ(refused.TakeWriteError(), 0) << "nothing was tried";
        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
}
#endif

#ifndef _WIN32
// Linux only: symbolic links and file modes.
TEST_F(Settings, AUsersOwnLinkStaysALinkAndItsTargetKeepsItsMode) {
    dir.Write("dotfiles/quorrel.ini", "[data]\r\ntabX=1\r\n");
    const std::string target = dir / "dotfiles/quorrel.ini";
    ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
    ASSERT_EQ(::symlink("dotfiles/quorrel.ini", (dir / "DEVurorure.ini").c_str()), 0);
    EXPECT_EQ(store.ReadInt("tabX", 0), 1);
    store.WriteInt("tabX", 2); // a change
    store.WriteInt("tabX", 2); // none
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "DEVurorure.ini"));
    EXPECT_EQ(dir.Read("dotfiles/quorrel.ini"), "[data]\r\ntabX=2\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}
#endif

} // namespace

TEST_F(Settings, ItemsTheListCannotCarrySurviveARestartAndOthersAreWrittenAsBefore) {
    struct Case {
        std::string item;
        bool encoded;
    };
    const Case cases[] = {
        {"plain", false},
        {"pass;word", true},
        {"\x01"
         "both ends\x01",
         true},
        {"two\r\nlines", true},
        {"caf\xC3\xA9;x", true},
        {"", false},
        {"ends in space ", false},
        {"mid\x01"
         "dle",
         false},
    };
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "reversed" : "plain");
        std::string written[30], read[30];
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            written[i] = cases[i].item;
        }
        written[29] = "last";
        store.WriteList(written, 30, "pin", reversed);
        ASSERT_TRUE(store.ReadList(read, 30, "pin", reversed));
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(read[i], written[i]) << "slot " << i;
        }
        const std::string file = File();
        for (const Case& c : cases) {
            const std::string stored =
                reversed ? settings::ReverseCharacters(c.item) + ";" : c.item + ";";
            EXPECT_EQ(file.find(stored) != std::string::npos, !c.encoded) << c.item;
        }
    }
    // A reversed password is reversed before it is encoded: the hex digits spell it backwards.
    std::string pin[30] = {"a;b"};
    store.WriteList(pin, 30, "pin", true);
    EXPECT_NE(File().find("pin=\x01"
                          "623b61;"),
              std::string::npos)
        << File();
}

TEST_F(Settings, OddFilesReadAsFarAsTheyGoWithoutACrash) {
    struct Case {
        const char* what;
        std::string body;
        int tab;
        std::string host0;
    };
    const std::string longValue(30000, 'x');
    const Case cases[] = {
        {"LF line ends", "[data]\ntabX=3\nSname=a;b;\n", 3, "a"},
        {"a byte-order mark", "\xEF\xBB\xBF[data]\r\ntabX=4\r\nSname=z;\r\n", 4, "z"},
        {"no section", "tabX=5\r\nSname=a;\r\n", 0, ""},
        {"not UTF-8", "[data]\r\ntabX=\xff\xfe\r\nSname=\xff\x80;\r\n", 0, "\xff\x80"},
        {"a 30,000-character value", "[data]\r\nSname=" + longValue + ";\r\ntabX=2\r\n", 2, ""},
        {"binary garbage", std::string("\0\x01[\x02=\r\r\n]]==;;", 15), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.body);
        EXPECT_EQ(store.ReadInt("tabX", 0), c.tab);
        std::string hosts[30];
        store.ReadList(hosts, 30, "Sname", false);
        EXPECT_EQ(hosts[0], c.host0) << "a value cut at 2047 bytes keeps no item";
    }
}

#ifndef _WIN32
// Linux only: fork.
TEST_F(Settings, AWriterKilledMidWayLeavesTheOldFileOrTheNewOneWhole) {
    settings::SettingsStore first(dir / "DEVurorure.ini");
    first.WriteString("Sname", std::string(20000, 'a'));
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            settings::SettingsStore writer(dir / "DEVurorure.ini");
            for (char c = 'b';; c = c == 'z' ? 'b' : static_cast<char>(c + 1)) {
                writer.WriteString("Sname", std::string(20000, c));
            }
        }
        ::usleep(static_cast<useconds_t>(1000 + round * 700));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string value = store.ReadString("Sname", "", 30000);
        ASSERT_EQ(value.size(), 20000u) << "round " << round;
        EXPECT_EQ(value.find_first_not_of(value[0]), std::string::npos);
    }
}
#endif

TEST_F(Settings, AFailedWriteIsReportedOnceWithItsReason) {
    settings::SettingsStore lost(dir / "gone/DEVurorure.ini"); // its folder is missing
    lost.WriteInt("x", 1);
    lost.WriteInt("y", 2);
    EXPECT_EQ(lost.TakeWriteError(), ENOENT);
    EXPECT_EQ(lost.TakeWriteError(), 0);
}
