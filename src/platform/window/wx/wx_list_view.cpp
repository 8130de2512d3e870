#include "platform/window/wx/wx_list_view.h"

#include <wx/dnd.h>

#include <algorithm>
#include <climits>

#include "platform/window/wx/window_core.h"
#include "platform/window/wx/wx_images.h"
#include "platform/window/wx/wx_text.h"
#include "res/ascii_case.h"

namespace wxwin {
namespace {

class FilesDropTarget : public wxFileDropTarget {
public:
    explicit FilesDropTarget(std::function<void(const wxArrayString&)> onDrop)
        : m_onDrop(std::move(onDrop)) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        m_onDrop(names);
        return true;
    }

private:
    std::function<void(const wxArrayString&)> m_onDrop;
};

// A release that ends a drag without being anywhere (the capture was taken away).
constexpr int kNowhere = INT_MIN / 2;

} // namespace

wxWindow* ListWidget::Surface() {
    for (wxWindow* child : GetChildren()) {
        if (dynamic_cast<wxTextCtrl*>(child) == nullptr) {
            return child;
        }
    }
    return this;
}

ListViewControl::ListViewControl(WindowCore& core, int id, ListWidget* list, bool acceptFiles)
    : Control(core, id, list), m_list(list), m_surface(list->Surface()) {
    list->Bind(wxEVT_LIST_ITEM_SELECTED, &ListViewControl::OnStateEvent, this);
    list->Bind(wxEVT_LIST_ITEM_DESELECTED, &ListViewControl::OnStateEvent, this);
    list->Bind(wxEVT_LIST_ITEM_FOCUSED, &ListViewControl::OnStateEvent, this);
    list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &ListViewControl::OnActivated, this);
    list->Bind(wxEVT_LIST_BEGIN_DRAG, &ListViewControl::OnBeginDrag, this);
    list->Bind(wxEVT_LIST_END_LABEL_EDIT, &ListViewControl::OnEndLabelEdit, this);
    list->Bind(wxEVT_CONTEXT_MENU, &ListViewControl::OnContextMenu, this);
    m_surface->Bind(wxEVT_SET_FOCUS, &ListViewControl::OnFocus, this);
    m_surface->Bind(wxEVT_MOTION, &ListViewControl::OnMouse, this);
    m_surface->Bind(wxEVT_LEFT_UP, &ListViewControl::OnMouse, this);
    m_surface->Bind(wxEVT_RIGHT_DOWN, &ListViewControl::OnMouse, this);
    m_surface->Bind(wxEVT_MOUSE_CAPTURE_LOST, &ListViewControl::OnCaptureLost, this);
    m_surface->Bind(wxEVT_KEY_DOWN, &ListViewControl::OnKeyDown, this);
    list->Bind(wxEVT_LIST_COL_CLICK, &ListViewControl::OnColumnClick, this);
    if (acceptFiles) {
        list->SetDropTarget(new FilesDropTarget([this](const wxArrayString& names) {
            if (!*m_alive) {
                return;
            }
            win::Message message{win::MessageKind::FilesDropped};
            message.id = m_id;
            for (const wxString& name : names) {
                message.paths.push_back(FromWx(name));
            }
            Dispatch(message);
        }));
    }
}

// ---- rows ----

void ListViewControl::DeleteAllItems() {
    Run([this] {
        FlushReconcile();
        ++m_quiet;
        if (m_virtual) {
            m_list->SetItemCount(0);
            m_list->Refresh();
        } else {
            m_list->DeleteAllItems();
        }
        --m_quiet;
        m_rows.clear();
        m_selectionMark = -1;
    });
}

int ListViewControl::DoInsert(int index, const std::string& text, int image,
                              const std::vector<std::string>& cells) {
    const int count = static_cast<int>(m_rows.size());
    const int at = index < 0 || index > count ? count : index;
    long row = at;
    if (m_virtual) {
        m_rows.insert(m_rows.begin() + at, Row{text, image, 0, cells});
        MoveVirtualStates(at, 1);
    } else {
        ++m_quiet;
        row = m_list->InsertItem(at, ToWx(text), image);
        if (row >= 0) {
            ShowCells(row, cells);
        }
        --m_quiet;
        if (row < 0) {
            return -1;
        }
        m_rows.insert(m_rows.begin() + row, Row{text, image, 0, cells});
    }
    if (m_selectionMark >= row) {
        ++m_selectionMark;
    }
    return static_cast<int>(row);
}

void ListViewControl::MoveVirtualStates(int from, int by) {
    ++m_quiet;
    std::vector<long> selected;
    for (long row = m_list->GetNextItem(from - 1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row >= 0;
         row = m_list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        selected.push_back(row);
    }
    const long focused = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    for (long row : selected) {
        m_list->SetItemState(row, 0, wxLIST_STATE_SELECTED);
    }
    m_list->SetItemCount(static_cast<long>(m_rows.size()));
    const long count = static_cast<long>(m_rows.size());
    for (long row : selected) {
        if (row + by >= 0 && row + by < count) {
            m_list->SetItemState(row + by, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
    }
    if (focused >= from && focused + by >= 0 && focused + by < count) {
        m_list->SetItemState(focused + by, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    }
    m_list->Refresh();
    --m_quiet;
}

void ListViewControl::ShowCells(long row, const std::vector<std::string>& cells) {
    if (m_virtual) {
        m_list->RefreshItem(row);
        return;
    }
    const int shown = std::min(static_cast<int>(cells.size()), m_columns - 1);
    for (int column = 0; column < shown; ++column) {
        m_list->SetItem(row, column + 1, ToWx(cells[static_cast<std::size_t>(column)]));
    }
}

int ListViewControl::InsertItem(int index, const std::string& text, int image) {
    return Ask<int>(
        [this, index, text, image] {
            FlushReconcile();
            return DoInsert(index, text, image);
        },
        -1);
}

int ListViewControl::InsertRows(int index, const std::vector<win::ListRow>& rows) {
    return Ask<int>([this, index, &rows] {
        FlushReconcile();
        if (m_virtual) {
            const int count = static_cast<int>(m_rows.size());
            const int at = index < 0 || index > count ? count : index;
            std::vector<Row> added;
            added.reserve(rows.size());
            for (const win::ListRow& row : rows) {
                added.push_back(Row{row.text, row.image, 0, row.cells});
            }
            m_rows.insert(m_rows.begin() + at, std::make_move_iterator(added.begin()),
                          std::make_move_iterator(added.end()));
            MoveVirtualStates(at, static_cast<int>(rows.size()));
            if (m_selectionMark >= at) {
                m_selectionMark += static_cast<int>(rows.size());
            }
            return static_cast<int>(rows.size());
        }
        int done = 0;
        m_list->Freeze();
        for (const win::ListRow& row : rows) {
            const int at = index < 0 ? -1 : index + done;
            if (DoInsert(at, row.text, row.image, row.cells) < 0) {
                break;
            }
            ++done;
        }
        m_list->Thaw();
        return done;
    });
}

std::vector<win::ListRow> ListViewControl::GetRows() const {
    return Ask<std::vector<win::ListRow>>([this] {
        std::vector<win::ListRow> rows;
        rows.reserve(m_rows.size());
        for (const Row& row : m_rows) {
            rows.push_back(win::ListRow{row.text, row.image, row.cells});
        }
        return rows;
    });
}

void ListViewControl::SetItemCells(int index, const std::vector<std::string>& cells) {
    Run([this, index, cells] {
        if (index >= 0 && index < static_cast<int>(m_rows.size())) {
            m_rows[static_cast<std::size_t>(index)].cells = cells;
            ShowCells(index, cells);
        }
    });
}

std::vector<std::string> ListViewControl::GetItemCells(int index) const {
    return Ask<std::vector<std::string>>([this, index] {
        return index >= 0 && index < static_cast<int>(m_rows.size())
                   ? m_rows[static_cast<std::size_t>(index)].cells
                   : std::vector<std::string>();
    });
}

void ListViewControl::SetColumns(const std::vector<win::ListColumn>& columns) {
    Run([this, columns] {
        ++m_quiet;
        m_list->ClearAll();
        m_rows.clear();
        m_selectionMark = -1;
        // The virtual flag cannot be turned on alone; the whole style can be set at once.
        m_list->SetWindowStyleFlag((m_list->GetWindowStyleFlag() & ~wxLC_MASK_TYPE) | wxLC_REPORT |
                                   wxLC_VIRTUAL);
        m_virtual = true;
        m_list->cellText = [this](long row, long column) {
            if (row < 0 || row >= static_cast<long>(m_rows.size())) {
                return wxString();
            }
            const Row& shown = m_rows[static_cast<std::size_t>(row)];
            if (column == 0) {
                return ToWx(shown.text);
            }
            const auto cell = static_cast<std::size_t>(column - 1);
            return cell < shown.cells.size() ? ToWx(shown.cells[cell]) : wxString();
        };
        m_list->rowImage = [this](long row) {
            return row >= 0 && row < static_cast<long>(m_rows.size())
                       ? m_rows[static_cast<std::size_t>(row)].image
                       : -1;
        };
        for (const win::ListColumn& column : columns) {
            const int width = column.width > 0 ? column.width : wxLIST_AUTOSIZE_USEHEADER;
            m_list->AppendColumn(ToWx(column.title),
                                 column.rightAligned ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                                 width);
        }
        m_columns = static_cast<int>(columns.size());
        --m_quiet;
    });
}

std::vector<int> ListViewControl::GetColumnWidths() const {
    return Ask<std::vector<int>>([this] {
        std::vector<int> widths;
        for (int i = 0; i < m_columns; ++i) {
            widths.push_back(m_list->GetColumnWidth(i));
        }
        return widths;
    });
}

void ListViewControl::SetSortIndicator(int column, bool ascending) {
    Run([this, column, ascending] {
        if (column < 0 || column >= m_columns) {
            m_list->RemoveSortIndicator();
        } else {
            m_list->ShowSortIndicator(column, ascending);
        }
    });
}

bool ListViewControl::DeleteItem(int index) {
    return Ask<bool>([this, index] {
        if (index < 0 || index >= static_cast<int>(m_rows.size())) {
            return false;
        }
        FlushReconcile();
        if (m_virtual) {
            ++m_quiet;
            m_list->SetItemState(index, 0, wxLIST_STATE_SELECTED);
            --m_quiet;
            m_rows.erase(m_rows.begin() + index);
            MoveVirtualStates(index + 1, -1);
        } else {
            ++m_quiet;
            m_list->DeleteItem(index);
            --m_quiet;
            m_rows.erase(m_rows.begin() + index);
        }
        if (m_selectionMark == index) {
            m_selectionMark = -1;
        } else if (m_selectionMark > index) {
            --m_selectionMark;
        }
        // Deleting a row may move the focus silently; take the widget's word for it.
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            m_rows[i].state = WidgetState(static_cast<int>(i));
        }
        return true;
    });
}

int ListViewControl::GetItemCount() const {
    return Ask<int>([this] { return static_cast<int>(m_rows.size()); });
}

std::string ListViewControl::GetItemText(int index) const {
    return Ask<std::string>([this, index] {
        return index >= 0 && index < static_cast<int>(m_rows.size()) ? m_rows[index].text
                                                                     : std::string();
    });
}

void ListViewControl::SetItemText(int index, const std::string& text) {
    Run([this, index, text] {
        if (index >= 0 && index < static_cast<int>(m_rows.size())) {
            m_rows[index].text = text;
            if (m_virtual) {
                m_list->RefreshItem(index);
            } else {
                m_list->SetItemText(index, ToWx(text));
            }
        }
    });
}

int ListViewControl::GetItemImage(int index) const {
    return Ask<int>(
        [this, index] {
            return index >= 0 && index < static_cast<int>(m_rows.size()) ? m_rows[index].image : -1;
        },
        -1);
}

void ListViewControl::SetItemImage(int index, int image) {
    Run([this, index, image] {
        if (index >= 0 && index < static_cast<int>(m_rows.size())) {
            m_rows[index].image = image;
            if (m_virtual) {
                m_list->RefreshItem(index);
            } else {
                m_list->SetItemImage(index, image);
            }
        }
    });
}

int ListViewControl::FindItem(const std::string& text) const {
    return Ask<int>(
        [this, text] {
            for (std::size_t i = 0; i < m_rows.size(); ++i) {
                if (res::EqualIgnoringAsciiCase(m_rows[i].text, text)) {
                    return static_cast<int>(i);
                }
            }
            return -1;
        },
        -1);
}

void ListViewControl::SetImageList(int bitmapId) {
    Run([this, bitmapId] {
        wxImageList* images = LoadImageList(bitmapId);
        if (images != nullptr) {
            m_list->AssignImageList(images, wxIMAGE_LIST_SMALL);
            m_list->Refresh();
        }
    });
}

void ListViewControl::EditLabel(int index) {
    Run([this, index] {
        if (index < 0 || index >= static_cast<int>(m_rows.size())) {
            return;
        }
        FlushReconcile();
        m_list->SetFocus();
        m_list->EnsureVisible(index);
        m_list->EditLabel(index);
    });
}

// ---- states ----

unsigned ListViewControl::WidgetState(int index) const {
    const long state = m_list->GetItemState(index, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    unsigned result = win::kStateNone;
    if (state & wxLIST_STATE_SELECTED) {
        result |= win::kStateSelected;
    }
    if (state & wxLIST_STATE_FOCUSED) {
        result |= win::kStateFocused;
    }
    return result;
}

unsigned ListViewControl::GetItemState(int index) const {
    return Ask<unsigned>([this, index] {
        return index >= 0 && index < static_cast<int>(m_rows.size()) ? WidgetState(index) : 0u;
    });
}

void ListViewControl::SetItemState(int index, unsigned state, unsigned mask) {
    Run([this, index, state, mask] {
        FlushReconcile();
        long wxMask = 0;
        long wxState = 0;
        if (mask & win::kStateSelected) {
            wxMask |= wxLIST_STATE_SELECTED;
            if (state & win::kStateSelected) {
                wxState |= wxLIST_STATE_SELECTED;
            }
        }
        if (mask & win::kStateFocused) {
            wxMask |= wxLIST_STATE_FOCUSED;
            if (state & win::kStateFocused) {
                wxState |= wxLIST_STATE_FOCUSED;
            }
        }
        if (wxMask == 0) {
            return;
        }
        ++m_quiet;
        if (index < 0) {
            // -1 stands for every row.
            for (std::size_t i = 0; i < m_rows.size(); ++i) {
                m_list->SetItemState(static_cast<long>(i), wxState, wxMask);
            }
        } else if (index < static_cast<int>(m_rows.size())) {
            m_list->SetItemState(index, wxState, wxMask);
        }
        --m_quiet;
        // The program's own change notifies nobody; only record it.
        Reconcile(false);
    });
}

int ListViewControl::GetSelectedCount() const {
    return Ask<int>([this] { return m_list->GetSelectedItemCount(); });
}

int ListViewControl::GetNextSelected(int after) const {
    return Ask<int>(
        [this, after] {
            return static_cast<int>(
                m_list->GetNextItem(after, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
        },
        -1);
}

int ListViewControl::GetSelectionMark() const {
    return Ask<int>(
        [this] {
            const_cast<ListViewControl*>(this)->FlushReconcile();
            return m_selectionMark;
        },
        -1);
}

void ListViewControl::SetSelectionMark(int index) {
    Run([this, index] {
        FlushReconcile();
        m_selectionMark = index >= 0 && index < static_cast<int>(m_rows.size()) ? index : -1;
    });
}

void ListViewControl::Reconcile(bool byUser) {
    m_reconcilePending = false;
    struct Change {
        int index;
        unsigned oldState;
        unsigned newState;
    };
    std::vector<Change> losses;
    std::vector<Change> gains;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const unsigned now = WidgetState(static_cast<int>(i));
        if (now == m_rows[i].state) {
            continue;
        }
        const Change change{static_cast<int>(i), m_rows[i].state, now};
        m_rows[i].state = now;
        ((now & ~change.oldState) == 0 ? losses : gains).push_back(change);
    }
    if (!byUser) {
        return;
    }
    // The selection mark follows the row the user last selected.
    for (const Change& change : gains) {
        if ((change.newState & win::kStateSelected) &&
            (!(change.oldState & win::kStateSelected) || (change.newState & win::kStateFocused))) {
            m_selectionMark = change.index;
        }
    }
    losses.insert(losses.end(), gains.begin(), gains.end());
    for (const Change& change : losses) {
        for (auto kind : {win::MessageKind::ItemChanging, win::MessageKind::ItemChanged}) {
            win::Message message{kind};
            message.id = m_id;
            message.index = change.index;
            message.oldState = change.oldState;
            message.newState = change.newState;
            Dispatch(message);
        }
    }
}

void ListViewControl::ScheduleReconcile() {
    if (m_reconcilePending) {
        return;
    }
    m_reconcilePending = true;
    // One click changes several rows through several events; tell the logic once it is over.
    m_list->CallAfter([this, alive = m_alive] {
        if (*alive && m_reconcilePending) {
            Reconcile(true);
        }
    });
}

void ListViewControl::FlushReconcile() {
    if (m_reconcilePending) {
        Reconcile(true);
    }
}

// ---- events ----

void ListViewControl::Send(win::MessageKind kind, int index) {
    win::Message message{kind};
    message.id = m_id;
    message.index = index;
    Dispatch(message);
}

void ListViewControl::OnStateEvent(wxListEvent& event) {
    event.Skip();
    if (*m_alive && m_quiet == 0) {
        ScheduleReconcile();
    }
}

void ListViewControl::OnActivated(wxListEvent& event) {
    if (!*m_alive) {
        event.Skip();
        return;
    }
    FlushReconcile();
    Send(win::MessageKind::ItemActivated, static_cast<int>(event.GetIndex()));
}

void ListViewControl::OnBeginDrag(wxListEvent& event) {
    if (!*m_alive) {
        event.Skip();
        return;
    }
    FlushReconcile();
    Send(win::MessageKind::BeginDrag, static_cast<int>(event.GetIndex()));
}

void ListViewControl::OnEndLabelEdit(wxListEvent& event) {
    if (!*m_alive) {
        event.Skip();
        return;
    }
    win::Message message{win::MessageKind::EndLabelEdit};
    message.id = m_id;
    message.index = static_cast<int>(event.GetIndex());
    message.cancelled = event.IsEditCancelled();
    message.text = message.cancelled ? std::string() : FromWx(event.GetLabel());
    // The logic decides what the row shows (it calls SetItemText when it accepts).
    event.Veto();
    Dispatch(message);
}

void ListViewControl::OnContextMenu(wxContextMenuEvent& event) {
    if (!*m_alive) {
        event.Skip();
        return;
    }
    wxPoint point = event.GetPosition();
    if (point == wxDefaultPosition) {
        // From the keyboard: below the focused row, or the list's corner.
        const long focused = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
        wxRect rect;
        if (focused >= 0 && m_list->GetItemRect(focused, rect)) {
            point = m_surface->ClientToScreen(rect.GetBottomLeft());
        } else {
            point = m_list->ClientToScreen(wxPoint(0, 0));
        }
    } else if (point == m_lastMenuPoint && m_rightClicks == m_rightClicksAtMenu) {
        // One right click can arrive twice (selection set from code without focus).
        return;
    }
    m_lastMenuPoint = point;
    m_rightClicksAtMenu = m_rightClicks;
    FlushReconcile();
    win::Message message{win::MessageKind::ContextMenu};
    message.id = m_id;
    message.x = point.x;
    message.y = point.y;
    Dispatch(message);
}

void ListViewControl::OnFocus(wxFocusEvent& event) {
    event.Skip();
    if (*m_alive) {
        FlushReconcile();
        Send(win::MessageKind::FocusGained);
    }
}

void ListViewControl::OnMouse(wxMouseEvent& event) {
    event.Skip();
    if (!*m_alive) {
        return;
    }
    if (event.GetEventType() == wxEVT_RIGHT_DOWN) {
        ++m_rightClicks;
        return;
    }
    if (!m_captured) {
        return;
    }
    const wxPoint screen = m_surface->ClientToScreen(event.GetPosition());
    win::Message message{event.GetEventType() == wxEVT_LEFT_UP ? win::MessageKind::LeftButtonUp
                                                               : win::MessageKind::MouseMove};
    message.id = m_id;
    message.x = screen.x;
    message.y = screen.y;
    Dispatch(message);
}

void ListViewControl::OnCaptureLost(wxMouseCaptureLostEvent&) {
    if (!m_captured) {
        return;
    }
    m_captured = false;
    if (*m_alive) {
        // The drag is over without a drop.
        win::Message message{win::MessageKind::LeftButtonUp};
        message.id = m_id;
        message.x = kNowhere;
        message.y = kNowhere;
        Dispatch(message);
    }
}

void ListViewControl::OnColumnClick(wxListEvent& event) {
    if (!*m_alive || event.GetColumn() < 0) {
        event.Skip();
        return;
    }
    FlushReconcile();
    Send(win::MessageKind::ColumnClick, event.GetColumn());
}

void ListViewControl::OnKeyDown(wxKeyEvent& event) {
    // While a drag holds the mouse, Escape comes here, not to the window: it ends the drag
    // without a drop.
    if (*m_alive && m_captured && event.GetKeyCode() == WXK_ESCAPE) {
        CancelDrag();
        return;
    }
    event.Skip();
}

void ListViewControl::CancelDrag() {
    EndCapture();
    win::Message message{win::MessageKind::LeftButtonUp};
    message.id = m_id;
    message.x = kNowhere;
    message.y = kNowhere;
    Dispatch(message);
}

void ListViewControl::BeginCapture() {
    if (!m_captured && !m_surface->HasCapture()) {
        m_surface->CaptureMouse();
    }
    m_captured = true;
}

void ListViewControl::EndCapture() {
    if (!m_captured) {
        return;
    }
    m_captured = false;
    if (m_surface->HasCapture()) {
        m_surface->ReleaseMouse();
    }
}

} // namespace wxwin
