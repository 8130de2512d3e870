#include "platform/window/wx/wx_controls.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include <algorithm>

#include "platform/window/wx/window_core.h"
#include "platform/window/wx/wx_images.h"
#include "platform/window/wx/wx_text.h"
#include "res/ascii_case.h"

namespace wxwin {

// ---- ControlNode ----

ControlNode::ControlNode(WindowCore& core, int id, wxWindow* widget)
    : m_core(core), m_queue(core.Queue()), m_alive(core.Alive()), m_id(id), m_widget(widget) {}

void ControlNode::Run(std::function<void()> fn) const {
    m_queue.Post([alive = m_alive, fn = std::move(fn)] {
        if (*alive) {
            fn();
        }
    });
}

void ControlNode::RunLatest(std::function<void()> fn) const {
    m_queue.PostLatest(this, [alive = m_alive, fn = std::move(fn)] {
        if (*alive) {
            fn();
        }
    });
}

void ControlNode::Dispatch(win::Message& message) const {
    m_core.Dispatch(message);
}

// ---- EditControl ----

EditControl::EditControl(WindowCore& core, int id, wxTextCtrl* edit)
    : Control(core, id, edit), m_edit(edit) {}

std::string EditControl::GetText() const {
    return Ask<std::string>([this] { return FromWx(m_edit->GetValue()); });
}

void EditControl::SetText(const std::string& text) {
    Run([this, text] { m_edit->ChangeValue(ToWx(text)); });
}

void EditControl::ReplaceSelection(const std::string& text) {
    Run([this, text] { m_edit->WriteText(ToWx(text)); });
}

void EditControl::SetSelection(std::size_t start, std::size_t end) {
    Run([this, start, end] {
        m_edit->SetSelection(static_cast<long>(start), static_cast<long>(end));
    });
}

void EditControl::GetSelection(std::size_t& start, std::size_t& end) const {
    auto range = Ask<std::pair<long, long>>([this] {
        long from = 0;
        long to = 0;
        m_edit->GetSelection(&from, &to);
        return std::make_pair(from, to);
    });
    start = static_cast<std::size_t>(range.first);
    end = static_cast<std::size_t>(range.second);
}

void EditControl::SetLimit(std::size_t maxChars) {
    Run([this, maxChars] { m_edit->SetMaxLength(static_cast<unsigned long>(maxChars)); });
}

// ---- StaticControl ----

StaticControl::StaticControl(WindowCore& core, int id, wxWindow* outer, wxControl* label)
    : Control(core, id, outer), m_label(label), m_text(FromWx(label->GetLabelText())) {}

std::string StaticControl::GetText() const {
    return Ask<std::string>([this] { return m_text; });
}

void StaticControl::SetText(const std::string& text) {
    RunLatest([this, text] {
        if (text != m_text) {
            m_text = text;
            m_label->SetLabelText(ToWx(text));
        }
    });
}

// ---- StatusControl ----

StatusControl::StatusControl(WindowCore& core, int id, wxStatusBar* bar)
    : Control(core, id, bar), m_bar(bar) {}

std::string StatusControl::GetText() const {
    return Ask<std::string>([this] { return m_text; });
}

void StatusControl::SetText(const std::string& text) {
    RunLatest([this, text] {
        m_text = text;
        m_bar->SetStatusText(ToWx(text));
    });
}

// ---- LogControl ----

LogControl::LogControl(WindowCore& core, int id, wxTextCtrl* edit)
    : Control(core, id, edit), m_edit(edit), m_text(FromWx(edit->GetValue())) {}

std::size_t LogControl::ByteOfChar(long position) const {
    // A log of plain ASCII, the usual case, needs no scan.
    const std::size_t chars = static_cast<std::size_t>(std::max(0L, position));
    return m_ascii ? std::min(chars, m_text.size()) : BytesBeforeChar(m_text, chars);
}

long LogControl::CharOfByte(std::size_t offset) const {
    return static_cast<long>(m_ascii ? std::min(offset, m_text.size())
                                     : CharsBeforeByte(m_text, offset));
}

void LogControl::Keep(std::string text) {
    m_text = std::move(text);
    m_ascii = std::none_of(m_text.begin(), m_text.end(),
                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string LogControl::GetText() const {
    return Ask<std::string>([this] { return m_text; });
}

void LogControl::SetText(const std::string& text) {
    Run([this, text] {
        std::string shown = text;
        if (m_limit != 0 && shown.size() > m_limit) {
            shown.resize(Utf8Prefix(shown, m_limit));
        }
        const wxString value = ToWx(shown);
        m_edit->ChangeValue(value);
        Keep(FromWx(value));
    });
}

void LogControl::ReplaceSelection(const std::string& text) {
    Run([this, text] { DoReplaceSelection(text); });
}

void LogControl::DoReplaceSelection(const std::string& text) {
    long from = 0;
    long to = 0;
    m_edit->GetSelection(&from, &to);
    const std::size_t fromByte = ByteOfChar(from);
    const std::size_t toByte = std::max(fromByte, ByteOfChar(to));
    const std::size_t removed = toByte - fromByte;
    std::string inserted = text;
    if (m_limit != 0) {
        // Like the classic edit control: take only what still fits, whole characters only.
        const std::size_t kept = m_text.size() - removed;
        const std::size_t room = kept < m_limit ? m_limit - kept : 0;
        if (inserted.size() > room) {
            inserted.resize(Utf8Prefix(inserted, room));
        }
    }
    if (inserted.empty()) {
        // WriteText of nothing leaves the selection in place: remove it. The caret is not
        // shown: that would scroll a trimmed log to its head, and the next line back again.
        if (to > from) {
            m_edit->Remove(from, to);
            m_text.erase(fromByte, removed);
        }
        return;
    }
    // WriteText replaces the selection and inserts at the caret, read-only or not.
    const wxString value = ToWx(inserted);
    m_edit->WriteText(value);
    const std::string shown = FromWx(value);
    m_ascii = m_ascii && std::none_of(shown.begin(), shown.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    m_text.replace(fromByte, removed, shown);
    m_edit->ShowPosition(m_edit->GetInsertionPoint());
}

void LogControl::SetSelection(std::size_t start, std::size_t end) {
    Run([this, start, end] {
        if (start == end && end >= m_text.size()) {
            m_edit->SetInsertionPointEnd();
            return;
        }
        m_edit->SetSelection(CharOfByte(start), CharOfByte(end));
    });
}

void LogControl::GetSelection(std::size_t& start, std::size_t& end) const {
    auto range = Ask<std::pair<std::size_t, std::size_t>>([this] {
        long from = 0;
        long to = 0;
        m_edit->GetSelection(&from, &to);
        return std::make_pair(ByteOfChar(from), ByteOfChar(to));
    });
    start = range.first;
    end = range.second;
}

void LogControl::SetLimit(std::size_t maxChars) {
    // A multi-line wxTextCtrl ignores SetMaxLength, so the limit is kept here.
    Run([this, maxChars] { m_limit = maxChars; });
}

// ---- ButtonControl ----

ButtonControl::ButtonControl(WindowCore& core, int id, wxButton* button, int icon)
    : Control(core, id, button), m_button(button), m_icon(0) {
    if (icon != 0) {
        SetIcon(icon);
    }
    button->Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
        if (!*m_alive) {
            event.Skip();
            return;
        }
        win::Message message{win::MessageKind::ButtonClick};
        message.id = m_id;
        Dispatch(message);
    });
}

void ButtonControl::SetIcon(int iconId) {
    Run([this, iconId] {
        m_icon = iconId;
        wxBitmap bitmap = LoadBitmap(iconId);
        if (bitmap.IsOk()) {
            m_button->SetBitmap(bitmap);
        }
        m_core.ApplyTip(m_button, m_id, iconId);
    });
}

int ButtonControl::GetIcon() const {
    return Ask<int>([this] { return m_icon; });
}

// ---- CheckBoxControl ----

CheckBoxControl::CheckBoxControl(WindowCore& core, int id, wxCheckBox* box)
    : Control(core, id, box), m_box(box) {
    box->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
        if (!*m_alive) {
            event.Skip();
            return;
        }
        win::Message message{win::MessageKind::ButtonClick};
        message.id = m_id;
        Dispatch(message);
    });
    auto hot = [this](wxMouseEvent& event) {
        event.Skip();
        if (*m_alive) {
            win::Message message{win::MessageKind::HotItem};
            message.id = m_id;
            Dispatch(message);
        }
    };
    box->Bind(wxEVT_ENTER_WINDOW, hot);
    box->Bind(wxEVT_LEAVE_WINDOW, hot);
}

bool CheckBoxControl::IsChecked() const {
    return Ask<bool>([this] { return m_box->GetValue(); });
}

void CheckBoxControl::SetChecked(bool checked) {
    Run([this, checked] { m_box->SetValue(checked); });
}

// ---- ProgressControl ----

ProgressControl::ProgressControl(WindowCore& core, int id, wxGauge* gauge)
    : Control(core, id, gauge), m_gauge(gauge) {}

void ProgressControl::Apply() {
    // wxGauge takes an int range; keep 64-bit arithmetic until the value is scaled down.
    const long long span = static_cast<long long>(m_high) - m_low;
    long long pos = static_cast<long long>(m_pos) - m_low;
    pos = std::clamp<long long>(pos, 0, span > 0 ? span : 0);
    if (span <= 0) {
        m_gauge->SetRange(1);
        m_gauge->SetValue(0);
        return;
    }
    constexpr long long kSteps = 10000;
    const int range = static_cast<int>(std::min(span, kSteps));
    const int value = static_cast<int>(pos * range / span);
    if (m_gauge->GetRange() != range) {
        m_gauge->SetRange(range);
    }
    if (m_gauge->GetValue() != value) {
        m_gauge->SetValue(value);
    }
}

void ProgressControl::SetRange(int low, int high) {
    Run([this, low, high] {
        m_low = low;
        m_high = high;
        Apply();
    });
}

void ProgressControl::SetPos(int pos) {
    RunLatest([this, pos] {
        m_pos = pos;
        Apply();
    });
}

int ProgressControl::GetPos() const {
    return Ask<int>([this] { return m_pos; });
}

int ProgressControl::GetRangeHigh() const {
    return Ask<int>([this] { return m_high; });
}

// ---- StringListControl ----

template <class Interface>
StringListControl<Interface>::StringListControl(WindowCore& core, int id, wxControlWithItems* items)
    : Control<Interface>(core, id, items), m_items(items) {}

template <class Interface> void StringListControl<Interface>::ResetContent() {
    this->Run([this] {
        m_items->Clear();
        m_strings.clear();
    });
}

template <class Interface> int StringListControl<Interface>::AddString(const std::string& text) {
    return this->template Ask<int>(
        [this, text] {
            m_strings.push_back(text);
            return m_items->Append(ToWx(text));
        },
        -1);
}

template <class Interface> bool StringListControl<Interface>::DeleteString(int index) {
    return this->template Ask<bool>([this, index] {
        if (index < 0 || index >= static_cast<int>(m_strings.size())) {
            return false;
        }
        m_strings.erase(m_strings.begin() + index);
        m_items->Delete(static_cast<unsigned>(index));
        return true;
    });
}

template <class Interface> int StringListControl<Interface>::GetCount() const {
    return this->template Ask<int>([this] { return static_cast<int>(m_strings.size()); });
}

template <class Interface> std::string StringListControl<Interface>::GetString(int index) const {
    return this->template Ask<std::string>([this, index] {
        return index >= 0 && index < static_cast<int>(m_strings.size()) ? m_strings[index]
                                                                        : std::string();
    });
}

template <class Interface> int StringListControl<Interface>::GetCurSel() const {
    return this->template Ask<int>([this] { return m_items->GetSelection(); }, -1);
}

template <class Interface> void StringListControl<Interface>::SetCurSel(int index) {
    this->Run([this, index] {
        if (index < static_cast<int>(m_strings.size())) {
            m_items->SetSelection(index < 0 ? wxNOT_FOUND : index);
        }
    });
}

template class StringListControl<win::IComboBox>;
template class StringListControl<win::IListBox>;

// ---- ComboControl ----

ComboControl::ComboControl(WindowCore& core, int id, wxControlWithItems* items, wxTextEntry* typed)
    : StringListControl(core, id, items), m_typed(typed) {
    items->Bind(typed != nullptr ? wxEVT_COMBOBOX : wxEVT_CHOICE, [this](wxCommandEvent& event) {
        if (!*m_alive) {
            event.Skip();
            return;
        }
        win::Message message{win::MessageKind::ComboSelChange};
        message.id = m_id;
        message.index = event.GetSelection();
        Dispatch(message);
    });
}

std::string ComboControl::GetEditText() const {
    return Ask<std::string>(
        [this] { return m_typed != nullptr ? FromWx(m_typed->GetValue()) : std::string(); });
}

void ComboControl::SetEditText(const std::string& text) {
    Run([this, text] {
        if (m_typed != nullptr) {
            m_typed->ChangeValue(ToWx(text));
        }
    });
}

int ComboControl::InsertString(int index, const std::string& text) {
    return Ask<int>(
        [this, index, text] {
            if (index < 0 || index >= static_cast<int>(m_strings.size())) {
                m_strings.push_back(text);
                return m_items->Append(ToWx(text));
            }
            m_strings.insert(m_strings.begin() + index, text);
            return m_items->Insert(ToWx(text), static_cast<unsigned>(index));
        },
        -1);
}

int ComboControl::FindStringExact(const std::string& text) const {
    return Ask<int>(
        [this, text] {
            for (std::size_t i = 0; i < m_strings.size(); ++i) {
                if (res::EqualIgnoringAsciiCase(m_strings[i], text)) {
                    return static_cast<int>(i);
                }
            }
            return -1;
        },
        -1);
}

// ---- ListBoxControl ----

ListBoxControl::ListBoxControl(WindowCore& core, int id, wxListBox* list)
    : StringListControl(core, id, list) {}

// ---- TabControl ----

TabControl::TabControl(WindowCore& core, int id, wxNotebook* book)
    : Control(core, id, book), m_book(book) {
    book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &TabControl::OnChanging, this);
    book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &TabControl::OnChanged, this);
}

void TabControl::OnChanging(wxBookCtrlEvent& event) {
    if (!*m_alive || m_quiet || event.GetEventObject() != m_book) {
        event.Skip();
        return;
    }
    win::Message message{win::MessageKind::TabChanging};
    message.id = m_id;
    message.index = event.GetSelection();
    Dispatch(message);
    if (message.result == 1) {
        event.Veto();
        // A vetoed change that did not come from a click can leave the notebook reporting the
        // new page; put the old one back once the change has unwound.
        const int old = event.GetOldSelection();
        if (old >= 0) {
            m_book->CallAfter([this, old, alive = m_alive] {
                if (*alive && m_book->GetSelection() != old &&
                    old < static_cast<int>(m_book->GetPageCount())) {
                    m_book->ChangeSelection(old);
                }
            });
        }
    }
}

void TabControl::SetOverlays(std::vector<wxWindow*> overlays) {
    m_overlays = std::move(overlays);
#ifdef __WXMSW__
    RaiseOverlays();
#endif
}

void TabControl::RaiseOverlays() {
#ifdef __WXMSW__
    // Windows keeps the pages inside the strip; the strip itself goes below its siblings.
    m_book->Lower();
#else
    auto raise = [this] {
        for (std::size_t i = 0; i < m_book->GetPageCount(); ++i) {
            m_book->GetPage(i)->Lower();
        }
        for (wxWindow* overlay : m_overlays) {
            overlay->Raise();
        }
    };
    raise();
    // The page's window may be shown only once this change has been handled.
    m_book->CallAfter([raise, alive = m_alive] {
        if (*alive) {
            raise();
        }
    });
#endif
}

void TabControl::OnChanged(wxBookCtrlEvent& event) {
    if (!*m_alive || m_quiet || event.GetEventObject() != m_book) {
        event.Skip();
        return;
    }
    RaiseOverlays();
    win::Message message{win::MessageKind::TabChanged};
    message.id = m_id;
    message.index = event.GetSelection();
    Dispatch(message);
}

void TabControl::DeleteAllItems() {
    Run([this] {
        m_quiet = true;
        m_book->DeleteAllPages();
        m_quiet = false;
        m_texts.clear();
    });
}

void TabControl::InsertItem(int index, const std::string& text) {
    Run([this, index, text] {
        const int at = std::clamp(index, 0, static_cast<int>(m_texts.size()));
        auto* page = new wxPanel(m_book);
        m_texts.insert(m_texts.begin() + at, text);
        // Inserting the first page selects it; that is no user change of tab.
        m_quiet = true;
        m_book->InsertPage(static_cast<size_t>(at), page, ToWx(text), false);
        m_quiet = false;
        RaiseOverlays();
    });
}

int TabControl::GetItemCount() const {
    return Ask<int>([this] { return static_cast<int>(m_texts.size()); });
}

std::string TabControl::GetItemText(int index) const {
    return Ask<std::string>([this, index] {
        return index >= 0 && index < static_cast<int>(m_texts.size()) ? m_texts[index]
                                                                      : std::string();
    });
}

int TabControl::GetCurSel() const {
    return Ask<int>([this] { return m_book->GetSelection(); }, -1);
}

void TabControl::SetCurSel(int index) {
    Run([this, index] {
        if (index >= 0 && index < static_cast<int>(m_book->GetPageCount())) {
            m_book->ChangeSelection(static_cast<size_t>(index));
            RaiseOverlays();
        }
    });
}

} // namespace wxwin
