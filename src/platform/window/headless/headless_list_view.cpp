#include "platform/window/headless/headless_control.h"

#include <algorithm>

#include "platform/window/headless/headless_window_base.h"
#include "res/ascii_case.h"

// The list view part of a control: rows with an image and a state, the selection mark and the
// row whose label is being edited. Drop-down boxes, the list box and the tab strip keep their
// items in the same rows.
namespace headless {

void Control::DeleteAllItems() {
    WindowLock lock(m_owner.Mutex());
    m_rows.clear();
    m_curSel = -1;
    m_selectionMark = -1;
    m_editingRow = -1;
}

int Control::InsertItem(int index, const std::string& text, int image) {
    WindowLock lock(m_owner.Mutex());
    Row row;
    row.text = text;
    row.image = image;
    row.selectedImage = image;
    if (index < 0 || index > static_cast<int>(m_rows.size())) {
        index = static_cast<int>(m_rows.size());
    }
    m_rows.insert(m_rows.begin() + index, row);
    if (m_selectionMark >= index) {
        ++m_selectionMark;
    }
    if (m_curSel >= index) {
        ++m_curSel;
    }
    return index;
}

int Control::InsertRows(int index, const std::vector<win::ListRow>& rows) {
    WindowLock lock(m_owner.Mutex());
    int done = 0;
    for (const win::ListRow& row : rows) {
        const int at = InsertItem(index < 0 ? -1 : index + done, row.text, row.image);
        if (at < 0) {
            break;
        }
        m_rows[static_cast<std::size_t>(at)].cells = row.cells;
        ++done;
    }
    return done;
}

std::vector<win::ListRow> Control::GetRows() const {
    WindowLock lock(m_owner.Mutex());
    std::vector<win::ListRow> rows;
    rows.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        rows.push_back(win::ListRow{row.text, row.image, row.cells});
    }
    return rows;
}

void Control::SetItemCells(int index, const std::vector<std::string>& cells) {
    WindowLock lock(m_owner.Mutex());
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        m_rows[static_cast<std::size_t>(index)].cells = cells;
    }
}

std::vector<std::string> Control::GetItemCells(int index) const {
    WindowLock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(index)].cells;
}

void Control::SetColumns(const std::vector<win::ListColumn>& columns) {
    WindowLock lock(m_owner.Mutex());
    m_columns = columns;
}

std::vector<int> Control::GetColumnWidths() const {
    WindowLock lock(m_owner.Mutex());
    std::vector<int> widths;
    for (const win::ListColumn& column : m_columns) {
        widths.push_back(column.width);
    }
    return widths;
}

void Control::SetSortIndicator(int column, bool ascending) {
    WindowLock lock(m_owner.Mutex());
    m_sortColumn = column;
    m_sortAscending = ascending;
}

std::vector<win::ListColumn> Control::Columns() const {
    WindowLock lock(m_owner.Mutex());
    return m_columns;
}

int Control::SortColumn() const {
    WindowLock lock(m_owner.Mutex());
    return m_sortColumn;
}

bool Control::SortAscending() const {
    WindowLock lock(m_owner.Mutex());
    return m_sortAscending;
}

bool Control::DeleteItem(int index) {
    WindowLock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return false;
    }
    m_rows.erase(m_rows.begin() + index);
    if (m_selectionMark == index) {
        m_selectionMark = -1;
    } else if (m_selectionMark > index) {
        --m_selectionMark;
    }
    if (m_curSel == index) {
        m_curSel = -1;
    } else if (m_curSel > index) {
        --m_curSel;
    }
    return true;
}

int Control::GetItemCount() const {
    WindowLock lock(m_owner.Mutex());
    return static_cast<int>(m_rows.size());
}

std::string Control::GetItemText(int index) const {
    WindowLock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return "";
    }
    return m_rows[static_cast<std::size_t>(index)].text;
}

void Control::SetItemText(int index, const std::string& text) {
    WindowLock lock(m_owner.Mutex());
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        m_rows[static_cast<std::size_t>(index)].text = text;
    }
}

int Control::GetItemImage(int index) const {
    WindowLock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return -1;
    }
    return m_rows[static_cast<std::size_t>(index)].image;
}

void Control::SetItemImage(int index, int image) {
    WindowLock lock(m_owner.Mutex());
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        m_rows[static_cast<std::size_t>(index)].image = image;
    }
}

unsigned Control::GetItemState(int index) const {
    WindowLock lock(m_owner.Mutex());
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        return 0;
    }
    return m_rows[static_cast<std::size_t>(index)].state;
}

void Control::SetItemState(int index, unsigned state, unsigned mask) {
    WindowLock lock(m_owner.Mutex());
    auto apply = [&](Row& r) { r.state = (r.state & ~mask) | (state & mask); };
    if (index == -1) {
        for (auto& r : m_rows) {
            apply(r);
        }
        return;
    }
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        if ((mask & win::kStateFocused) && (state & win::kStateFocused)) {
            for (auto& r : m_rows) {
                r.state &= ~static_cast<unsigned>(win::kStateFocused);
            }
        }
        apply(m_rows[static_cast<std::size_t>(index)]);
    }
}

int Control::GetSelectedCount() const {
    WindowLock lock(m_owner.Mutex());
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) {
        return (r.state & win::kStateSelected) != 0;
    }));
}

int Control::GetNextSelected(int after) const {
    WindowLock lock(m_owner.Mutex());
    for (int i = std::max(after + 1, 0); i < static_cast<int>(m_rows.size()); ++i) {
        if (m_rows[static_cast<std::size_t>(i)].state & win::kStateSelected) {
            return i;
        }
    }
    return -1;
}

int Control::GetSelectionMark() const {
    WindowLock lock(m_owner.Mutex());
    return m_selectionMark;
}

void Control::SetSelectionMark(int index) {
    WindowLock lock(m_owner.Mutex());
    m_selectionMark = index;
}

int Control::FindItem(const std::string& text) const {
    WindowLock lock(m_owner.Mutex());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (res::EqualIgnoringAsciiCase(m_rows[i].text, text)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Control::EditLabel(int index) {
    WindowLock lock(m_owner.Mutex());
    m_editingRow = index;
}

void Control::SetImageList(int bitmapId) {
    WindowLock lock(m_owner.Mutex());
    m_imageList = bitmapId;
}

std::vector<Row> Control::Rows() const {
    WindowLock lock(m_owner.Mutex());
    return m_rows;
}

int Control::EditingRow() const {
    WindowLock lock(m_owner.Mutex());
    return m_editingRow;
}

void Control::ClearEditingRow() {
    WindowLock lock(m_owner.Mutex());
    m_editingRow = -1;
}

int Control::ImageList() const {
    WindowLock lock(m_owner.Mutex());
    return m_imageList;
}

} // namespace headless
