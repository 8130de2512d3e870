#include "local/local_listing.h"

#include <algorithm>
#include <numeric>

namespace local {

namespace {

unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

} // namespace

int CompareNamesNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = Fold(a[i]);
        const unsigned char y = Fold(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

void OrderLocalListing(LocalListing& listing, int count) {
    if (count < 0) {
        count = 0;
    }
    const auto n = std::min(static_cast<std::size_t>(count),
                            std::min(listing.names.size(), listing.icons.size()));
    listing.order.resize(n);
    std::iota(listing.order.begin(), listing.order.end(), 0);
    // The same order as ranking every pair (image, then name, then scan position), in
    // n log n steps so that a folder of many thousand entries lists at once.
    std::stable_sort(listing.order.begin(), listing.order.end(),
                     [&listing](std::int32_t i, std::int32_t j) {
                         const auto a = static_cast<std::size_t>(i);
                         const auto b = static_cast<std::size_t>(j);
                         if (listing.icons[a] != listing.icons[b]) {
                             return listing.icons[a] < listing.icons[b];
                         }
                         return CompareNamesNoCase(listing.names[a], listing.names[b]) < 0;
                     });
}

} // namespace local
