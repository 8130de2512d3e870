// The widget and its control adapter for one control of a dialog template.
#pragma once

#include <wx/window.h>

#include <memory>

#include "platform/window/wx/wx_controls.h"
#include "res/templates.h"

namespace wxwin {

struct MadeControl {
    wxWindow* widget = nullptr; // what the layout places
    std::unique_ptr<ControlNode> node;
    // A window inside the widget that holds the focus for it (a framed label, a list's
    // surface), or null.
    wxWindow* inner = nullptr;
};

// Creates the control on `surface` with the template's caption and styles; `key` is the id the
// core files it under.
MadeControl MakeControl(WindowCore& core, wxWindow* surface, const res::ControlTemplate& control,
                        int key);

} // namespace wxwin
