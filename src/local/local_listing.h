// One scan of a local folder: names, images and display order, kept only until the list
// control holds the items.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace local {

struct LocalListing {
    std::vector<std::string> names;
    std::vector<std::int8_t> icons;     // 0 for a folder, IconIndexForName for a file
    std::vector<std::int32_t> order;    // order[k] = index of the entry shown at position k
    std::vector<std::int64_t> sizes;    // -1 for a folder or a size that could not be read
    std::vector<std::int64_t> modified; // seconds since the epoch; kNoTime when unread

    static constexpr std::int64_t kNoTime = INT64_MIN;

    void Clear() {
        names = {};
        icons = {};
        order = {};
        sizes = {};
        modified = {};
    }
};

// Compares names with the letters A to Z folded to lower case and every other byte by its
// value; < 0, 0 or > 0.
int CompareNamesNoCase(const std::string& a, const std::string& b);

// Fills `order` for the first `count` entries: folders first, then files by image index in
// ascending order, each group in name order; entries that compare equal keep their scan order.
void OrderLocalListing(LocalListing& listing, int count);

} // namespace local
