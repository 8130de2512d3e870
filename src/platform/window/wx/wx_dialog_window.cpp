#include "platform/window/wx/wx_dialog_window.h"

#include <wx/button.h>

#include "platform/window/wx/wx_text.h"
#include "res/resource_ids.h"

namespace wxwin {
namespace {

WxDialogWindow* g_current = nullptr;

win::Rect ToRect(const wxRect& rect) {
    return win::Rect{rect.GetLeft(), rect.GetTop(), rect.GetLeft() + rect.GetWidth(),
                     rect.GetTop() + rect.GetHeight()};
}

} // namespace

WxDialogWindow* CurrentDialog() {
    return g_current;
}

WxDialogWindow::WxDialogWindow(GuiQueue& queue, wxWindow* parent, const res::DialogTemplate& dialog,
                               win::IDialogLogic& logic)
    : m_core(queue), m_logic(logic) {
    m_dialog = new wxDialog(parent, wxID_ANY, ToWx(dialog.caption), wxDefaultPosition,
                            wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    m_surface = new wxPanel(m_dialog, wxID_ANY);
    const wxSize client = m_core.Build(m_surface, dialog);
    m_surface->SetSize(client);
    m_dialog->SetClientSize(client);
    m_core.SetHandler(&logic);

    m_dialog->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (m_ended || !event.CanVeto()) {
            event.Skip();
            return;
        }
        // The close box is Cancel; the logic decides whether the dialog ends.
        event.Veto();
        Click(res::kIdCancel);
    });
    m_dialog->Bind(wxEVT_CHAR_HOOK, &WxDialogWindow::OnCharHook, this);
    m_surface->Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
        event.Skip();
        win::Message message{win::MessageKind::MouseOverSurface};
        message.x = event.GetX();
        message.y = event.GetY();
        m_core.Dispatch(message);
    });
}

WxDialogWindow::~WxDialogWindow() {
    m_core.Kill();
    if (g_current == this) {
        g_current = nullptr;
    }
    delete m_dialog;
}

int WxDialogWindow::Run() {
    WxDialogWindow* outer = g_current;
    g_current = this;
    m_logic.OnInitDialog(*this);
    if (!m_ended) {
        if (!m_moved) {
            m_dialog->CentreOnParent();
        }
        m_dialog->ShowModal();
    }
    g_current = outer;
    return m_result;
}

void WxDialogWindow::Click(int id) {
    win::Message message{win::MessageKind::ButtonClick};
    message.id = id;
    m_core.Dispatch(message);
}

void WxDialogWindow::OnCharHook(wxKeyEvent& event) {
    if (event.HasAnyModifiers()) {
        event.Skip();
        return;
    }
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
        Click(res::kIdCancel);
        return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        wxWindow* focus = wxWindow::FindFocus();
        if (focus != nullptr && dynamic_cast<wxButton*>(focus) != nullptr) {
            event.Skip(); // Enter on a button presses that button
            return;
        }
        win::Message message{win::MessageKind::KeyEnter};
        message.id = m_core.FocusId();
        m_core.Dispatch(message);
        if (message.result == 0 && !m_ended) {
            Click(res::kIdOk);
        }
        return;
    }
    event.Skip();
}

int WxDialogWindow::MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) {
    return m_core.MessageBox(m_dialog, text, buttons, icon);
}

void WxDialogWindow::SetCaption(const std::string& caption) {
    m_dialog->SetTitle(ToWx(caption));
}

std::string WxDialogWindow::GetCaption() const {
    return FromWx(m_dialog->GetTitle());
}

win::Rect WxDialogWindow::GetWindowRect() const {
    return ToRect(m_dialog->GetRect());
}

win::Rect WxDialogWindow::GetClientRectOnScreen() const {
    return ToRect(wxRect(m_surface->GetScreenPosition(), m_surface->GetSize()));
}

void WxDialogWindow::Move(int left, int top) {
    m_moved = true;
    m_dialog->Move(left, top);
}

win::Rect WxDialogWindow::GetControlRectOnScreen(int id) const {
    wxWindow* widget = m_core.Widget(id);
    return widget != nullptr ? ToRect(widget->GetScreenRect()) : win::Rect{};
}

int WxDialogWindow::GetFocusId() const {
    return m_core.FocusId();
}

void WxDialogWindow::SetFocus(int id) {
    m_core.SetFocus(id);
}

void WxDialogWindow::EndDialog(int result) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_result = result;
    if (m_dialog->IsModal()) {
        m_dialog->EndModal(result);
    }
}

} // namespace wxwin
