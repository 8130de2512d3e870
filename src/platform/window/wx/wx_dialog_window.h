// A modal dialog built from a template; its logic decides what every button does.
#pragma once

#include <wx/dialog.h>
#include <wx/panel.h>

#include "platform/window/window.h"
#include "platform/window/wx/window_core.h"

namespace wxwin {

class WxDialogWindow : public win::IDialogWindow {
public:
    // GUI thread.
    WxDialogWindow(GuiQueue& queue, wxWindow* parent, const res::DialogTemplate& dialog,
                   win::IDialogLogic& logic);
    ~WxDialogWindow() override;
    WxDialogWindow(const WxDialogWindow&) = delete;
    WxDialogWindow& operator=(const WxDialogWindow&) = delete;

    // Runs the logic's initialisation, shows the dialog modally and returns the EndDialog
    // result.
    int Run();

    win::ITextControl& Text(int id) override { return m_core.Find<win::ITextControl>(id); }
    win::IEdit& Edit(int id) override { return m_core.Find<win::IEdit>(id); }
    win::IButton& Button(int id) override { return m_core.Find<win::IButton>(id); }
    win::ICheckBox& CheckBox(int id) override { return m_core.Find<win::ICheckBox>(id); }
    win::IProgressBar& Progress(int id) override { return m_core.Find<win::IProgressBar>(id); }
    win::IListView& ListView(int id) override { return m_core.Find<win::IListView>(id); }
    win::IComboBox& Combo(int id) override { return m_core.Find<win::IComboBox>(id); }
    win::IImageComboBox& ImageCombo(int id) override {
        return m_core.Find<win::IImageComboBox>(id);
    }
    win::IListBox& ListBox(int id) override { return m_core.Find<win::IListBox>(id); }
    win::ITabControl& Tab(int id) override { return m_core.Find<win::ITabControl>(id); }
    int MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) override;
    void SetCaption(const std::string& caption) override;
    std::string GetCaption() const override;
    win::Rect GetWindowRect() const override;
    win::Rect GetClientRectOnScreen() const override;
    void Move(int left, int top) override;
    win::Rect GetControlRectOnScreen(int id) const override;
    int GetFocusId() const override;
    void SetFocus(int id) override;
    void EndDialog(int result) override;

    wxDialog* Dialog() const { return m_dialog; }
    wxWindow* Widget(int id) const { return m_core.Widget(id); }
    wxPoint DialogToPixels(int x, int y) const { return m_core.DialogToPixels(x, y); }

private:
    void Click(int id);
    void OnCharHook(wxKeyEvent& event);

    WindowCore m_core;
    win::IDialogLogic& m_logic;
    wxDialog* m_dialog = nullptr;
    wxPanel* m_surface = nullptr;
    bool m_moved = false;
    bool m_ended = false;
    int m_result = 0;
};

// The dialog being shown modally, if any (tests reach it from inside the modal loop).
WxDialogWindow* CurrentDialog();

} // namespace wxwin
