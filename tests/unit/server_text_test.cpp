// What the engine makes of text that servers send in their own ways: ASCII downloads split
// into blocks anywhere, link targets relative to their folder, folder paths as LIST arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftp/entry_names.h"
#include "ftp/ftp_client.h"

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

} // namespace
