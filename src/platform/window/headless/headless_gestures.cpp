#include "platform/window/headless/headless_window_base.h"

#include <set>

#include "res/resource_ids.h"

// What a user's hand does to a window: each gesture changes the control as the real one would
// and sends the same messages in the same order.
namespace headless {

void HeadlessWindowBase::Click(int id) {
    if (!Get(id).IsEnabled()) {
        return;
    }
    if (Get(id).Kind() == res::ControlKind::CheckBox) {
        Get(id).SetChecked(!Get(id).IsChecked());
    }
    win::Message m{win::MessageKind::ButtonClick, id};
    Handler()->Dispatch(m);
}

void HeadlessWindowBase::Type(int id, const std::string& text) {
    SetFocus(id);
    Control& c = Get(id);
    std::size_t limit = c.Limit();
    c.SetText(limit != 0 && text.size() > limit ? text.substr(0, limit) : text);
}

bool HeadlessWindowBase::KeyEnter(int id) {
    SetFocus(id);
    win::Message m{win::MessageKind::KeyEnter, id};
    Handler()->Dispatch(m);
    return m.result != 0;
}

bool HeadlessWindowBase::KeyDown(int id, win::Key key) {
    SetFocus(id);
    win::Message m{win::MessageKind::KeyDown, id, key};
    Handler()->Dispatch(m);
    return m.result != 0;
}

void HeadlessWindowBase::ClickHeader(int id, int column) {
    win::Message m{win::MessageKind::ColumnClick, id, column};
    Handler()->Dispatch(m);
}

void HeadlessWindowBase::Check(int id, bool on) {
    if (!Get(id).IsEnabled()) {
        return;
    }
    Get(id).SetChecked(on);
    win::Message m{win::MessageKind::ButtonClick, id};
    Handler()->Dispatch(m);
}

bool HeadlessWindowBase::SelectRows(int id, const std::vector<int>& rows) {
    Control& c = Get(id);
    const int count = c.GetItemCount();
    std::set<int> wanted(rows.begin(), rows.end());
    const int focus = rows.empty() ? -1 : rows.back();
    // New state of every row; rows that lose state are notified before rows that gain it,
    // as a real list does on a click.
    std::vector<std::pair<int, unsigned>> losing;
    std::vector<std::pair<int, unsigned>> gaining;
    for (int i = 0; i < count; ++i) {
        unsigned old = c.GetItemState(i);
        unsigned now = 0;
        if (wanted.count(i)) {
            now |= win::kStateSelected;
        }
        if (i == focus) {
            now |= win::kStateFocused;
        } else if (focus == -1 && (old & win::kStateFocused)) {
            now |= win::kStateFocused; // clearing the selection keeps the focus where it was
        }
        if (now == old) {
            continue;
        }
        ((now & ~old) != 0 ? gaining : losing).emplace_back(i, now);
    }
    auto notify = [&](int row, unsigned now) {
        unsigned old = c.GetItemState(row);
        win::Message changing{win::MessageKind::ItemChanging, id, row, old, now};
        Handler()->Dispatch(changing);
        c.SetItemState(row, now, win::kStateSelected | win::kStateFocused);
        win::Message changed{win::MessageKind::ItemChanged, id, row, old, now};
        Handler()->Dispatch(changed);
    };
    for (auto [row, now] : losing) {
        notify(row, now);
    }
    for (auto [row, now] : gaining) {
        notify(row, now);
    }
    if (focus >= 0) {
        c.SetSelectionMark(focus);
    }
    return true;
}

bool HeadlessWindowBase::Select(int id, const std::vector<std::string>& names) {
    Control& c = Get(id);
    switch (c.Kind()) {
    case res::ControlKind::ListView: {
        std::vector<int> rows;
        for (const auto& name : names) {
            int found = -1;
            for (int i = 0; i < c.GetItemCount(); ++i) {
                if (c.GetItemText(i) == name) {
                    found = i;
                    break;
                }
            }
            if (found < 0) {
                return false;
            }
            rows.push_back(found);
        }
        return SelectRows(id, rows);
    }
    case res::ControlKind::ComboBox:
    case res::ControlKind::ImageComboBox:
        return names.size() == 1 && ChooseCombo(id, names[0]);
    case res::ControlKind::ListBox:
        for (int i = 0; i < c.GetCount(); ++i) {
            if (names.size() == 1 && c.GetString(i) == names[0]) {
                c.SetCurSel(i);
                return true;
            }
        }
        if (names.empty()) {
            c.SetCurSel(-1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void HeadlessWindowBase::SelectTab(int index) {
    Control& tab = Get(res::kHostTab);
    if (!tab.IsEnabled() || index == tab.GetCurSel()) {
        return;
    }
    win::Message changing{win::MessageKind::TabChanging, res::kHostTab};
    Handler()->Dispatch(changing);
    if (changing.result != 0) {
        return;
    }
    tab.SetCurSel(index);
    win::Message changed{win::MessageKind::TabChanged, res::kHostTab, index};
    Handler()->Dispatch(changed);
}

bool HeadlessWindowBase::ChooseCombo(int id, const std::string& text) {
    Control& c = Get(id);
    if (!c.IsEnabled()) {
        return false;
    }
    if (c.Kind() == res::ControlKind::ImageComboBox) {
        win::Message drop{win::MessageKind::ComboDropDown, id};
        Handler()->Dispatch(drop);
    }
    for (int i = 0; i < c.GetCount(); ++i) {
        if (c.GetString(i) == text) {
            c.SetCurSel(i);
            win::Message m{win::MessageKind::ComboSelChange, id, i};
            Handler()->Dispatch(m);
            return true;
        }
    }
    return false;
}

bool HeadlessWindowBase::Activate(int id, const std::string& name) {
    Control& c = Get(id);
    for (int i = 0; i < c.GetItemCount(); ++i) {
        if (c.GetItemText(i) == name) {
            SelectRows(id, {i});
            win::Message m{win::MessageKind::ItemActivated, id, i};
            Handler()->Dispatch(m);
            return true;
        }
    }
    return false;
}

void HeadlessWindowBase::EndLabel(int id, const std::string& text, bool cancelled) {
    Control& c = Get(id);
    int row = c.EditingRow();
    c.ClearEditingRow();
    win::Message m{win::MessageKind::EndLabelEdit, id, row};
    m.text = cancelled ? "" : text;
    m.cancelled = cancelled;
    Handler()->Dispatch(m);
}

void HeadlessWindowBase::SendHotItem(int id) {
    win::Message m{win::MessageKind::HotItem, id};
    Handler()->Dispatch(m);
}

} // namespace headless
