// Order of a local listing, file-type images, number formats and the status text.
#include <gtest/gtest.h>

#include <random>

#include "local/file_type.h"
#include "local/item_status.h"
#include "local/local_listing.h"
#include "local/number_format.h"
#include "res/file_types.h"

namespace {

local::LocalListing Listing(const std::vector<std::pair<std::string, bool>>& entries) {
    local::LocalListing listing;
    for (const auto& [name, folder] : entries) {
        listing.names.push_back(name);
        listing.icons.push_back(folder ? std::int8_t{res::kImageFolder}
                                       : local::IconIndexForName(name));
    }
    return listing;
}

std::vector<std::string> Shown(const local::LocalListing& listing) {
    std::vector<std::string> names;
    for (std::int32_t i : listing.order) {
        names.push_back(listing.names[static_cast<std::size_t>(i)]);
    }
    return names;
}

// The pairwise rank count the order is defined by.
std::vector<std::int32_t> RankCountOrder(const local::LocalListing& l) {
    const std::size_t n = l.names.size();
    std::vector<std::int32_t> counter(n, 0);
    std::vector<std::int32_t> order(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (l.icons[i] != l.icons[j]) {
                ++counter[l.icons[i] > l.icons[j] ? i : j];
            } else if (local::CompareNamesNoCase(l.names[i], l.names[j]) <= 0) {
                ++counter[j];
            } else {
                ++counter[i];
            }
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        order[static_cast<std::size_t>(counter[i])] = static_cast<std::int32_t>(i);
    }
    return order;
}

TEST(LocalListingOrder, FoldersFirstThenFilesByImageThenName) {
    local::LocalListing l = Listing({{"b.txt", false},
                                     {"A.TXT", false},
                                     {"zeta", true},
                                     {"x.exe", false},
                                     {"page.HTM", false},
                                     {"Alpha", true}});
    local::OrderLocalListing(l, 6);
    EXPECT_EQ(Shown(l),
              (std::vector<std::string>{"Alpha", "zeta", "page.HTM", "A.TXT", "b.txt", "x.exe"}));
}

TEST(LocalListingOrder, MatchesThePairwiseRankCountOnRandomNames) {
    // Names built from few letters so that equal names, case twins and high bytes all occur.
    const std::string alphabet = "aAbB._\xC3\xA9z";
    const char* const extensions[] = {"", ".txt", ".TXT", ".htm", ".gz", ".exe", ".jpg", "."};
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        local::LocalListing l;
        const int n = static_cast<int>(random() % 40);
        for (int k = 0; k < n; ++k) {
            std::string name;
            const int length = 1 + static_cast<int>(random() % 4);
            for (int c = 0; c < length; ++c) {
                name += alphabet[random() % alphabet.size()];
            }
            const bool folder = random() % 4 == 0;
            name += folder ? "" : extensions[random() % 8];
            l.names.push_back(name);
            l.icons.push_back(folder ? std::int8_t{res::kImageFolder}
                                     : local::IconIndexForName(name));
        }
        local::OrderLocalListing(l, n);
        ASSERT_EQ(l.order, RankCountOrder(l)) << "round " << round;
    }
}

TEST(LocalListingOrder, NamesFoldOnlyAsciiLetters) {
    EXPECT_EQ(local::CompareNamesNoCase("ABC", "abc"), 0);
    EXPECT_LT(local::CompareNamesNoCase("ab", "ABC"), 0);
    // "_" (0x5F) lies between the upper- and lower-case letters; folding puts it before "a".
    EXPECT_LT(local::CompareNamesNoCase("_", "A"), 0);
    // Bytes of UTF-8 characters compare above every ASCII byte.
    EXPECT_GT(local::CompareNamesNoCase("\xC3\x89", "z"), 0);
    EXPECT_NE(local::CompareNamesNoCase("\xC3\x89", "\xC3\xA9"), 0);
}

TEST(FileTypeImage, ByLastExtensionIgnoringCase) {
    EXPECT_EQ(local::IconIndexForName("archive.tar.gz"), 11);
    EXPECT_EQ(local::IconIndexForName("README"), 15);
    EXPECT_EQ(local::IconIndexForName("ends.in.dot."), 15);
    EXPECT_EQ(local::IconIndexForName("PHOTO.JPEG"), 7);
    EXPECT_EQ(local::IconIndexForName("index.Html"), 1);
    EXPECT_EQ(local::IconIndexForName(".htm"), 1);
    EXPECT_EQ(local::IconIndexForName("song.mp3.part"), 15);
    EXPECT_EQ(local::IconIndexForName("a.txt"), 6);
    EXPECT_EQ(local::DriveIcon(platform::DriveType::Network), 17);
    EXPECT_EQ(local::DriveIcon(platform::DriveType::Fixed), 18);
    EXPECT_EQ(local::DriveIcon(platform::DriveType::Optical), 19);
    EXPECT_EQ(local::DriveIcon(platform::DriveType::Removable), 20);
    EXPECT_EQ(local::DriveIcon(platform::DriveType::RamDisk), 21);
}

TEST(NumberFormat, ByteCountGroupsThousandsAndCapsAtTenBillion) {
    EXPECT_EQ(local::FormatByteCount(0), "0");
    EXPECT_EQ(local::FormatByteCount(999), "999");
    EXPECT_EQ(local::FormatByteCount(1000), "1.000");
    EXPECT_EQ(local::FormatByteCount(1234567), "1.234.567");
    EXPECT_EQ(local::FormatByteCount(5368709120ULL), "5.368.709.120");
    EXPECT_EQ(local::FormatByteCount(9999999999ULL), "9.999.999.999");
    EXPECT_EQ(local::FormatByteCount(10000000000ULL), "Max");
    EXPECT_EQ(local::FormatByteCount(UINT64_MAX), "Max");
}

TEST(NumberFormat, IntegerAndTwoDigits) {
    EXPECT_EQ(local::FormatInteger(0), "0");
    EXPECT_EQ(local::FormatInteger(2003), "2003");
    EXPECT_EQ(local::FormatInteger(99999999), "99999999");
    EXPECT_EQ(local::FormatTwoDigits(0), "00");
    EXPECT_EQ(local::FormatTwoDigits(5), "05");
    EXPECT_EQ(local::FormatTwoDigits(10), "10");
    EXPECT_EQ(local::FormatTwoDigits(123), "123");
}

TEST(ItemStatus, DateAndSizeRunTogether) {
    platform::LocalDateTime t;
    t.year = 2003;
    t.month = 5;
    t.day = 4;
    t.hour = 9;
    t.minute = 5;
    EXPECT_EQ(local::ItemStatusText("report.txt", t, 1234567),
              " report.txt    Date : 2003/05/04 09:05        Size : 1.234.567");
    // Sizes beyond 32 bits show their true value.
    EXPECT_EQ(local::ItemStatusText("big.iso", t, 5368709120LL),
              " big.iso    Date : 2003/05/04 09:05        Size : 5.368.709.120");
}

} // namespace
