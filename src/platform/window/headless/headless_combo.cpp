#include "platform/window/headless/headless_control.h"

#include "platform/window/headless/headless_window_base.h"

// Drop-down boxes, the list box and the tab strip: lists of strings with one current item, kept
// in the list view's rows.
namespace headless {

void Control::ResetContent() {
    DeleteAllItems();
}

int Control::AddString(const std::string& text) {
    return InsertItem(-1, text, 0);
}

int Control::InsertString(int index, const std::string& text) {
    return InsertItem(index, text, 0);
}

bool Control::DeleteString(int index) {
    return DeleteItem(index);
}

int Control::GetCount() const {
    return GetItemCount();
}

std::string Control::GetString(int index) const {
    return GetItemText(index);
}

int Control::GetCurSel() const {
    WindowLock lock(m_owner.Mutex());
    return m_curSel;
}

void Control::SetCurSel(int index) {
    WindowLock lock(m_owner.Mutex());
    m_curSel = (index >= 0 && index < static_cast<int>(m_rows.size())) ? index : -1;
}

int Control::FindStringExact(const std::string& text) const {
    return FindItem(text);
}

int Control::InsertItem(int index, const win::ImageComboItem& item) {
    WindowLock lock(m_owner.Mutex());
    int at = InsertItem(index, item.text, item.image);
    Row& row = m_rows[static_cast<std::size_t>(at)];
    row.selectedImage = item.selectedImage;
    row.indent = item.indent;
    return at;
}

win::ImageComboItem Control::GetItem(int index) const {
    WindowLock lock(m_owner.Mutex());
    win::ImageComboItem item;
    if (index >= 0 && index < static_cast<int>(m_rows.size())) {
        const Row& r = m_rows[static_cast<std::size_t>(index)];
        item.text = r.text;
        item.image = r.image;
        item.selectedImage = r.selectedImage;
        item.indent = r.indent;
    }
    return item;
}

void Control::InsertItem(int index, const std::string& text) {
    InsertItem(index, text, 0);
}

} // namespace headless
