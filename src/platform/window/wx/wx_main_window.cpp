#include "platform/window/wx/wx_main_window.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>

#include "platform/desktop_open.h"
#include "platform/window/wx/wx_dialog_window.h"
#include "platform/window/wx/wx_images.h"
#include "platform/window/wx/wx_list_view.h"
#include "platform/window/wx/wx_text.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "res/templates.h"

namespace wxwin {
namespace {

class CallbackTimer : public wxTimer {
public:
    explicit CallbackTimer(std::function<void()> onTick) : m_onTick(std::move(onTick)) {}
    void Notify() override { m_onTick(); }

private:
    std::function<void()> m_onTick;
};

win::Rect ToRect(const wxRect& rect) {
    return win::Rect{rect.GetLeft(), rect.GetTop(), rect.GetLeft() + rect.GetWidth(),
                     rect.GetTop() + rect.GetHeight()};
}

} // namespace

WxMainWindow::WxMainWindow() : m_core(m_queue) {
    const res::DialogTemplate* dialog = res::FindTemplate(res::kMainTemplate);
    m_frame =
        new wxFrame(nullptr, wxID_ANY, ToWx(dialog != nullptr ? dialog->caption : ""),
                    wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN);
    m_frame->SetIcon(LoadIcon(res::kIconApp));
    m_surface = new wxPanel(m_frame, wxID_ANY);
    wxSize client(640, 480);
    if (dialog != nullptr) {
        client = m_core.Build(m_surface, *dialog);
    }
    m_status = m_frame->CreateStatusBar(1, wxSTB_ELLIPSIZE_END | wxFULL_REPAINT_ON_RESIZE,
                                        res::kStatusBar);
    m_core.AddStatusBar(m_status, res::kStatusBar);
    // The status line covers the bottom of the template's area, as a status bar child does,
    // as far as it can without covering a control.
    client.y = std::max(client.y - m_status->GetBestSize().y, m_core.ContentBottom() + 4);
    m_surface->SetSize(client);
    m_baseSurface = client;
    m_frame->SetClientSize(client);
    // The template's size is the first and the smallest; the panes and the log take the rest.
    m_frame->SetSizeHints(m_frame->GetSize(), wxDefaultSize);
    m_surface->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        Relayout();
    });

    m_frame->Bind(wxEVT_CLOSE_WINDOW, &WxMainWindow::OnClose, this);
    m_frame->Bind(wxEVT_CHAR_HOOK, &WxMainWindow::OnCharHook, this);
    m_frame->Bind(wxEVT_DESTROY, [this, alive = m_core.Alive()](wxWindowDestroyEvent& event) {
        event.Skip();
        if (*alive && event.GetEventObject() == m_frame) {
            m_core.Kill();
            m_frame = nullptr;
        }
    });
}

WxMainWindow::~WxMainWindow() {
    m_queue.Close();
    m_timers.clear();
    if (m_core.IsAlive() && m_frame != nullptr) {
        wxFrame* frame = m_frame;
        m_core.Kill();
        m_frame = nullptr;
        delete frame;
    }
}

void WxMainWindow::Run(std::function<void()> fn) {
    m_queue.Post([alive = m_core.Alive(), fn = std::move(fn)] {
        if (*alive) {
            fn();
        }
    });
}

void WxMainWindow::ShowWindow() {
    if (m_frame == nullptr) {
        return;
    }
    if (!m_moved) {
        m_frame->CentreOnScreen();
    }
    m_frame->Show();
}

void WxMainWindow::Shutdown() {
    m_queue.Close();
    m_core.Kill();
    for (auto& timer : m_timers) {
        timer.second->Stop();
    }
}

// ---- messages from the window ----

void WxMainWindow::SendClose() {
    win::Message message{win::MessageKind::Close};
    m_core.Dispatch(message);
}

void WxMainWindow::OnClose(wxCloseEvent& event) {
    if (!m_core.IsAlive() || m_destroyed) {
        event.Skip();
        return;
    }
    // The logic's close procedure decides; it calls Destroy() when the window may end.
    if (event.CanVeto()) {
        event.Veto();
        SendClose();
        return;
    }
    SendClose();
    if (!m_destroyed) {
        DoDestroy();
    }
}

namespace {

// How a control's edges follow the window's growth: horizontally 0 stays, 1 moves by half the
// extra width (the border between the panes), 2 by all of it; vertically 0 stays, 1 moves with
// the log's bottom (a third of the extra height), 2 with the window's bottom.
struct Anchor {
    int id;
    int left, right, top, bottom;
};

constexpr Anchor kAnchors[] = {
    {res::kLogEdit, 1, 2, 0, 1},
    {res::kProgressBar, 1, 2, 1, 1},
    {res::kByteCounter, 2, 2, 1, 1},
    {res::kBytesLabel, 2, 2, 1, 1},
    {res::kJobStatus, 1, 2, 1, 1},
    {res::kUploadAllButton, 0, 0, 1, 1},
    {res::kMirrorButton, 0, 0, 1, 1},
    {res::kLocalRefreshButton, 0, 0, 1, 1},
    {res::kOpenFolderButton, 0, 0, 1, 1},
    {res::kOptionButton, 0, 0, 1, 1},
    {res::kConnectButton, 1, 1, 1, 1},
    {res::kCancelButton, 1, 1, 1, 1},
    {res::kRemoteRefreshButton, 1, 1, 1, 1},
    {res::kLocalUpButton, 0, 0, 1, 1},
    {res::kDriveCombo, 0, 1, 1, 1},
    {res::kRemoteUpButton, 1, 1, 1, 1},
    {res::kRemotePathCombo, 1, 2, 1, 1},
    {res::kLocalList, 0, 1, 1, 2},
    {res::kRemoteList, 1, 2, 1, 2},
};

} // namespace

void WxMainWindow::Relayout() {
    if (!m_core.IsAlive() || m_surface == nullptr) {
        return;
    }
    const wxSize now = m_surface->GetClientSize();
    const int dx = std::max(0, now.x - m_baseSurface.x);
    const int dy = std::max(0, now.y - m_baseSurface.y);
    if (wxSize(dx, dy) == m_growth) {
        return; // the controls already stand where this size puts them
    }
    m_growth = wxSize(dx, dy);
    const int shiftX[] = {0, dx / 2, dx};
    const int shiftY[] = {0, dy / 3, dy};
    const auto& placed = m_core.PlacedRects();
    for (const Anchor& anchor : kAnchors) {
        auto found = placed.find(anchor.id);
        wxWindow* widget = m_core.Widget(anchor.id);
        if (found == placed.end() || widget == nullptr) {
            continue;
        }
        const wxRect& base = found->second;
        const int left = base.GetLeft() + shiftX[anchor.left];
        const int top = base.GetTop() + shiftY[anchor.top];
        const int right = base.GetLeft() + base.GetWidth() + shiftX[anchor.right];
        const int bottom = base.GetTop() + base.GetHeight() + shiftY[anchor.bottom];
        widget->SetSize(left, top, right - left, bottom - top);
    }
    m_surface->Refresh();
}

bool WxMainWindow::LabelEditorHasFocus() const {
    wxWindow* focus = wxWindow::FindFocus();
    if (focus == nullptr || dynamic_cast<wxTextCtrl*>(focus) == nullptr) {
        return false;
    }
    for (wxWindow* w = focus->GetParent(); w != nullptr && !w->IsTopLevel(); w = w->GetParent()) {
        if (dynamic_cast<ListWidget*>(w) != nullptr) {
            return true;
        }
    }
    return false;
}

void WxMainWindow::OnCharHook(wxKeyEvent& event) {
    if (!m_core.IsAlive()) {
        event.Skip();
        return;
    }
    // A label edit takes its own keys: Enter ends it, Escape cancels it.
    if (LabelEditorHasFocus()) {
        event.Skip();
        return;
    }
    const int key = event.GetKeyCode();
    const int modifiers = event.GetModifiers();
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && modifiers == wxMOD_NONE) {
        win::Message message{win::MessageKind::KeyEnter};
        message.id = m_core.FocusId();
        m_core.Dispatch(message);
        if (message.result != 1) {
            event.Skip();
        }
        return;
    }
    // Escape belongs to dialogs and drags; it never closes the window.
    if (key == WXK_ESCAPE) {
        event.Skip();
        return;
    }
    int listKey = 0;
    if (modifiers == wxMOD_NONE || (modifiers == wxMOD_SHIFT && key == WXK_TAB)) {
        switch (key) {
        case WXK_BACK:
            listKey = win::kKeyBackspace;
            break;
        case WXK_DELETE:
        case WXK_NUMPAD_DELETE:
            listKey = win::kKeyDelete;
            break;
        case WXK_F2:
            listKey = win::kKeyF2;
            break;
        case WXK_F5:
            listKey = win::kKeyF5;
            break;
        case WXK_F7:
            listKey = win::kKeyF7;
            break;
        case WXK_TAB:
            listKey = win::kKeyTab;
            break;
        default:
            break;
        }
    } else if (modifiers == wxMOD_CONTROL && key == 'A') {
        listKey = win::kKeySelectAll;
    }
    if (listKey != 0) {
        // Only the controls whose logic knows the key swallow it.
        win::Message message{win::MessageKind::KeyDown};
        message.id = m_core.FocusId();
        message.index = listKey;
        m_core.Dispatch(message);
        if (message.result == 1) {
            return;
        }
    }
    event.Skip();
}

// ---- IWindow ----

int WxMainWindow::MessageBox(const std::string& text, win::Buttons buttons, win::Icon icon) {
    return m_core.MessageBox(m_frame, text, buttons, icon);
}

void WxMainWindow::SetCaption(const std::string& caption) {
    Run([this, caption] { m_frame->SetTitle(ToWx(caption)); });
}

std::string WxMainWindow::GetCaption() const {
    return Ask<std::string>([this] { return FromWx(m_frame->GetTitle()); });
}

win::Rect WxMainWindow::GetWindowRect() const {
    return Ask<win::Rect>([this] { return ToRect(m_frame->GetRect()); });
}

win::Rect WxMainWindow::GetClientRectOnScreen() const {
    return Ask<win::Rect>([this] {
        wxRect rect(m_surface->GetScreenPosition(), m_surface->GetSize());
        if (m_status != nullptr && m_status->IsShown()) {
            rect.height += m_status->GetSize().y;
        }
        return ToRect(rect);
    });
}

void WxMainWindow::Move(int left, int top) {
    m_moved = true;
    Run([this, left, top] { m_frame->Move(left, top); });
}

win::Rect WxMainWindow::GetControlRectOnScreen(int id) const {
    return Ask<win::Rect>([this, id] {
        wxWindow* widget = m_core.Widget(id);
        return widget != nullptr ? ToRect(widget->GetScreenRect()) : win::Rect{};
    });
}

int WxMainWindow::GetFocusId() const {
    return Ask<int>([this] { return m_core.FocusId(); });
}

void WxMainWindow::SetFocus(int id) {
    Run([this, id] { m_core.SetFocus(id); });
}

// ---- IMainWindow ----

bool WxMainWindow::IsMinimized() const {
    return Ask<bool>([this] { return m_frame->IsIconized(); });
}

win::Rect WxMainWindow::GetPrimaryWorkArea() const {
    return Ask<win::Rect>([] { return ToRect(wxDisplay(0u).GetClientArea()); });
}

void WxMainWindow::Resize(int width, int height) {
    Run([this, width, height] {
        const wxRect area = wxDisplay(0u).GetClientArea();
        const wxSize least = m_frame->GetMinSize();
        const wxSize size(std::max(least.x, std::min(width, area.GetWidth())),
                          std::max(least.y, std::min(height, area.GetHeight())));
        // Grown where it stands, then moved back onto the work area where it would leave it.
        wxPoint place = m_frame->GetPosition();
        place.x = std::max(area.GetLeft(), std::min(place.x, area.GetRight() + 1 - size.x));
        place.y = std::max(area.GetTop(), std::min(place.y, area.GetBottom() + 1 - size.y));
        m_frame->SetSize(place.x, place.y, size.x, size.y);
    });
}

void WxMainWindow::StartTimer(int id, int periodMs) {
    Run([this, id, periodMs] {
        auto& timer = m_timers[id];
        if (!timer) {
            timer = std::make_unique<CallbackTimer>([this, id, alive = m_core.Alive()] {
                if (*alive) {
                    win::Message message{win::MessageKind::Timer};
                    message.id = id;
                    m_core.Dispatch(message);
                }
            });
        }
        timer->Start(periodMs > 0 ? periodMs : 1);
    });
}

void WxMainWindow::StopTimer(int id) {
    Run([this, id] {
        auto found = m_timers.find(id);
        if (found != m_timers.end()) {
            found->second->Stop();
        }
    });
}

int WxMainWindow::TrackPopupMenu(int menuId, const std::set<int>& disabledCommands, int x, int y) {
    if (!m_queue.OnGuiThread() || !m_core.IsAlive()) {
        return 0;
    }
    const res::Menu* source = res::FindMenu(menuId);
    if (source == nullptr) {
        return 0;
    }
    // Menu item ids must stay below 0x7fff, and some command ids do not: the items carry
    // their position and the chosen position is turned back into its command.
    constexpr int kFirstItemId = 100;
    wxMenu menu;
    for (std::size_t i = 0; i < source->items.size(); ++i) {
        const res::MenuItem& item = source->items[i];
        if (item.command == 0) {
            menu.AppendSeparator();
            continue;
        }
        const int itemId = kFirstItemId + static_cast<int>(i);
        menu.Append(itemId, ToWx(item.text));
        if (disabledCommands.count(item.command) != 0) {
            menu.Enable(itemId, false);
        }
    }
    const int chosen =
        m_surface->GetPopupMenuSelectionFromUser(menu, m_surface->ScreenToClient(wxPoint(x, y)));
    const int index = chosen - kFirstItemId;
    if (chosen == wxID_NONE || index < 0 || index >= static_cast<int>(source->items.size())) {
        return 0;
    }
    return source->items[index].command;
}

int WxMainWindow::RunModal(int templateId, win::IDialogLogic& logic) {
    if (!m_queue.OnGuiThread() || !m_core.IsAlive()) {
        return -1;
    }
    const res::DialogTemplate* dialog = res::FindTemplate(templateId);
    if (dialog == nullptr) {
        return -1;
    }
    WxDialogWindow window(m_queue, m_frame, *dialog, logic);
    return window.Run();
}

void WxMainWindow::Post(std::function<void()> fn) {
    m_queue.PostDeferred([alive = m_core.Alive(), fn = std::move(fn)] {
        if (*alive) {
            fn();
        }
    });
}

// The desktop's opener is started directly, the path one argument of its own that no command
// line splits and no shell reads; a failure to start is the program's to report.
bool WxMainWindow::OpenWithShell(const std::string& path) {
    return platform::OpenWithDesktop(path);
}

void WxMainWindow::SetCursor(int cursorId) {
    Run([this, cursorId] {
        const wxCursor cursor = cursorId == 0 ? wxNullCursor : LoadCursor(cursorId);
        wxSetCursor(cursor);
        if (m_captured != nullptr) {
            m_captured->List()->Surface()->SetCursor(cursor);
        }
    });
}

void WxMainWindow::CaptureMouse(int listId) {
    Run([this, listId] {
        auto* list = dynamic_cast<ListViewControl*>(m_core.Node(listId));
        if (list == nullptr) {
            return;
        }
        if (m_captured != nullptr && m_captured != list) {
            m_captured->EndCapture();
        }
        m_captured = list;
        list->BeginCapture();
    });
}

void WxMainWindow::ReleaseMouse() {
    Run([this] {
        if (m_captured != nullptr) {
            m_captured->List()->Surface()->SetCursor(wxNullCursor);
            m_captured->EndCapture();
            m_captured = nullptr;
        }
    });
}

void WxMainWindow::BringToForeground() {
    Run([this] {
        if (m_frame->IsIconized()) {
            m_frame->Iconize(false);
        }
        m_frame->Raise();
    });
}

void WxMainWindow::Destroy() {
    Run([this] { DoDestroy(); });
}

void WxMainWindow::DoDestroy() {
    if (m_destroyed.exchange(true)) {
        return;
    }
    for (auto& timer : m_timers) {
        timer.second->Stop();
    }
    if (m_captured != nullptr) {
        m_captured->EndCapture();
        m_captured = nullptr;
    }
    wxSetCursor(wxNullCursor);
    m_frame->Hide();
    // Deleted once the current handler is over; the run's loop ends with it.
    m_frame->Destroy();
    if (wxTheApp != nullptr) {
        wxEventLoopBase* loop = wxTheApp->GetMainLoop();
        if (loop != nullptr && loop->IsRunning()) {
            wxTheApp->ExitMainLoop();
        }
    }
}

} // namespace wxwin
