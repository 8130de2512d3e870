#include "platform/window/wx/window_core.h"

#include <wx/msgdlg.h>

#include <algorithm>
#include <cmath>

#include "platform/window/wx/control_factory.h"
#include "platform/window/wx/gtk_style.h"
#include "platform/window/wx/vertical_map.h"
#include "platform/window/wx/wx_list_view.h"
#include "platform/window/wx/wx_text.h"
#include "res/string_table.h"

namespace wxwin {

WindowCore::WindowCore(GuiQueue& queue) : m_queue(queue), m_alive(std::make_shared<bool>(true)) {}

WindowCore::~WindowCore() {
    Kill();
}

ControlNode* WindowCore::Node(int id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second.get();
}

wxWindow* WindowCore::Widget(int id) const {
    ControlNode* node = Node(id);
    return node != nullptr ? node->Widget() : nullptr;
}

void WindowCore::Dispatch(win::Message& message) {
    if (m_handler != nullptr && IsAlive()) {
        m_handler->Dispatch(message);
    }
}

void WindowCore::AddStatusBar(wxStatusBar* bar, int id) {
    m_controls[id] = std::make_unique<StatusControl>(*this, id, bar);
    m_ids[bar] = id;
}

wxWindow* WindowCore::CreateWidget(wxWindow* surface, const res::ControlTemplate& c, int key) {
    MadeControl made = MakeControl(*this, surface, c, key);
    if (made.node != nullptr) {
        m_controls[key] = std::move(made.node);
    }
    if (made.inner != nullptr) {
        m_ids[made.inner] = key;
    }
    return made.widget;
}

namespace {

using res::ControlKind;

// The visible height a drop-down box has in the template's own terms; its rectangle's height
// is the height of the list that drops down.
constexpr int kComboBoxDialogUnits = 14;

bool IsDropDown(ControlKind kind) {
    return kind == ControlKind::ComboBox || kind == ControlKind::ImageComboBox;
}

struct Placed {
    const res::ControlTemplate* control;
    wxWindow* widget;
    wxRect rect;  // template rectangle in pixels (drop-down boxes: the box only)
    int need = 0; // height the widget needs, 0 = whatever the template says
};

// A caption a little wider than its rectangle in this font would wrap or be cut; it may spill
// over its margin instead (check boxes as far as the window reaches).
void FitCaption(Placed& p, int surfaceWidth) {
    const res::ControlTemplate& c = *p.control;
    if (c.kind == ControlKind::Static && !(c.style & res::kSunken) && !c.caption.empty()) {
        const int extra = p.widget->GetTextExtent(ToWx(c.caption)).x + 2 - p.rect.GetWidth();
        if (extra > 0) {
            if (c.style & res::kCentered) {
                p.rect.x -= extra / 2;
            } else if (c.style & res::kRightAligned) {
                p.rect.x -= extra;
            }
            p.rect.width += extra;
        }
    } else if (c.kind == ControlKind::CheckBox) {
        const int wanted = p.widget->GetBestSize().x;
        const int room = surfaceWidth - 4 - p.rect.GetLeft();
        if (wanted > p.rect.GetWidth()) {
            p.rect.width = std::min(wanted, std::max(room, p.rect.GetWidth()));
        }
    }
}

// Tab strips and group boxes first: controls laid over them must be drawn on top.
std::vector<const res::ControlTemplate*> CreationOrder(const res::DialogTemplate& dialog) {
    std::vector<const res::ControlTemplate*> order;
    for (const auto& c : dialog.controls) {
        if (c.kind == ControlKind::TabControl || c.kind == ControlKind::GroupBox) {
            order.push_back(&c);
        }
    }
    for (const auto& c : dialog.controls) {
        if (c.kind != ControlKind::TabControl && c.kind != ControlKind::GroupBox) {
            order.push_back(&c);
        }
    }
    return order;
}

// The widget's rectangle in pixels from the template, widened where its caption needs it, and
// the height the widget needs to show its text.
Placed Measure(const WindowCore& core, const res::ControlTemplate& c, wxWindow* widget,
               int surfaceWidth) {
    const int height = IsDropDown(c.kind) ? std::min(c.height, kComboBoxDialogUnits) : c.height;
    const wxPoint topLeft = core.DialogToPixels(c.x, c.y);
    const wxPoint bottomRight = core.DialogToPixels(c.x + c.width, c.y + height);
    Placed p{&c, widget, wxRect(topLeft, bottomRight - wxPoint(1, 1))};
    if (c.kind == ControlKind::Edit || IsDropDown(c.kind)) {
        p.need = widget->GetBestSize().y;
    }
    FitCaption(p, surfaceWidth);
    return p;
}

void ApplyInitialState(wxWindow* widget, unsigned style) {
#ifdef __WXMSW__
    // Windows lets a control paint over the siblings that lie on it (the host fields over the
    // host area's background) unless it is told to leave them out.
    widget->SetWindowStyleFlag(widget->GetWindowStyleFlag() | wxCLIP_SIBLINGS);
#endif
    if (style & res::kHidden) {
        widget->Hide();
    }
    if (style & res::kDisabled) {
        widget->Disable();
    }
}

// Every top and bottom of the layout, the surface's own included.
std::vector<int> RowEdges(const std::vector<Placed>& placed, int fullHeight) {
    std::vector<int> edges{0, fullHeight};
    for (const Placed& p : placed) {
        edges.push_back(p.rect.GetTop());
        edges.push_back(p.rect.GetBottom() + 1);
    }
    return edges;
}

// The controls whose rectangle starts inside the tab strip's.
std::vector<const Placed*> LaidOver(const Placed& tab, const std::vector<Placed>& placed) {
    std::vector<const Placed*> over;
    for (const Placed& p : placed) {
        if (&p != &tab && tab.rect.Contains(p.rect.GetTopLeft())) {
            over.push_back(&p);
        }
    }
    return over;
}

// A tab strip's header is taller on GTK than the template allows for: the controls laid over
// the strip move down below it. The strip learns which controls lie over it.
void MakeRoomForTabHeaders(WindowCore& core, const std::vector<Placed>& placed, VerticalMap& map) {
    for (const Placed& tab : placed) {
        if (tab.control->kind != ControlKind::TabControl) {
            continue;
        }
        auto* book = static_cast<wxNotebook*>(tab.widget);
        const int header = book->CalcSizeFromPage(wxSize(0, 0)).y;
        int firstTop = tab.rect.GetBottom();
        std::vector<wxWindow*> overlays;
        for (const Placed* p : LaidOver(tab, placed)) {
            firstTop = std::min(firstTop, p->rect.GetTop());
            overlays.push_back(p->widget);
        }
        map.Require(tab.rect.GetTop(), firstTop, header + 2);
        if (auto* control = dynamic_cast<TabControl*>(core.Node(tab.control->id))) {
            control->SetOverlays(std::move(overlays));
        }
    }
}

// Edits and drop-down boxes that need more height than their rectangle stretch their rows, top
// to bottom.
void StretchRowsForTallControls(const std::vector<Placed>& placed, VerticalMap& map) {
    std::vector<const Placed*> byTop;
    for (const Placed& p : placed) {
        byTop.push_back(&p);
    }
    std::stable_sort(byTop.begin(), byTop.end(), [](const Placed* a, const Placed* b) {
        return a->rect.GetTop() < b->rect.GetTop();
    });
    for (const Placed* p : byTop) {
        if (p->need > p->rect.GetHeight()) {
            map.Require(p->rect.GetTop(), p->rect.GetBottom() + 1, p->need);
        }
    }
}

// Moves every widget to its stretched rectangle; returns the lowest bottom edge.
int SetWidgetRects(const std::vector<Placed>& placed, const VerticalMap& map) {
    int contentBottom = 0;
    for (const Placed& p : placed) {
        const int top = map.Map(p.rect.GetTop());
        const int bottom = map.Map(p.rect.GetBottom() + 1);
        p.widget->SetSize(p.rect.GetLeft(), top, p.rect.GetWidth(), bottom - top);
        contentBottom = std::max(contentBottom, bottom);
    }
    return contentBottom;
}

} // namespace

// The toolkit's own conversion uses an approximate character width that is wider than real
// text; the alphabet's average keeps labels inside the rectangles drawn for them.
void WindowCore::MeasureDialogUnits(wxWindow* surface) {
    const wxSize alphabet =
        surface->GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (alphabet.x / 26.0 + 1.0) / 2.0;
    m_baseY = surface->GetCharHeight();
}

wxSize WindowCore::Build(wxWindow* surface, const res::DialogTemplate& dialog) {
    MeasureDialogUnits(surface);
    m_templateId = dialog.id;
    const wxPoint full = DialogToPixels(dialog.width, dialog.height);
    std::vector<Placed> placed;
    for (const res::ControlTemplate* c : CreationOrder(dialog)) {
        // Controls without an id (labels, group boxes) get keys of their own below zero.
        const int key = c->id > 0 ? c->id : m_unnamed--;
        wxWindow* widget = CreateWidget(surface, *c, key);
        if (widget == nullptr) {
            continue;
        }
        m_ids[widget] = key;
        placed.push_back(Measure(*this, *c, widget, full.x));
        ApplyInitialState(widget, c->style);
        ApplyTip(widget, c->id, c->icon);
    }

    VerticalMap map(RowEdges(placed, full.y));
    MakeRoomForTabHeaders(*this, placed, map);
    StretchRowsForTallControls(placed, map);
    m_contentBottom = std::max(m_contentBottom, SetWidgetRects(placed, map));
    for (const auto& [key, node] : m_controls) {
        if (key > 0 && node->Widget() != nullptr) {
            m_placed[key] = node->Widget()->GetRect();
        }
    }
    return wxSize(full.x, map.Map(full.y));
}

void WindowCore::ApplyTip(wxWindow* widget, int id, int icon) const {
    const std::string tip = res::ControlTip(m_templateId, id, icon);
    if (!tip.empty()) {
        widget->SetToolTip(ToWx(tip));
        SetAccessibleName(widget, tip);
    }
}

wxPoint WindowCore::DialogToPixels(int x, int y) const {
    return wxPoint(static_cast<int>(std::lround(x * m_baseX / 4.0)),
                   static_cast<int>(std::lround(y * m_baseY / 8.0)));
}

int WindowCore::FocusId() const {
    for (wxWindow* w = wxWindow::FindFocus(); w != nullptr; w = w->GetParent()) {
        auto found = m_ids.find(w);
        if (found != m_ids.end()) {
            return found->second > 0 ? found->second : 0;
        }
        if (w->IsTopLevel()) {
            break;
        }
    }
    return 0;
}

void WindowCore::SetFocus(int id) {
    if (wxWindow* widget = Widget(id)) {
        if (auto* list = dynamic_cast<ListWidget*>(widget)) {
            list->Surface()->SetFocus();
        } else {
            widget->SetFocus();
        }
    }
}

int WindowCore::MessageBox(wxWindow* parent, const std::string& text, win::Buttons buttons,
                           win::Icon icon) {
    long style = wxCENTRE;
    switch (buttons) {
    case win::Buttons::Ok:
        style |= wxOK;
        break;
    case win::Buttons::YesNo:
        style |= wxYES_NO;
        break;
    case win::Buttons::YesNoCancel:
        style |= wxYES_NO | wxCANCEL;
        break;
    }
    switch (icon) {
    case win::Icon::Warning:
        style |= wxICON_WARNING;
        break;
    case win::Icon::Question:
        style |= wxICON_QUESTION;
        break;
    case win::Icon::Error:
        style |= wxICON_ERROR;
        break;
    case win::Icon::Information:
        style |= wxICON_INFORMATION;
        break;
    }
    auto show = [alive = m_alive, parent, text, style]() -> int {
        if (!*alive) {
            return 0;
        }
        wxMessageDialog box(parent, ToWxLines(text), res::kAppName, style);
        switch (box.ShowModal()) {
        case wxID_OK:
            return win::kAnswerOk;
        case wxID_YES:
            return win::kAnswerYes;
        case wxID_NO:
            return win::kAnswerNo;
        default:
            return win::kAnswerCancel;
        }
    };
    // Deferred: a box asked for by a worker opens from the event loop, never in the middle of
    // another control call; the worker waits for the answer.
    return m_queue.Call<int>(show, 0, true);
}

} // namespace wxwin
