#include "platform/window/wx/window_core.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "platform/window/wx/vertical_map.h"
#include "platform/window/wx/wx_image_combo.h"
#include "platform/window/wx/wx_list_view.h"
#include "platform/window/wx/wx_text.h"
#include "res/string_table.h"

namespace wxwin {
namespace {

using res::ControlKind;

// The visible height a drop-down box has in the template's own terms; its rectangle's height
// is the height of the list that drops down.
constexpr int kComboBoxDialogUnits = 14;

bool IsDropDown(ControlKind kind) {
    return kind == ControlKind::ComboBox || kind == ControlKind::ImageComboBox;
}

long StaticAlignment(unsigned style) {
    if (style & res::kCentered) {
        return wxALIGN_CENTRE_HORIZONTAL;
    }
    if (style & res::kRightAligned) {
        return wxALIGN_RIGHT;
    }
    return wxALIGN_LEFT;
}

wxWindowID WidgetId(int id) {
    return id > 0 ? id : wxID_ANY;
}

} // namespace

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
    const wxWindowID wid = WidgetId(c.id);
    const wxString caption = ToWx(c.caption);
    switch (c.kind) {
    case ControlKind::Edit: {
        long style = 0;
        if (c.style & res::kPassword) {
            style |= wxTE_PASSWORD;
        }
        if (c.style & res::kReadOnly) {
            style |= wxTE_READONLY;
        }
        auto* edit = new wxTextCtrl(surface, wid, caption, wxDefaultPosition, wxDefaultSize, style);
        m_controls[key] = std::make_unique<EditControl>(*this, key, edit);
        return edit;
    }
    case ControlKind::MultiLineEdit: {
        long style = wxTE_MULTILINE;
        if (c.style & res::kReadOnly) {
            style |= wxTE_READONLY;
        }
        if (c.style & res::kVScroll) {
            style |= wxVSCROLL;
        }
        auto* edit = new wxTextCtrl(surface, wid, caption, wxDefaultPosition, wxDefaultSize, style);
        m_controls[key] = std::make_unique<LogControl>(*this, key, edit);
        return edit;
    }
    case ControlKind::Static: {
        const long align = StaticAlignment(c.style);
        if (c.style & res::kSunken) {
            auto* frame =
                new wxPanel(surface, wid, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
            auto* label = new wxStaticText(frame, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                           wxDefaultSize, align | wxST_NO_AUTORESIZE);
            label->SetLabelText(caption);
            auto* sizer = new wxBoxSizer(wxHORIZONTAL);
            sizer->Add(label, 1, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 3);
            frame->SetSizer(sizer);
            m_controls[key] = std::make_unique<StaticControl>(*this, key, frame, label);
            m_ids[label] = key;
            return frame;
        }
        auto* label = new wxStaticText(surface, wid, wxEmptyString, wxDefaultPosition,
                                       wxDefaultSize, align | wxST_NO_AUTORESIZE);
        label->SetLabelText(caption);
        m_controls[key] = std::make_unique<StaticControl>(*this, key, label, label);
        return label;
    }
    case ControlKind::GroupBox: {
        auto* box = new wxStaticBox(surface, wid, caption);
        m_controls[key] = std::make_unique<StaticControl>(*this, key, box, box);
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        // A narrow button ("?") needs the small padding to show its caption at all.
        auto* button = new wxButton(surface, wid, caption, wxDefaultPosition, wxDefaultSize,
                                    c.width < 20 ? wxBU_EXACTFIT : 0);
        if (c.kind == ControlKind::DefaultButton) {
            button->SetDefault();
        }
        m_controls[key] = std::make_unique<ButtonControl>(*this, key, button, 0);
        return button;
    }
    case ControlKind::IconButton: {
        auto* button = new wxButton(surface, wid, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                    wxBU_EXACTFIT | wxBU_NOTEXT);
        m_controls[key] = std::make_unique<ButtonControl>(*this, key, button, c.icon);
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new wxCheckBox(surface, wid, caption);
        m_controls[key] = std::make_unique<CheckBoxControl>(*this, key, box);
        return box;
    }
    case ControlKind::ListView: {
        long style = wxLC_LIST;
        if (c.style & res::kSingleSelection) {
            style |= wxLC_SINGLE_SEL;
        }
        if (c.style & res::kEditLabels) {
            style |= wxLC_EDIT_LABELS;
        }
        style |= (c.style & res::kBorder) ? wxBORDER_SIMPLE : wxBORDER_NONE;
        auto* list = new ListWidget(surface, wid, wxDefaultPosition, wxDefaultSize, style);
        m_controls[key] =
            std::make_unique<ListViewControl>(*this, key, list, (c.style & res::kAcceptFiles) != 0);
        m_ids[list->Surface()] = key;
        return list;
    }
    case ControlKind::ComboBox: {
        auto* choice = new wxChoice(surface, wid);
        m_controls[key] = std::make_unique<ComboControl>(*this, key, choice);
        return choice;
    }
    case ControlKind::ImageComboBox: {
        auto* combo = new ImageComboWidget(surface, wid);
        m_controls[key] = std::make_unique<ImageComboControl>(*this, key, combo);
        return combo;
    }
    case ControlKind::ListBox: {
        long style = wxLB_SINGLE;
        if (c.style & res::kVScroll) {
            style |= wxLB_NEEDED_SB;
        }
        auto* list =
            new wxListBox(surface, wid, wxDefaultPosition, wxDefaultSize, 0, nullptr, style);
        m_controls[key] = std::make_unique<ListBoxControl>(*this, key, list);
        return list;
    }
    case ControlKind::TabControl: {
        auto* book = new wxNotebook(surface, wid);
        m_controls[key] = std::make_unique<TabControl>(*this, key, book);
        return book;
    }
    case ControlKind::ProgressBar: {
        auto* gauge = new wxGauge(surface, wid, 100, wxDefaultPosition, wxDefaultSize,
                                  wxGA_HORIZONTAL | wxGA_SMOOTH);
        m_controls[key] = std::make_unique<ProgressControl>(*this, key, gauge);
        return gauge;
    }
    }
    return nullptr;
}

namespace {

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

} // namespace

wxSize WindowCore::Build(wxWindow* surface, const res::DialogTemplate& dialog) {
    // The toolkit's own conversion uses an approximate character width that is wider than
    // real text; the alphabet's average keeps labels inside the rectangles drawn for them.
    const wxSize alphabet =
        surface->GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (alphabet.x / 26.0 + 1.0) / 2.0;
    m_baseY = surface->GetCharHeight();

    // Tab strips and group boxes first: controls laid over them must be drawn on top.
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

    const wxPoint full = DialogToPixels(dialog.width, dialog.height);
    std::vector<Placed> placed;
    std::vector<int> edges{0, full.y};
    for (const res::ControlTemplate* c : order) {
        // Controls without an id (labels, group boxes) get keys of their own below zero.
        const int key = c->id > 0 ? c->id : m_unnamed--;
        wxWindow* widget = CreateWidget(surface, *c, key);
        if (widget == nullptr) {
            continue;
        }
        m_ids[widget] = key;
        const int height =
            IsDropDown(c->kind) ? std::min(c->height, kComboBoxDialogUnits) : c->height;
        const wxPoint topLeft = DialogToPixels(c->x, c->y);
        const wxPoint bottomRight = DialogToPixels(c->x + c->width, c->y + height);
        Placed p{c, widget, wxRect(topLeft, bottomRight - wxPoint(1, 1))};
        if (c->kind == ControlKind::Edit || IsDropDown(c->kind)) {
            p.need = widget->GetBestSize().y;
        }
        FitCaption(p, full.x);
        edges.push_back(p.rect.GetTop());
        edges.push_back(p.rect.GetBottom() + 1);
        if (c->style & res::kHidden) {
            widget->Hide();
        }
        if (c->style & res::kDisabled) {
            widget->Disable();
        }
        placed.push_back(p);
    }

    VerticalMap map(edges);
    // A tab strip's header is taller on GTK than the template allows for: the controls laid
    // over the strip move down below it.
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
        if (auto* control = dynamic_cast<TabControl*>(Node(tab.control->id))) {
            control->SetOverlays(std::move(overlays));
        }
    }
    // Edits and drop-down boxes that need more height than their rectangle stretch their rows,
    // top to bottom.
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

    for (const Placed& p : placed) {
        const int top = map.Map(p.rect.GetTop());
        const int bottom = map.Map(p.rect.GetBottom() + 1);
        p.widget->SetSize(p.rect.GetLeft(), top, p.rect.GetWidth(), bottom - top);
        m_contentBottom = std::max(m_contentBottom, bottom);
    }
    return wxSize(full.x, map.Map(full.y));
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
