// A modal dialog built from a template; its logic decides what every button does.
#pragma once

#include <wx/dialog.h>
#include <wx/panel.h>

#include "platform/window/window.h"
#include "platform/window/wx/window_core.h"

namespace wxwin {

class WxDialogWindow : public CoreControls<win::IDialogWindow> {
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

    WindowCore& Core() override { return m_core; }

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
