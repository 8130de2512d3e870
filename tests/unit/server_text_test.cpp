// What the engine makes of text that servers send in their own ways: ASCII downloads split
// into blocks anywhere, link targets relative to their folder, folder paths as LIST arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftp/entry_names.h"
#include "ftp/ftp_client.h"
#include "ftp/listing_grammar.h"
#include "ftp/listing_index.h"
#include "ftp/server_features.h"
#include "res/visible_text.h"
#include "support/environment.h"

namespace {

// The blocks as they arrive, then the held CR written at the end as the transfer does.
std::string LocalText(const std::vector<std::string>& blocks) {
    std::string out;
    bool heldCR = false;
    for (const std::string& block : blocks) {
        ftp::AppendLocalText(out, block.data(), block.size(), heldCR);
    }
    return heldCR ? out + "\r" : out;
}

TEST(AsciiDownload, CrLfBecomesLfWhereverTheBlocksSplit) {
    const struct {
        std::vector<std::string> blocks;
        std::string local;
    } cases[] = {
        {{"a\r\nb\r\n"}, "a\nb\n"},
        {{"a\r", "\nb"}, "a\nb"},   // the pair split between two blocks
        {{"a\r", "", "\n"}, "a\n"}, // and an empty block between them
        {{"a\rb\r"}, "a\rb\r"},     // lone CRs, one at the very end
        {{"a\r", "\r\n"}, "a\r\n"}, // CR CR LF: a file that had CR LF on the server
        {{"x\n\n", std::string("\0\xff", 2)}, std::string("x\n\n\0\xff", 5)},
        {{}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalText(c.blocks), c.local) << ::testing::PrintToString(c.blocks);
    }
}

TEST(LinkTarget, ResolvesAgainstTheFolderThatHoldsTheLink) {
    const struct {
        const char* folder;
        const char* target;
        const char* resolved;
    } cases[] = {
        {"/dtree", "d04", "/dtree/d04"},
        {"/dtree/", "./d04/", "/dtree/d04"},
        {"/dtree/sub", "../d04", "/dtree/d04"},
        {"/dtree", "../../../etc", "/etc"},
        {"/dtree", "/var/www", "/var/www"},
        {"/", "..", "/"},
        {"/a", "/b/../c", "/c"},
        {"/dtree", "dir with spaces/x", "/dtree/dir with spaces/x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ftp::ResolveLinkTarget(c.folder, c.target), c.resolved)
            << c.folder << " + " << c.target;
    }
}

TEST(ListArgument, OnlyPathsNoServerSplitsOrExpands) {
    EXPECT_TRUE(ftp::IsPlainListArgument("/dtree/d04"));
    EXPECT_TRUE(ftp::IsPlainListArgument("/Grüße/ü-x_y.z"));
    for (const char* path :
         {"/dir with spaces", "/a\tb", "/photos [2020]", "/a*", "/a?", "/{a,b}"}) {
        EXPECT_FALSE(ftp::IsPlainListArgument(path)) << path;
    }
}

TEST(Features, FeatNamesWhatTheServerOffers) {
    const ftp::ServerFeatures f = ftp::ParseFeatures(
        "211-Extensions supported:\r\n UTF8\r\n MDTM\r\n mfmt\r\n MLST type*;size*;modify*;\r\n"
        " SIZE\r\n211 End.\r\n");
    EXPECT_TRUE(f.mlsd && f.mdtm && f.mfmt && f.utf8 && f.size);
    const ftp::ServerFeatures none = ftp::ParseFeatures("500 FEAT not understood\r\n");
    EXPECT_FALSE(none.mlsd || none.mdtm || none.mfmt || none.utf8 || none.size);
    EXPECT_FALSE(ftp::ParseFeatures("211-x\r\nMLST in the wrong place\r\n211 End\r\n").mlsd);
}

TEST(Features, MlsdBecomesLinesOfTheLongFormatWithExactTimes) {
    setenv("TZ", "UTC0", 1);
    tzset();
    ftp::ExactTimes times;
    bool symlinks = false;
    const std::int64_t now = 1765260000; // 2025-12-09 06:00:00 UTC
    const std::string listing = ftp::MlsdToListing(
        "type=cdir;modify=20251209060000; .\r\n"
        "type=dir;sizd=4096;modify=20251209055500;UNIX.mode=0750; sub dir\r\n"
        "modify=20190304050607;perm=adfrw;size=3;type=file;UNIX.mode=0644;UNIX.ownername=ann "
        "b; a;b.txt\r\n"
        "type=OS.unix=slink:;size=5;modify=20251209060000; lnk\r\n"
        "type=file;size=x9;modify=20251209060000; odd size\r\n"
        "no facts at all\r\n"
        "type=file;size=1;modify=yesterday; no time\r\n"
        "type=file;size=1;modify=20251209060000;\r\n"
        "type=file;size=2;modify=20251209060000.123; .hidden\r\n",
        times, symlinks, now);
    EXPECT_EQ(listing, "drwxr-x--- 1 owner group 4096 Dec  9 05:55 sub dir\r\n"
                       "-rw-r--r-- 1 ann_b group 3 Mar  4  2019 a;b.txt\r\n"
                       "-rw-r--r-- 1 owner group 5 Dec  9 06:00 lnk\r\n"
                       "-rw-r--r-- 1 owner group 0 Dec  9 06:00 odd size\r\n"
                       "-rw-r--r-- 1 owner group 2 Dec  9 06:00 .hidden\r\n");
    EXPECT_TRUE(symlinks);
    EXPECT_EQ(times, (ftp::ExactTimes{1765259700, 1551675967, 1765260000, 1765260000, 1765260000}));
    // The grammar reads the converted lines as it reads a server's LIST.
    const ftp::ListingIndex index(listing);
    EXPECT_EQ(index.Size("a;b.txt"), 3);
    EXPECT_EQ(index.Field(0, ftp::kFieldName, true), "sub dir");
    unsetenv("TZ");
    tzset();
}

TEST(Features, FactTimesBothWays) {
    std::int64_t utc = 0;
    EXPECT_TRUE(ftp::ParseFactTime("20170101010101", utc));
    EXPECT_EQ(utc, 1483232461);
    EXPECT_EQ(ftp::FactTime(utc), "20170101010101");
    for (const char* bad : {"2017010101010", "20171301010101", "2017010101010x", ""}) {
        EXPECT_FALSE(ftp::ParseFactTime(bad, utc)) << bad;
    }
}

TEST(DisplayedNames, BytesThatAreNotUtf8ShowAsReplacementCharacters) {
    EXPECT_EQ(res::DisplayableUtf8("caf\xe9.txt"), "caf\xEF\xBF\xBD.txt");
    EXPECT_EQ(res::DisplayableUtf8("Gr\xC3\xBC\xC3\x9F"
                                   "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(res::DisplayableUtf8("\xC3"), "\xEF\xBF\xBD");
}

} // namespace
