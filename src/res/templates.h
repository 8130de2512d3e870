// Dialog templates: every control's id, kind, rectangle in dialog units, caption and style.
// Both window backends build their windows from these.
#pragma once

#include <string>
#include <vector>

namespace res {

enum class ControlKind {
    Edit,          // single-line edit
    MultiLineEdit, // the log pane
    Static,
    GroupBox,
    PushButton,
    DefaultButton,
    IconButton,
    CheckBox,
    ListView,
    ComboBox,      // drop-down list
    ImageComboBox, // drop-down list with images and indents
    ListBox,
    TabControl,
    ProgressBar,
};

enum Style : unsigned {
    kNone = 0,
    kBorder = 1u << 0,
    kPassword = 1u << 1,
    kReadOnly = 1u << 2,
    kVScroll = 1u << 3,
    kCentered = 1u << 4,
    kRightAligned = 1u << 5,
    kSunken = 1u << 6,
    kSingleSelection = 1u << 7,
    kShowSelectionAlways = 1u << 8,
    kEditLabels = 1u << 9,
    kDisabled = 1u << 10,
    kAcceptFiles = 1u << 11,
    kAutoHScroll = 1u << 12,
    kHidden = 1u << 13,
    kTypedText = 1u << 14,  // a drop-down box that also takes a typed text
    kDetailView = 1u << 15, // a list view that the program gives columns once it is made
};

constexpr int kNoId = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, width, height; // dialog units
    std::string caption;
    unsigned style = kNone;
    int icon = 0; // icon buttons
};

struct DialogTemplate {
    int id;
    std::string caption;
    int width, height; // dialog units
    std::vector<ControlTemplate> controls;
};

// The template with that id, or nullptr.
const DialogTemplate* FindTemplate(int id);

// What a control of a template does, as its tooltip and its accessible name say it; "" when
// it needs none (it has a caption of its own). A button that changes its icon changes its
// tip with it.
std::string ControlTip(int templateId, int controlId, int icon);

struct MenuItem {
    int command; // 0 = separator
    std::string text;
};

struct Menu {
    int id;
    std::string name;
    std::vector<MenuItem> items;
};

// The pop-up of menu resource `id`, or nullptr.
const Menu* FindMenu(int id);

} // namespace res
