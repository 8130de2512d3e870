// The settings file: the profile layer's rules and the store's encodings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/settings_store.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

using testsupport::TempDir;

namespace {

class Settings : public ::testing::Test {
protected:
    void Write(const std::string& body) { dir.Write("DEVurorure.ini", body); }
    std::string File() { return dir.Read("DEVurorure.ini"); }

    TempDir dir;
    SettingsStore store{dir / "DEVurorure.ini"};
};

TEST(FormatDecimal, EdgeValues) {
    EXPECT_EQ(FormatDecimal(0), "0");
    EXPECT_EQ(FormatDecimal(7), "7");
    EXPECT_EQ(FormatDecimal(1000000000), "1000000000");
    EXPECT_EQ(FormatDecimal(9999999999LL), "9999999999");
    EXPECT_EQ(FormatDecimal(10000000000LL), "Max");
    EXPECT_EQ(FormatDecimal(-1), "-1");
    EXPECT_EQ(FormatDecimal(-2147483648LL), "-2147483648");
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
    struct stat st {};
    ASSERT_EQ(::stat((dir / "DEVurorure.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the file holds passwords";
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

} // namespace
