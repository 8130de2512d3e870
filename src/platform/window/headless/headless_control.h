// One control of the in-memory window system. The logic asks a window for a control through the
// interface of its kind; here every control answers all of them, keeping the state for
// inspection. Its parts live by kind in headless_control.cpp (text, buttons, progress),
// headless_list_view.cpp (rows) and headless_combo.cpp (drop-down boxes, list box, tab strip).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/window/controls.h"
#include "res/templates.h"

namespace headless {

struct Row {
    std::string text;
    int image = 0;
    int selectedImage = 0;
    int indent = 0;
    unsigned state = 0;
    std::vector<std::string> cells; // the columns after the first, in detail view
};

class HeadlessWindowBase;

// A window and its controls share one lock: gestures and inspection on the window's thread meet
// the logic's calls from the worker.
using WindowLock = std::lock_guard<std::recursive_mutex>;

// One control of any kind; its kind decides which interface the logic uses.
class Control final : public win::IEdit,
                      public win::IButton,
                      public win::ICheckBox,
                      public win::IProgressBar,
                      public win::IListView,
                      public win::IComboBox,
                      public win::IImageComboBox,
                      public win::IListBox,
                      public win::ITabControl {
public:
    Control(HeadlessWindowBase& owner, int id, res::ControlKind kind, unsigned style,
            std::string caption, int icon);

    int Id() const { return m_id; }
    res::ControlKind Kind() const { return m_kind; }
    unsigned Style() const { return m_style; }

    // IControl
    void Show(bool visible) override;
    bool IsVisible() const override;
    void Enable(bool enabled) override;
    bool IsEnabled() const override;
    // Text
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void ReplaceSelection(const std::string& text) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void GetSelection(std::size_t& start, std::size_t& end) const override;
    void SetLimit(std::size_t maxChars) override;
    std::size_t Limit() const;
    // Button, check box
    void SetIcon(int iconId) override;
    int GetIcon() const override;
    bool IsChecked() const override;
    void SetChecked(bool checked) override;
    // Progress
    void SetRange(int low, int high) override;
    void SetPos(int pos) override;
    int GetPos() const override;
    int GetRangeHigh() const override;
    // List view
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
    // Combo boxes, list box
    void ResetContent() override;
    int AddString(const std::string& text) override;
    int InsertString(int index, const std::string& text) override;
    bool DeleteString(int index) override;
    int GetCount() const override;
    std::string GetString(int index) const override;
    int GetCurSel() const override;
    void SetCurSel(int index) override;
    int FindStringExact(const std::string& text) const override;
    std::string GetEditText() const override { return GetText(); }
    void SetEditText(const std::string& text) override { SetText(text); }
    int InsertItem(int index, const win::ImageComboItem& item) override;
    win::ImageComboItem GetItem(int index) const override;
    // Tab control
    void InsertItem(int index, const std::string& text) override;

    // Inspection
    std::vector<Row> Rows() const;
    int EditingRow() const;
    void ClearEditingRow();
    int ImageList() const;
    // The tooltip and accessible name the control has in a real window.
    std::string Tip() const;
    std::vector<win::ListColumn> Columns() const;
    // The column the header's arrow is on (-1: none) and its direction.
    int SortColumn() const;
    bool SortAscending() const;

private:
    HeadlessWindowBase& m_owner;
    const int m_id;
    const res::ControlKind m_kind;
    const unsigned m_style;
    bool m_visible = true;
    bool m_enabled = true;
    std::string m_text;
    std::size_t m_selStart = 0;
    std::size_t m_selEnd = 0;
    std::size_t m_limit = 0; // 0 = none
    int m_icon = 0;
    bool m_checked = false;
    int m_rangeLow = 0;
    int m_rangeHigh = 100;
    int m_pos = 0;
    std::vector<Row> m_rows;
    int m_curSel = -1;
    int m_selectionMark = -1;
    int m_editingRow = -1;
    int m_imageList = 0;
    std::vector<win::ListColumn> m_columns;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};

} // namespace headless
