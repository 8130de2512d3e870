// The option dialog, and the transfer type its extension list decides.
#include "ui/option_dialog.h"

#include <algorithm>

#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// The settings file keeps the list as items each followed by ';', one line per key: an
// extension holding either would come back split or cut after a restart.
bool StorableExtension(const std::string& text) {
    for (char c : text) {
        if (c == ';' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

} // namespace

COptionDialog::COptionDialog(CMainDialog& parent) : m_parent(parent) {}

int COptionDialog::HelpTextId(int checkBoxId) {
    if (checkBoxId == res::kOptTransfers) {
        return res::kTextHelpTransfers;
    }
    if (checkBoxId == res::kOptKeyring) {
        return res::kTextHelpKeyring;
    }
    for (const ui::OptionRow& row : ui::kOptionTable) {
        if (row.checkBox == checkBoxId) {
            return row.helpText;
        }
    }
    return 0;
}

void COptionDialog::OnInitDialog(win::IDialogWindow& window) {
    m_window = &window;
    win::IListBox& list = window.ListBox(res::kOptExtensionList);
    for (const std::string& slot : m_parent.m_asciiExtensions.Slots()) {
        if (!slot.empty()) {
            list.AddString(slot);
        }
    }
    m_options = m_parent.m_options;
    win::IComboBox& transfers = window.Combo(res::kOptTransfers);
    for (int count = 1; count <= ui::kMaxSimultaneousTransfers; ++count) {
        transfers.AddString(std::to_string(count));
    }
    window.Edit(res::kOptExtensionEdit).SetLimit(kMaxExtensionLength);
    UpdateData(false);
    // Every box starts enabled whatever its state; only a click disables a dependent box.
    for (const ui::OptionRow& row : ui::kOptionTable) {
        window.CheckBox(row.checkBox).Enable(true);
    }
    // Without a keyring this session there is nothing to turn on or off.
    window.CheckBox(res::kOptKeyring)
        .Enable(m_parent.m_keyringState == platform::KeyringState::Open);
}

void COptionDialog::UpdateData(bool saveAndValidate) {
    win::ITextControl& edit = m_window->Text(res::kOptExtensionEdit);
    if (saveAndValidate) {
        m_extension = edit.GetText();
        for (const ui::OptionRow& row : ui::kOptionTable) {
            m_options.*row.flag = m_window->CheckBox(row.checkBox).IsChecked() ? 1 : 0;
        }
        m_options.m_simultaneousTransfers =
            std::max(1, m_window->Combo(res::kOptTransfers).GetCurSel() + 1);
        m_options.m_keyring = m_window->CheckBox(res::kOptKeyring).IsChecked() ? 1 : 0;
    } else {
        edit.SetText(m_extension);
        for (const ui::OptionRow& row : ui::kOptionTable) {
            m_window->CheckBox(row.checkBox).SetChecked(m_options.*row.flag != 0);
        }
        m_window->Combo(res::kOptTransfers).SetCurSel(m_options.m_simultaneousTransfers - 1);
        m_window->CheckBox(res::kOptKeyring).SetChecked(m_options.m_keyring != 0);
    }
}

void COptionDialog::OnMessage(win::Message& message) {
    switch (message.kind) {
    case win::MessageKind::ButtonClick:
        switch (message.id) {
        case res::kOptAdd:
            OnAdd();
            break;
        case res::kOptDelete:
            OnDelete();
            break;
        case res::kOptHelpButton:
            OnAsciiHelp();
            break;
        default:
            OnCheckBoxClick(message.id);
            break;
        }
        break;
    case win::MessageKind::KeyEnter:
        // Enter in the extension box adds; elsewhere it keeps its meaning (OK).
        if (message.id == res::kOptExtensionEdit) {
            OnAdd();
            message.result = 1;
        }
        break;
    case win::MessageKind::HotItem:
        ShowHelp(message.id);
        break;
    case win::MessageKind::MouseOverSurface:
        m_window->Text(res::kOptHelpLine).SetText("");
        break;
    default:
        break;
    }
}

void COptionDialog::Refuse(int textId) {
    m_window->MessageBox(res::LoadString(textId), win::Buttons::Ok, win::Icon::Warning);
}

void COptionDialog::OnAdd() {
    UpdateData(true);
    win::IListBox& list = m_window->ListBox(res::kOptExtensionList);
    if (m_extension.empty() || !StorableExtension(m_extension)) {
        Refuse(res::kTextTypeExtension);
        return;
    }
    const int count = list.GetCount();
    if (count >= ui::AsciiExtensionList::kSlots) {
        Refuse(res::kTextNoMoreExtensions);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (ui::AsciiExtensionList::SameExtension(list.GetString(i), m_extension)) {
            Refuse(res::kTextExtensionPosted);
            return;
        }
    }
    list.AddString(m_extension);
    m_extension.clear();
    UpdateData(false);
}

void COptionDialog::OnDelete() {
    win::IListBox& list = m_window->ListBox(res::kOptExtensionList);
    int selected = list.GetCurSel();
    if (selected < 0) {
        Refuse(res::kTextChooseItemToDelete);
        return;
    }
    list.DeleteString(selected);
}

void COptionDialog::OnAsciiHelp() {
    m_window->MessageBox(res::LoadString(res::kTextAboutAsciiMode), win::Buttons::Ok,
                         win::Icon::Information);
}

void COptionDialog::OnCheckBoxClick(int id) {
    if (HelpTextId(id) == 0) {
        return;
    }
    ShowHelp(id);
    // Each pair is exclusive in effect: the dependent box means nothing while its master is on.
    if (id == res::kOptLowercaseName) {
        m_window->CheckBox(res::kOptLowercaseExtension)
            .Enable(!m_window->CheckBox(res::kOptLowercaseName).IsChecked());
    } else if (id == res::kOptDoNotDelete) {
        m_window->CheckBox(res::kOptDoNotConfirmDelete)
            .Enable(!m_window->CheckBox(res::kOptDoNotDelete).IsChecked());
    }
}

void COptionDialog::ShowHelp(int checkBoxId) {
    int textId = HelpTextId(checkBoxId);
    if (textId != 0) {
        m_window->Text(res::kOptHelpLine).SetText(res::LoadString(textId));
    }
}

void COptionDialog::OnOK() {
    win::IListBox& list = m_window->ListBox(res::kOptExtensionList);
    auto& slots = m_parent.m_asciiExtensions.Slots();
    const int count = list.GetCount();
    for (int i = 0; i < ui::AsciiExtensionList::kSlots; ++i) {
        slots[static_cast<std::size_t>(i)] = i < count ? list.GetString(i) : std::string();
    }
    UpdateData(true);
    m_parent.m_options = m_options;
    m_window->EndDialog(win::kAnswerOk);
}

std::string CMainDialog::AsciiTypeFor(const std::string& name) const {
    return m_asciiExtensions.AsciiTypeFor(name);
}

void CMainDialog::RunOptionDialog() {
    COptionDialog dialog(*this);
    m_window.RunModal(res::kOptionTemplate, dialog);
}

} // namespace ui
