// Stands in for a control id the window does not have: every call does nothing and every
// question gets the "nothing there" answer, so a wrong id is a visible no-op, never a crash.
#pragma once

#include "platform/window/controls.h"

namespace wxwin {

class NullControl final : public win::IEdit,
                          public win::IButton,
                          public win::ICheckBox,
                          public win::IProgressBar,
                          public win::IListView,
                          public win::IComboBox,
                          public win::IImageComboBox,
                          public win::IListBox,
                          public win::ITabControl {
public:
    void Show(bool) override {}
    bool IsVisible() const override { return false; }
    void Enable(bool) override {}
    bool IsEnabled() const override { return false; }
    std::string GetText() const override { return {}; }
    void SetText(const std::string&) override {}
    void ReplaceSelection(const std::string&) override {}
    void SetSelection(std::size_t, std::size_t) override {}
    void GetSelection(std::size_t& start, std::size_t& end) const override { start = end = 0; }
    void SetLimit(std::size_t) override {}
    void SetIcon(int) override {}
    int GetIcon() const override { return 0; }
    bool IsChecked() const override { return false; }
    void SetChecked(bool) override {}
    void SetRange(int, int) override {}
    void SetPos(int) override {}
    int GetPos() const override { return 0; }
    int GetRangeHigh() const override { return 0; }
    void DeleteAllItems() override {}
    int InsertItem(int, const std::string&, int) override { return -1; }
    int InsertRows(int, const std::vector<win::ListRow>&) override { return 0; }
    std::vector<win::ListRow> GetRows() const override { return {}; }
    void SetItemCells(int, const std::vector<std::string>&) override {}
    std::vector<std::string> GetItemCells(int) const override { return {}; }
    void SetColumns(const std::vector<win::ListColumn>&) override {}
    std::vector<int> GetColumnWidths() const override { return {}; }
    void SetSortIndicator(int, bool) override {}
    std::string GetEditText() const override { return {}; }
    void SetEditText(const std::string&) override {}
    bool DeleteItem(int) override { return false; }
    int GetItemCount() const override { return 0; }
    std::string GetItemText(int) const override { return {}; }
    void SetItemText(int, const std::string&) override {}
    int GetItemImage(int) const override { return -1; }
    void SetItemImage(int, int) override {}
    unsigned GetItemState(int) const override { return 0; }
    void SetItemState(int, unsigned, unsigned) override {}
    int GetSelectedCount() const override { return 0; }
    int GetNextSelected(int) const override { return -1; }
    int GetSelectionMark() const override { return -1; }
    void SetSelectionMark(int) override {}
    int FindItem(const std::string&) const override { return -1; }
    void EditLabel(int) override {}
    void SetImageList(int) override {}
    void ResetContent() override {}
    int AddString(const std::string&) override { return -1; }
    int InsertString(int, const std::string&) override { return -1; }
    bool DeleteString(int) override { return false; }
    int GetCount() const override { return 0; }
    std::string GetString(int) const override { return {}; }
    int GetCurSel() const override { return -1; }
    void SetCurSel(int) override {}
    int FindStringExact(const std::string&) const override { return -1; }
    int InsertItem(int, const win::ImageComboItem&) override { return -1; }
    win::ImageComboItem GetItem(int) const override { return {}; }
    void InsertItem(int, const std::string&) override {}
};

inline NullControl& TheNullControl() {
    static NullControl control;
    return control;
}

} // namespace wxwin
