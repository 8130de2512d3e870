// The detail columns of the two file panes and the order the user picks by their headers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window/controls.h"

namespace ui {

// Columns of both panes; the remote pane adds the permissions.
enum PaneColumn : int { kColumnName = 0, kColumnSize, kColumnModified, kColumnPermissions };

// The order of a pane's rows. Until the user clicks a header, rows stay in the order the pane
// fills them in (folders first, then by kind and name).
struct PaneOrder {
    int column = -1; // -1: the pane's own order
    bool descending = false;

    bool Chosen() const { return column >= 0; }
    // A click on a header: sorts by it, or reverses the order it already sorts by.
    void Click(int clicked);
};

std::vector<win::ListColumn> PaneColumns(bool remote, const std::vector<int>& savedWidths);

// A size in bytes with thousands separators; "" for a folder.
std::string SizeCell(std::int64_t size);
// "YYYY-MM-DD HH:MM", or the date alone when the minute is not known.
std::string TimeCell(int year, int month, int day, int hour, int minute, bool timeOfDay);
// The same for seconds since the epoch, read as UTC (a time the server listed in its own zone).
std::string TimeCellUtc(std::int64_t seconds, bool timeOfDay);

// The positions of the rows in the order: result[k] is the row shown k-th (a stable sort;
// folders stay above files, as in the pane's own order). In the pane's own order every row
// keeps its place.
std::vector<std::size_t> SortedPositions(const std::vector<win::ListRow>& rows,
                                         const PaneOrder& order);
void SortRows(std::vector<win::ListRow>& rows, const PaneOrder& order);
// Where `row` belongs among `count` rows that are in that order, read one at a time by
// `rowAt` (a few reads of a long list, not all of it); -1 when the order is the pane's own.
int SortedPlace(int count, const std::function<win::ListRow(int)>& rowAt, const win::ListRow& row,
                const PaneOrder& order);

// "120,200,130" and back; widths outside 16..4000 pixels are not kept.
std::string WidthsText(const std::vector<int>& widths);
std::vector<int> ParseWidths(const std::string& text);

} // namespace ui
