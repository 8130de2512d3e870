#include "platform/window/wx/control_factory.h"

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "platform/window/wx/wx_image_combo.h"
#include "platform/window/wx/wx_list_view.h"
#include "platform/window/wx/wx_text.h"

namespace wxwin {
namespace {

using res::ControlKind;
using res::ControlTemplate;

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

MadeControl MakeEdit(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    long style = 0;
    if (c.style & res::kPassword) {
        style |= wxTE_PASSWORD;
    }
    if (c.style & res::kReadOnly) {
        style |= wxTE_READONLY;
    }
    auto* edit = new wxTextCtrl(surface, WidgetId(c.id), ToWx(c.caption), wxDefaultPosition,
                                wxDefaultSize, style);
    return {edit, std::make_unique<EditControl>(core, key, edit)};
}

MadeControl MakeLog(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    long style = wxTE_MULTILINE;
    if (c.style & res::kReadOnly) {
        style |= wxTE_READONLY;
    }
    if (c.style & res::kVScroll) {
        style |= wxVSCROLL;
    }
    auto* edit = new wxTextCtrl(surface, WidgetId(c.id), ToWx(c.caption), wxDefaultPosition,
                                wxDefaultSize, style);
    return {edit, std::make_unique<LogControl>(core, key, edit)};
}

// A sunken static is a framed panel with the label inside, the way the status fields look.
MadeControl MakeStatic(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    const long align = StaticAlignment(c.style);
    if (c.style & res::kSunken) {
        auto* frame =
            new wxPanel(surface, WidgetId(c.id), wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
        auto* label = new wxStaticText(frame, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                       wxDefaultSize, align | wxST_NO_AUTORESIZE);
        label->SetLabelText(ToWx(c.caption));
        auto* sizer = new wxBoxSizer(wxHORIZONTAL);
        sizer->Add(label, 1, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 3);
        frame->SetSizer(sizer);
        return {frame, std::make_unique<StaticControl>(core, key, frame, label), label};
    }
    auto* label = new wxStaticText(surface, WidgetId(c.id), wxEmptyString, wxDefaultPosition,
                                   wxDefaultSize, align | wxST_NO_AUTORESIZE);
    label->SetLabelText(ToWx(c.caption));
    return {label, std::make_unique<StaticControl>(core, key, label, label)};
}

MadeControl MakeGroupBox(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    auto* box = new wxStaticBox(surface, WidgetId(c.id), ToWx(c.caption));
    return {box, std::make_unique<StaticControl>(core, key, box, box)};
}

MadeControl MakeButton(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    // A narrow button ("?") needs the small padding to show its caption at all.
    auto* button = new wxButton(surface, WidgetId(c.id), ToWx(c.caption), wxDefaultPosition,
                                wxDefaultSize, c.width < 20 ? wxBU_EXACTFIT : 0);
    if (c.kind == ControlKind::DefaultButton) {
        button->SetDefault();
    }
    return {button, std::make_unique<ButtonControl>(core, key, button, 0)};
}

MadeControl MakeIconButton(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    auto* button = new wxButton(surface, WidgetId(c.id), wxEmptyString, wxDefaultPosition,
                                wxDefaultSize, wxBU_EXACTFIT | wxBU_NOTEXT);
    return {button, std::make_unique<ButtonControl>(core, key, button, c.icon)};
}

MadeControl MakeCheckBox(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    auto* box = new wxCheckBox(surface, WidgetId(c.id), ToWx(c.caption));
    return {box, std::make_unique<CheckBoxControl>(core, key, box)};
}

MadeControl MakeListView(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    long style = wxLC_LIST;
    if (c.style & res::kSingleSelection) {
        style |= wxLC_SINGLE_SEL;
    }
    if (c.style & res::kEditLabels) {
        style |= wxLC_EDIT_LABELS;
    }
    style |= (c.style & res::kBorder) ? wxBORDER_SIMPLE : wxBORDER_NONE;
#ifdef __WXMSW__
    // Windows' list view cannot become virtual once it exists: it is made so from the start.
    if (c.style & res::kDetailView) {
        style = (style & ~wxLC_MASK_TYPE) | wxLC_REPORT | wxLC_VIRTUAL;
    }
#endif
    auto* list = new ListWidget(surface, WidgetId(c.id), wxDefaultPosition, wxDefaultSize, style);
    auto node =
        std::make_unique<ListViewControl>(core, key, list, (c.style & res::kAcceptFiles) != 0);
    return {list, std::move(node), list->Surface()};
}

MadeControl MakeComboBox(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    if (c.style & res::kTypedText) {
        auto* combo = new wxComboBox(surface, WidgetId(c.id), wxEmptyString, wxDefaultPosition,
                                     wxDefaultSize, 0, nullptr, wxCB_DROPDOWN);
        return {combo, std::make_unique<ComboControl>(core, key, combo, combo)};
    }
    auto* choice = new wxChoice(surface, WidgetId(c.id));
    return {choice, std::make_unique<ComboControl>(core, key, choice, nullptr)};
}

MadeControl MakeImageComboBox(WindowCore& core, wxWindow* surface, const ControlTemplate& c,
                              int key) {
    auto* combo = new ImageComboWidget(surface, WidgetId(c.id), (c.style & res::kTypedText) != 0);
    return {combo, std::make_unique<ImageComboControl>(core, key, combo)};
}

MadeControl MakeListBox(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
    long style = wxLB_SINGLE;
    if (c.style & res::kVScroll) {
        style |= wxLB_NEEDED_SB;
    }
    auto* list =
        new wxListBox(surface, WidgetId(c.id), wxDefaultPosition, wxDefaultSize, 0, nullptr, style);
    return {list, std::make_unique<ListBoxControl>(core, key, list)};
}

MadeControl MakeTabControl(WindowCore& core, wxWindow* surface, const ControlTemplate& c, int key) {
#ifdef __WXMSW__
    // The host's controls are the strip's siblings, laid over it: the strip must not paint
    // over them.
    auto* book =
        new wxNotebook(surface, WidgetId(c.id), wxDefaultPosition, wxDefaultSize, wxCLIP_SIBLINGS);
#else
    auto* book = new wxNotebook(surface, WidgetId(c.id));
#endif
    return {book, std::make_unique<TabControl>(core, key, book)};
}

MadeControl MakeProgressBar(WindowCore& core, wxWindow* surface, const ControlTemplate& c,
                            int key) {
    auto* gauge = new wxGauge(surface, WidgetId(c.id), 100, wxDefaultPosition, wxDefaultSize,
                              wxGA_HORIZONTAL | wxGA_SMOOTH);
    return {gauge, std::make_unique<ProgressControl>(core, key, gauge)};
}

} // namespace

MadeControl MakeControl(WindowCore& core, wxWindow* surface, const ControlTemplate& control,
                        int key) {
    switch (control.kind) {
    case ControlKind::Edit:
        return MakeEdit(core, surface, control, key);
    case ControlKind::MultiLineEdit:
        return MakeLog(core, surface, control, key);
    case ControlKind::Static:
        return MakeStatic(core, surface, control, key);
    case ControlKind::GroupBox:
        return MakeGroupBox(core, surface, control, key);
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
        return MakeButton(core, surface, control, key);
    case ControlKind::IconButton:
        return MakeIconButton(core, surface, control, key);
    case ControlKind::CheckBox:
        return MakeCheckBox(core, surface, control, key);
    case ControlKind::ListView:
        return MakeListView(core, surface, control, key);
    case ControlKind::ComboBox:
        return MakeComboBox(core, surface, control, key);
    case ControlKind::ImageComboBox:
        return MakeImageComboBox(core, surface, control, key);
    case ControlKind::ListBox:
        return MakeListBox(core, surface, control, key);
    case ControlKind::TabControl:
        return MakeTabControl(core, surface, control, key);
    case ControlKind::ProgressBar:
        return MakeProgressBar(core, surface, control, key);
    }
    return {};
}

} // namespace wxwin
