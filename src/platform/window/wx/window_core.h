// What the main window and the dialogs share: the controls built from a template, lookup by
// id, message dispatch, message boxes and focus.
#pragma once

#include <wx/statusbr.h>
#include <wx/window.h>

#include <map>
#include <memory>
#include <string>

#include "platform/window/window.h"
#include "platform/window/wx/gui_queue.h"
#include "platform/window/wx/null_control.h"
#include "platform/window/wx/wx_controls.h"
#include "res/templates.h"

namespace wxwin {

class WindowCore {
public:
    explicit WindowCore(GuiQueue& queue);
    ~WindowCore();
    WindowCore(const WindowCore&) = delete;
    WindowCore& operator=(const WindowCore&) = delete;

    // Creates the template's controls on `surface` and places them; returns the size the
    // surface needs (the template's size, grown where a control needs more height).
    wxSize Build(wxWindow* surface, const res::DialogTemplate& dialog);
    void AddStatusBar(wxStatusBar* bar, int id);
    // Dialog units of the surface's font in pixels, measured as the classic dialog manager
    // does (average width of the alphabet, height of the font).
    wxPoint DialogToPixels(int x, int y) const;
    // The lowest bottom edge of the controls placed by Build().
    int ContentBottom() const { return m_contentBottom; }
    int TemplateId() const { return m_templateId; }
    // Puts the template's tip on the widget as its tooltip and its accessible name.
    void ApplyTip(wxWindow* widget, int id, int icon) const;
    // Where Build() placed each control with an id, in pixels of the surface.
    const std::map<int, wxRect>& PlacedRects() const { return m_placed; }

    void SetHandler(win::IMessageHandler* handler) { m_handler = handler; }
    // Hands a message to the logic (GUI thread).
    void Dispatch(win::Message& message);

    GuiQueue& Queue() { return m_queue; }
    std::shared_ptr<bool> Alive() const { return m_alive; }
    // The widgets are going away: nothing touches them any more.
    void Kill() { *m_alive = false; }
    bool IsAlive() const { return *m_alive; }

    ControlNode* Node(int id) const;
    wxWindow* Widget(int id) const;
    // The control of that kind, or a stand-in that does nothing when the id is unknown.
    template <class Interface> Interface& Find(int id);

    // The id of the control holding the focus (also when the focus is inside one of its
    // parts), 0 when none.
    int FocusId() const;
    void SetFocus(int id);
    int MessageBox(wxWindow* parent, const std::string& text, win::Buttons buttons, win::Icon icon);

private:
    void MeasureDialogUnits(wxWindow* surface);
    // Creates the control's widget and files its adapter under `key`.
    wxWindow* CreateWidget(wxWindow* surface, const res::ControlTemplate& control, int key);

    GuiQueue& m_queue;
    std::shared_ptr<bool> m_alive;
    win::IMessageHandler* m_handler = nullptr;
    std::map<int, std::unique_ptr<ControlNode>> m_controls;
    std::map<wxWindow*, int> m_ids;
    int m_unnamed = -1000; // keys for controls without an id (group boxes, labels)
    int m_contentBottom = 0;
    int m_templateId = 0;
    std::map<int, wxRect> m_placed;
    double m_baseX = 8;  // pixels per 4 horizontal dialog units
    double m_baseY = 16; // pixels per 8 vertical dialog units
};

template <class Interface> Interface& WindowCore::Find(int id) {
    if (ControlNode* node = Node(id)) {
        if (auto* control = dynamic_cast<Interface*>(node)) {
            return *control;
        }
    }
    return static_cast<Interface&>(TheNullControl());
}

// The control accessors of a window: each finds its control in the window's core.
template <class Base> class CoreControls : public Base {
public:
    win::ITextControl& Text(int id) override { return Find<win::ITextControl>(id); }
    win::IEdit& Edit(int id) override { return Find<win::IEdit>(id); }
    win::IButton& Button(int id) override { return Find<win::IButton>(id); }
    win::ICheckBox& CheckBox(int id) override { return Find<win::ICheckBox>(id); }
    win::IProgressBar& Progress(int id) override { return Find<win::IProgressBar>(id); }
    win::IListView& ListView(int id) override { return Find<win::IListView>(id); }
    win::IComboBox& Combo(int id) override { return Find<win::IComboBox>(id); }
    win::IImageComboBox& ImageCombo(int id) override { return Find<win::IImageComboBox>(id); }
    win::IListBox& ListBox(int id) override { return Find<win::IListBox>(id); }
    win::ITabControl& Tab(int id) override { return Find<win::ITabControl>(id); }

protected:
    virtual WindowCore& Core() = 0;

private:
    template <class Interface> Interface& Find(int id) {
        return Core().template Find<Interface>(id);
    }
};

} // namespace wxwin
