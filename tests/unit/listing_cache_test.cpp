#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "ftp/listing_cache.h"

namespace {

TEST(ListingCache, StoreInPlaceKeepsPosition) {
    ftp::ListingCache cache;
    cache.Store("/a", "A1");
    cache.Store("/b", "B1");
    cache.Store("/a", "A2");
    EXPECT_EQ(cache.PathAt(0), "/b");
    EXPECT_EQ(cache.PathAt(1), "/a");
    EXPECT_EQ(cache.TextAt(1), "A2");
    std::string text;
    ASSERT_TRUE(cache.Lookup("/a", text));
    EXPECT_EQ(text, "A2");
    EXPECT_FALSE(cache.Lookup("/A", text));
}

TEST(ListingCache, ThirtyFirstFolderDropsTheOldest) {
    ftp::ListingCache cache;
    for (int i = 0; i <= ftp::ListingCache::kSlots; ++i) {
        cache.Store("/f" + std::to_string(i), "text" + std::to_string(i));
    }
    std::string text;
    EXPECT_FALSE(cache.Lookup("/f0", text));
    ASSERT_TRUE(cache.Lookup("/f1", text));
    EXPECT_EQ(text, "text1");
    EXPECT_EQ(cache.PathAt(0), "/f30");
    EXPECT_EQ(cache.PathAt(29), "/f1");
}

TEST(ListingCache, InvalidateAndClear) {
    ftp::ListingCache cache;
    cache.Store("/a", "A");
    cache.Store("/b", "B");
    cache.Invalidate("/a");
    std::string text;
    EXPECT_FALSE(cache.Lookup("/a", text));
    EXPECT_EQ(cache.PathAt(1), "");
    EXPECT_EQ(cache.TextAt(1), "");
    ASSERT_TRUE(cache.Lookup("/b", text));
    cache.Clear();
    EXPECT_FALSE(cache.Lookup("/b", text));
    for (int i = 0; i < ftp::ListingCache::kSlots; ++i) {
        EXPECT_EQ(cache.PathAt(i), "");
    }
}

TEST(ListingCache, EmptyPathIsNeverCached) {
    ftp::ListingCache cache;
    std::string text = "unchanged";
    EXPECT_FALSE(cache.Lookup("", text)); // free slots have empty paths
    cache.Store("", "listing");
    EXPECT_FALSE(cache.Lookup("", text));
    EXPECT_EQ(text, "unchanged");
}

TEST(ListingCache, UsableFromTwoThreads) {
    ftp::ListingCache cache;
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i) {
            cache.Store("/w" + std::to_string(i % 40), std::string(100, 'w'));
        }
    });
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        if (cache.Lookup("/w" + std::to_string(i % 40), text)) {
            EXPECT_EQ(text, std::string(100, 'w'));
        }
        if (i % 500 == 0) {
            cache.Clear();
        }
    }
    worker.join();
}

// A server that answers every folder with a listing near the listing limit fills the cache to
// its byte bound, not thirty times the limit; the newest listings are the ones kept.
TEST(ListingCacheBound, ThirtyLargeListingsKeepOnlyWhatFitsTheBound) {
    ftp::ListingCache cache;
    const std::string large(3u << 20, 'x');
    for (int i = 0; i < ftp::ListingCache::kSlots; ++i) {
        cache.Store("/f" + std::to_string(i), large);
    }
    std::size_t total = 0;
    for (int slot = 0; slot < ftp::ListingCache::kSlots; ++slot) {
        total += cache.TextAt(slot).size();
    }
    EXPECT_LE(total, ftp::ListingCache::kMaxBytes);
    std::string text;
    EXPECT_TRUE(cache.Lookup("/f29", text));
    EXPECT_FALSE(cache.Lookup("/f0", text));
}

} // namespace
