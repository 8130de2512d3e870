// The list view in list mode: one text and one small image per row, label editing, drag
// notifications, context menu and dropped files.
#pragma once

#include <wx/listctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/window/wx/wx_controls.h"

namespace wxwin {

// wxListCtrl on GTK is wx's own list, drawn on an inner window that receives the mouse and
// the focus; this exposes that window. In detail view the list is virtual: it asks for the
// texts and images of the rows it shows, so thousands of rows cost nothing to put in.
class ListWidget : public wxListCtrl {
public:
    using wxListCtrl::wxListCtrl;
    wxWindow* Surface();

    std::function<wxString(long row, long column)> cellText;
    std::function<int(long row)> rowImage;

protected:
    wxString OnGetItemText(long item, long column) const override {
        return cellText ? cellText(item, column) : wxString();
    }
    int OnGetItemImage(long item) const override { return rowImage ? rowImage(item) : -1; }
    int OnGetItemColumnImage(long item, long column) const override {
        return column == 0 ? OnGetItemImage(item) : -1;
    }
};

class ListViewControl : public Control<win::IListView> {
public:
    ListViewControl(WindowCore& core, int id, ListWidget* list, bool acceptFiles);

    void DeleteAllItems() override;
    int InsertItem(int index, const std::string& text, int image) override;
    int InsertRows(int index, const std::vector<win::ListRow>& rows) override;
    std::vector<win::ListRow> GetRows() const override;
    void SetItemCells(int index, const std::vector<std::string>& cells) override;
    std::vector<std::string> GetItemCells(int index) const override;
    void SetColumns(const std::vector<win::ListColumn>& columns) override;
    std::vector<int> GetColumnWidths() const override;
    void SetSortIndicator(int column, bool ascending) override;
    bool DeleteItem(int index) override;
    int GetItemCount() const override;
    std::string GetItemText(int index) const override;
    void SetItemText(int index, const std::string& text) override;
    int GetItemImage(int index) const override;
    void SetItemImage(int index, int image) override;
    unsigned GetItemState(int index) const override;
    void SetItemState(int index, unsigned state, unsigned mask) override;
    int GetSelectedCount() const override;
    int GetNextSelected(int after) const override;
    int GetSelectionMark() const override;
    void SetSelectionMark(int index) override;
    int FindItem(const std::string& text) const override;
    void EditLabel(int index) override;
    void SetImageList(int bitmapId) override;

    // Mouse capture for a drag (GUI thread): while captured, moves and the left button
    // release are sent as MouseMove / LeftButtonUp in screen coordinates.
    void BeginCapture();
    void EndCapture();
    bool HasCapture() const { return m_captured; }
    ListWidget* List() const { return m_list; }

private:
    struct Row {
        std::string text; // exactly the bytes set
        int image = 0;
        unsigned state = 0; // as last reported to the logic
        std::vector<std::string> cells;
    };

    unsigned WidgetState(int index) const;
    // Compares the widget's selection and focus with what the logic was told and sends
    // ItemChanging / ItemChanged for every row that differs (losses first). The program's own
    // changes are only recorded.
    void Reconcile(bool byUser);
    int DoInsert(int index, const std::string& text, int image,
                 const std::vector<std::string>& cells = {});
    void ShowCells(long row, const std::vector<std::string>& cells);
    // Detail view: rows `from` on move by `by` places (inserted or deleted rows), their
    // selection and focus with them; the widget learns the new count.
    void MoveVirtualStates(int from, int by);
    void ScheduleReconcile();
    void FlushReconcile();
    void Send(win::MessageKind kind, int index = -1);

    void OnStateEvent(wxListEvent& event);
    void OnActivated(wxListEvent& event);
    void OnBeginDrag(wxListEvent& event);
    void OnEndLabelEdit(wxListEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnFocus(wxFocusEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnColumnClick(wxListEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void CancelDrag();

    ListWidget* m_list;
    wxWindow* m_surface;
    std::vector<Row> m_rows;
    int m_selectionMark = -1;
    int m_columns = 0;      // detail view once SetColumns gave it any
    bool m_virtual = false; // the widget asks m_rows for what it shows
    bool m_reconcilePending = false;
    int m_quiet = 0; // widget events caused by our own calls are not the user's
    bool m_captured = false;
    int m_rightClicks = 0;        // right button presses seen
    int m_rightClicksAtMenu = -1; // the count when the last menu was asked for
    wxPoint m_lastMenuPoint;
};

} // namespace wxwin
