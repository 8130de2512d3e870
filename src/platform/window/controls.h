// What the program needs of a window system's controls, in the program's own terms.
// Every call may come from any thread; a backend carries it out on the window's thread
// in the order the calls were made.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace win {

class IControl {
public:
    virtual ~IControl() = default;
    virtual void Show(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual void Enable(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
};

// Single-line or multi-line edit, static text, status line.
class ITextControl : public IControl {
public:
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
};

// The log pane: inserts at the caret, replacing the selection (positions in bytes).
class IEdit : public ITextControl {
public:
    virtual void ReplaceSelection(const std::string& text) = 0;
    virtual void SetSelection(std::size_t start, std::size_t end) = 0;
    virtual void GetSelection(std::size_t& start, std::size_t& end) const = 0;
    virtual void SetLimit(std::size_t maxChars) = 0;
};

class IButton : public IControl {
public:
    virtual void SetIcon(int iconId) = 0;
    virtual int GetIcon() const = 0;
};

class ICheckBox : public IControl {
public:
    virtual bool IsChecked() const = 0;
    virtual void SetChecked(bool checked) = 0;
};

class IProgressBar : public IControl {
public:
    virtual void SetRange(int low, int high) = 0;
    virtual void SetPos(int pos) = 0;
    virtual int GetPos() const = 0;
    virtual int GetRangeHigh() const = 0;
};

// Item states of a list view row.
enum ItemState : unsigned { kStateNone = 0, kStateSelected = 1, kStateFocused = 2 };

// A column of a list in detail view. The first column is the row's text with its image.
struct ListColumn {
    std::string title;
    int width = 0; // pixels; 0 lets the backend choose
    bool rightAligned = false;
};

// A row as a whole: its text, its image and the texts of the columns after the first.
struct ListRow {
    std::string text;
    int image = 0;
    std::vector<std::string> cells;
};

// List view: one text and one small image per row, in list mode until SetColumns turns it
// into a detail view with a header.
class IListView : public IControl {
public:
    virtual void DeleteAllItems() = 0;
    // Returns the index of the new row, or -1.
    virtual int InsertItem(int index, const std::string& text, int image) = 0;
    // Inserts rows from `index` on, in order, in one call (a listing of thousands of rows must
    // not cost a round trip per row); stops at the first row that cannot be inserted and
    // returns how many were inserted.
    virtual int InsertRows(int index, const std::vector<ListRow>& rows) = 0;
    int InsertItems(int index, const std::vector<std::pair<std::string, int>>& rows) {
        std::vector<ListRow> whole;
        whole.reserve(rows.size());
        for (const auto& [text, image] : rows) {
            whole.push_back(ListRow{text, image, {}});
        }
        return InsertRows(index, whole);
    }
    // Every row, in order, in one call.
    virtual std::vector<ListRow> GetRows() const = 0;
    virtual void SetItemCells(int index, const std::vector<std::string>& cells) = 0;
    virtual std::vector<std::string> GetItemCells(int index) const = 0;
    virtual void SetColumns(const std::vector<ListColumn>& columns) = 0;
    // Widths as the user left them (none in list mode).
    virtual std::vector<int> GetColumnWidths() const = 0;
    // The header's arrow on `column`, pointing up for an ascending order; -1 shows none.
    virtual void SetSortIndicator(int column, bool ascending) = 0;
    virtual bool DeleteItem(int index) = 0;
    virtual int GetItemCount() const = 0;
    virtual std::string GetItemText(int index) const = 0;
    virtual void SetItemText(int index, const std::string& text) = 0;
    virtual int GetItemImage(int index) const = 0;
    virtual void SetItemImage(int index, int image) = 0;
    virtual unsigned GetItemState(int index) const = 0;
    // Sets the state bits of mask on the row. Changes made by the program send no
    // notifications; only the user's gestures do.
    virtual void SetItemState(int index, unsigned state, unsigned mask) = 0;
    virtual int GetSelectedCount() const = 0;
    // Next selected row after `after` (-1 starts before the first row); -1 when none.
    virtual int GetNextSelected(int after) const = 0;
    virtual int GetSelectionMark() const = 0;
    virtual void SetSelectionMark(int index) = 0;
    // Row whose text equals `text` ignoring letter case, or -1.
    virtual int FindItem(const std::string& text) const = 0;
    virtual void EditLabel(int index) = 0;
    virtual void SetImageList(int bitmapId) = 0;
};

// Plain drop-down list combo box (remote history 1006, the time-zone list).
class IComboBox : public IControl {
public:
    virtual void ResetContent() = 0;
    virtual int AddString(const std::string& text) = 0;
    virtual int InsertString(int index, const std::string& text) = 0;
    virtual bool DeleteString(int index) = 0;
    virtual int GetCount() const = 0;
    virtual std::string GetString(int index) const = 0;
    virtual int GetCurSel() const = 0;
    virtual void SetCurSel(int index) = 0; // -1 clears the selection
    // Whole-entry match ignoring letter case, or -1.
    virtual int FindStringExact(const std::string& text) const = 0;
    // The text of a box that also takes typed text (the path boxes); "" for a plain list.
    virtual std::string GetEditText() const = 0;
    virtual void SetEditText(const std::string& text) = 0;
};

struct ImageComboItem {
    std::string text;
    int image = 0;
    int selectedImage = 0;
    int indent = 0;
};

// Combo box with images and indents (drive and path box 1005).
class IImageComboBox : public IControl {
public:
    virtual void ResetContent() = 0;
    virtual int InsertItem(int index, const ImageComboItem& item) = 0; // -1 appends
    virtual bool DeleteItem(int index) = 0;
    virtual int GetCount() const = 0;
    virtual ImageComboItem GetItem(int index) const = 0;
    virtual int GetCurSel() const = 0;
    virtual void SetCurSel(int index) = 0;
    virtual void SetImageList(int bitmapId) = 0;
    // As for IComboBox: the typed text of a box that takes one.
    virtual std::string GetEditText() const = 0;
    virtual void SetEditText(const std::string& text) = 0;
};

class IListBox : public IControl {
public:
    virtual void ResetContent() = 0;
    virtual int AddString(const std::string& text) = 0;
    virtual bool DeleteString(int index) = 0;
    virtual int GetCount() const = 0;
    virtual std::string GetString(int index) const = 0;
    virtual int GetCurSel() const = 0;
    virtual void SetCurSel(int index) = 0;
};

class ITabControl : public IControl {
public:
    virtual void DeleteAllItems() = 0;
    virtual void InsertItem(int index, const std::string& text) = 0;
    virtual int GetItemCount() const = 0;
    virtual std::string GetItemText(int index) const = 0;
    virtual int GetCurSel() const = 0;
    // Selects without notifications.
    virtual void SetCurSel(int index) = 0;
};

} // namespace win
