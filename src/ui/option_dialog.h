// COptionDialog: the modal "Option" dialog that edits the ASCII extension list and the five
// option flags of its parent window. Nothing changes in the parent until OK.
#pragma once

#include <string>

#include "ui/modal_dialog.h"
#include "ui/options.h"

namespace ui {

class CMainDialog;

class COptionDialog : public ui::ModalDialog {
public:
    static constexpr int kMaxExtensionLength = 5;

    explicit COptionDialog(CMainDialog& parent);

    void OnInitDialog(win::IDialogWindow& window) override;

    // The dialog's values, exchanged with the controls by UpdateData.
    std::string m_extension;
    ui::Options m_options;

    // The help-text id of a check box, or 0 for any other control.
    static int HelpTextId(int checkBoxId);

private:
    // true: controls -> values; false: values -> controls.
    void UpdateData(bool saveAndValidate);
    void OnAdd();
    void OnDelete();
    void OnAsciiHelp();
    void OnCheckBoxClick(int id);
    void ShowHelp(int checkBoxId);
    void OnOK() override;
    void OnMessage(win::Message& message) override;
    void Refuse(int textId);

    CMainDialog& m_parent;
};

} // namespace ui
