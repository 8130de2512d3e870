// The panes' detail columns, the order picked by their headers, and the paths typed into the
// two path boxes.
#include "ftp/listing_index.h"
#include "local/local_path.h"
#include "platform/file_system.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "ui/main_dialog.h"
#include "ui/pane_columns.h"

namespace ui {

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

void CMainDialog::SetUpColumns() {
    m_window.ListView(res::kLocalList).SetColumns(PaneColumns(false, m_localWidths));
    m_window.ListView(res::kRemoteList).SetColumns(PaneColumns(true, m_remoteWidths));
}

std::vector<std::string> CMainDialog::RemoteCells(const ftp::ListingIndex& listing, int line,
                                                  int kind) {
    const bool file = kind != res::kImageFolder && kind != res::kImageLink;
    // Exact times (MLSD) and times whose offset from UTC is known show as local times; others
    // as the server lists them. Nothing is asked of the server for a column.
    std::string time;
    std::int64_t seconds = 0;
    bool timeOfDay = true;
    bool local = m_engine.ExactTime(m_remoteFolder, line, seconds);
    if (!local && listing.ListedAsUtcAt(line, seconds, timeOfDay)) {
        if (m_listOffset) {
            seconds -= *m_listOffset;
            local = true;
        } else {
            time = TimeCellUtc(seconds, timeOfDay);
        }
    }
    platform::LocalDateTime when;
    if (local && platform::ToLocalDateTime(seconds, when)) {
        time = TimeCell(when.year, when.month, when.day, when.hour, when.minute, timeOfDay);
    }
    return {file ? SizeCell(listing.SizeAt(line)) : std::string(), std::move(time),
            std::string(listing.FieldView(line, ftp::kFieldPermissions, false))};
}

PaneOrder& CMainDialog::OrderOf(int list) {
    return list == res::kLocalList ? m_localOrder : m_remoteOrder;
}

void CMainDialog::OnColumnClick(win::Message& message) {
    // A running job may be counting on the rows where they are.
    if (m_busy) {
        return;
    }
    PaneOrder& order = OrderOf(message.id);
    order.Click(message.index);
    win::IListView& list = m_window.ListView(message.id);
    const std::vector<win::ListRow> rows = list.GetRows();
    std::vector<bool> selected(rows.size());
    for (int row = list.GetNextSelected(-1); row >= 0; row = list.GetNextSelected(row)) {
        selected[static_cast<std::size_t>(row)] = true;
    }
    const int mark = list.GetSelectionMark();
    // The selection and the mark travel with their rows.
    std::vector<win::ListRow> sorted;
    sorted.reserve(rows.size());
    std::vector<int> reselect;
    int newMark = -1;
    for (std::size_t was : SortedPositions(rows, order)) {
        const int now = static_cast<int>(sorted.size());
        if (selected[was]) {
            reselect.push_back(now);
        }
        if (static_cast<int>(was) == mark) {
            newMark = now;
        }
        sorted.push_back(rows[was]);
    }
    list.DeleteAllItems();
    list.InsertRows(0, sorted);
    for (int row : reselect) {
        list.SetItemState(row, win::kStateSelected, win::kStateSelected);
    }
    if (newMark >= 0) {
        list.SetItemState(newMark, win::kStateFocused, win::kStateFocused);
        list.SetSelectionMark(newMark);
    }
    list.SetSortIndicator(order.column, !order.descending);
}

int CMainDialog::PlaceInOrder(int list, const win::ListRow& row) {
    const PaneOrder& order = OrderOf(list);
    win::IListView& pane = m_window.ListView(list);
    const int place = SortedPlace(
        pane.GetItemCount(),
        [&pane](int at) {
            return win::ListRow{pane.GetItemText(at), pane.GetItemImage(at), pane.GetItemCells(at)};
        },
        row, order);
    return place >= 0 ? place : pane.GetItemCount();
}

void CMainDialog::MoveRowToItsPlace(int list, int row) {
    const PaneOrder& order = OrderOf(list);
    win::IListView& pane = m_window.ListView(list);
    if (!order.Chosen() || row < 0 || row >= pane.GetItemCount()) {
        return;
    }
    const win::ListRow moved{pane.GetItemText(row), pane.GetItemImage(row), pane.GetItemCells(row)};
    const unsigned state = pane.GetItemState(row);
    const bool marked = pane.GetSelectionMark() == row;
    pane.DeleteItem(row);
    const int place = PlaceInOrder(list, moved);
    pane.InsertRows(place, {moved});
    pane.SetItemState(place, state, win::kStateSelected | win::kStateFocused);
    if (marked) {
        pane.SetSelectionMark(place);
    }
}

void CMainDialog::GoToTypedPath(int comboId) {
    const bool local = comboId == res::kDriveCombo;
    std::string typed = Trimmed(local ? m_window.ImageCombo(comboId).GetEditText()
                                      : m_window.Combo(comboId).GetEditText());
    if (typed.empty()) {
        return;
    }
    if (local) {
        if (typed == "~" || typed.starts_with("~/")) {
            typed = platform::HomeFolder() + typed.substr(1);
        }
        // A relative path is taken from the folder on show.
        if (!local::IsAbsoluteFolder(typed) && !m_localFolder.empty()) {
            typed = local::JoinFolder(m_localFolder, typed);
        }
        const std::string remembered = m_localFolder;
        m_localFolder = typed;
        if (!ListLocalFolder()) {
            ShowMessage(LastErrorText(), win::Buttons::Ok, win::Icon::Warning);
            m_localFolder = remembered;
            if (!ListLocalFolder()) {
                LocalFolderUp();
            }
        }
        m_window.ImageCombo(comboId).SetEditText(m_localFolder);
        return;
    }
    if (m_busy || !m_connected) {
        return;
    }
    if (!typed.starts_with('/')) {
        typed = (m_remoteFolder.ends_with('/') ? m_remoteFolder : m_remoteFolder + '/') + typed;
    }
    m_previousRemoteFolder = m_remoteFolder;
    m_remoteFolder = typed;
    RunJob(&CMainDialog::ChangeFolderJob, true);
}

} // namespace ui
