#include <gtest/gtest.h>

#include <string>

#include "ftp/permission_mode.h"

namespace {

TEST(PermissionToMode, EachPlaceCountsOnlyItsOwnLetter) {
    const struct {
        const char* permission;
        const char* mode;
    } cases[] = {
        {"-rwxr-xr-x", "755"}, // every place
        {"----r--r--", "44"},  // no leading zeros
        {"d---------", "0"},   // none at all
        {"lrwxrwxrwx", "777"}, // the type character is not read
        {"-rwsr-sr-t", "644"}, // set-id and sticky letters count as absent
        {"-xwrxwrxwr", "222"}, // a letter in another's place adds nothing
        {"-rw", "600"},        // a short text reads as far as it goes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ftp::PermissionToMode(c.permission), c.mode) << c.permission;
    }
}

} // namespace
