// The panes' column texts and the order by them.
#include <gtest/gtest.h>

#include "res/file_types.h"
#include "ui/pane_columns.h"

namespace {

TEST(PaneColumns, CellTextsAndSavedWidths) {
    EXPECT_EQ(ui::SizeCell(-1), "");
    EXPECT_EQ(ui::SizeCell(0), "0");
    EXPECT_EQ(ui::SizeCell(999), "999");
    EXPECT_EQ(ui::SizeCell(1000), "1,000");
    EXPECT_EQ(ui::SizeCell(9223372036854775807LL), "9,223,372,036,854,775,807");
    EXPECT_EQ(ui::TimeCellUtc(0, true), "1970-01-01 00:00");
    EXPECT_EQ(ui::TimeCellUtc(951782400, false), "2000-02-29"); // a leap day
    EXPECT_EQ(ui::TimeCellUtc(1577934245, true), "2020-01-02 03:04");
    EXPECT_EQ(ui::TimeCellUtc(-1, true), "1969-12-31 23:59");
    EXPECT_EQ(ui::ParseWidths("220,90,135"), (std::vector<int>{220, 90, 135}));
    for (const char* bad : {"220,,135", "220,9", "abc", "220,90,5000", "12345"}) {
        EXPECT_TRUE(ui::ParseWidths(bad).empty()) << bad;
    }
    EXPECT_EQ(ui::WidthsText({220, 90}), "220,90");
}

TEST(PaneColumns, SortingKeepsFoldersOnTopAndNewRowsFindTheirPlace) {
    const int folder = res::kImageFolder;
    std::vector<win::ListRow> rows = {
        {"b.txt", 6, {"1,000", "2021-01-01 10:00", "-rw-r--r--"}},
        {"sub", folder, {"", "2020-05-05 10:00", "drwxr-xr-x"}},
        {"A.txt", 6, {"20", "2022-01-01 10:00", "-rw-------"}},
        {"c.txt", 6, {"20", "2019-01-01 10:00", "-rw-r--r--"}},
    };
    auto names = [](const std::vector<win::ListRow>& list) {
        std::string text;
        for (const auto& row : list) {
            text += row.text + " ";
        }
        return text;
    };
    ui::PaneOrder order;
    ui::SortRows(rows, order);
    EXPECT_EQ(names(rows), "b.txt sub A.txt c.txt ") << "the pane's own order stays";
    // Equal sizes go by name, letters without regard to case.
    order.Click(ui::kColumnSize);
    ui::SortRows(rows, order);
    EXPECT_EQ(names(rows), "sub A.txt c.txt b.txt ");
    order.Click(ui::kColumnSize);
    ui::SortRows(rows, order);
    EXPECT_EQ(names(rows), "sub b.txt c.txt A.txt ");
    order.Click(ui::kColumnModified);
    EXPECT_FALSE(order.descending);
    ui::SortRows(rows, order);
    EXPECT_EQ(names(rows), "sub c.txt b.txt A.txt ");

    const auto rowAt = [&rows](int at) { return rows[static_cast<std::size_t>(at)]; };
    const int count = static_cast<int>(rows.size());
    EXPECT_EQ(ui::SortedPlace(count, rowAt, {"new", 6, {"1", "2020-06-01 00:00", ""}}, order), 2);
    EXPECT_EQ(ui::SortedPlace(count, rowAt, {"dir", folder, {"", "2030-01-01 00:00", ""}}, order),
              1);
    EXPECT_EQ(ui::SortedPlace(count, rowAt, {"z", 6, {"1", "2099-01-01 00:00", ""}}, order), 4);
    EXPECT_EQ(ui::SortedPlace(count, rowAt, {"z", 6, {}}, ui::PaneOrder{}), -1);
}

} // namespace
