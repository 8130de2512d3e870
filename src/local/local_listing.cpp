#include "local/local_listing.h"

#include <algorithm>
#include <numeric>

#include "res/ascii_case.h"

namespace local {

int CompareNamesNoCase(const std::string& a, const std::string& b) {
    return res::CompareIgnoringAsciiCase(a, b);
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
