#include "ui/pane_columns.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <sstream>

#include "local/local_listing.h"
#include "platform/calendar.h"
#include "res/file_types.h"

namespace ui {

namespace {

std::int64_t SizeOf(const win::ListRow& row) {
    if (row.cells.empty() || row.cells[0].empty()) {
        return -1;
    }
    std::int64_t value = 0;
    for (char c : row.cells[0]) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        }
    }
    return value;
}

const std::string& Cell(const win::ListRow& row, int column) {
    static const std::string kNone;
    const auto at = static_cast<std::size_t>(column - 1);
    return column >= 1 && at < row.cells.size() ? row.cells[at] : kNone;
}

// < 0, 0 or > 0 by the column alone, ascending.
int CompareBy(int column, const win::ListRow& a, const win::ListRow& b) {
    switch (column) {
    case kColumnSize: {
        const std::int64_t x = SizeOf(a);
        const std::int64_t y = SizeOf(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    case kColumnModified:
    case kColumnPermissions:
        return Cell(a, column).compare(Cell(b, column));
    default:
        return local::CompareNamesNoCase(a.text, b.text);
    }
}

// True when `a` comes before `b` in the order.
bool Before(const PaneOrder& order, const win::ListRow& a, const win::ListRow& b) {
    const bool folderA = a.image == res::kImageFolder;
    const bool folderB = b.image == res::kImageFolder;
    if (folderA != folderB) {
        return folderA;
    }
    int result = CompareBy(order.column, a, b);
    if (result == 0 && order.column != kColumnName) {
        result = local::CompareNamesNoCase(a.text, b.text);
    }
    return order.descending ? result > 0 : result < 0;
}

} // namespace

void PaneOrder::Click(int clicked) {
    if (clicked == column) {
        descending = !descending;
    } else {
        column = clicked;
        descending = false;
    }
}

std::vector<win::ListColumn> PaneColumns(bool remote, const std::vector<int>& savedWidths) {
    std::vector<win::ListColumn> columns = {
        {"Name", remote ? 180 : 220, false},
        {"Size", 90, true},
        {"Modified", 135, false},
    };
    if (remote) {
        columns.push_back({"Permissions", 90, false});
    }
    if (savedWidths.size() == columns.size()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            columns[i].width = savedWidths[i];
        }
    }
    return columns;
}

std::string SizeCell(std::int64_t size) {
    if (size < 0) {
        return "";
    }
    std::string digits = std::to_string(size);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string TimeCell(int year, int month, int day, int hour, int minute, bool timeOfDay) {
    char text[32];
    if (timeOfDay) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour,
                      minute);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    }
    return text;
}

std::string TimeCellUtc(std::int64_t seconds, bool timeOfDay) {
    // The civil date without the C library's zone handling.
    std::int64_t days = seconds / platform::kSecondsPerDay;
    std::int64_t rest = seconds % platform::kSecondsPerDay;
    if (rest < 0) {
        rest += platform::kSecondsPerDay;
        --days;
    }
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    platform::CivilFromDays(days, year, month, day);
    return TimeCell(static_cast<int>(year), month, day, static_cast<int>(rest / 3600),
                    static_cast<int>(rest % 3600 / 60), timeOfDay);
}

std::vector<std::size_t> SortedPositions(const std::vector<win::ListRow>& rows,
                                         const PaneOrder& order) {
    std::vector<std::size_t> positions(rows.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    if (order.Chosen()) {
        std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
            return Before(order, rows[a], rows[b]);
        });
    }
    return positions;
}

void SortRows(std::vector<win::ListRow>& rows, const PaneOrder& order) {
    if (!order.Chosen()) {
        return;
    }
    std::vector<win::ListRow> sorted;
    sorted.reserve(rows.size());
    for (std::size_t position : SortedPositions(rows, order)) {
        sorted.push_back(std::move(rows[position]));
    }
    rows = std::move(sorted);
}

int SortedPlace(int count, const std::function<win::ListRow(int)>& rowAt, const win::ListRow& row,
                const PaneOrder& order) {
    if (!order.Chosen()) {
        return -1;
    }
    // The first row that comes after `row`: after the rows equal to it, as a stable sort puts it.
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (Before(order, row, rowAt(middle))) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

std::string WidthsText(const std::vector<int>& widths) {
    std::string text;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        text += (i == 0 ? "" : ",") + std::to_string(widths[i]);
    }
    return text;
}

std::vector<int> ParseWidths(const std::string& text) {
    std::vector<int> widths;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        int value = 0;
        if (part.empty() || part.size() > 4 ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return {};
        }
        value = std::stoi(part);
        if (value < 16 || value > 4000) {
            return {};
        }
        widths.push_back(value);
    }
    return widths;
}

} // namespace ui
