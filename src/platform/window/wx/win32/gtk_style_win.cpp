// Windows' controls already have the sizes the templates were drawn for: no style rules. The
// accessible name is kept as the window's name, which the tests and the program read back.
#include <wx/window.h>

#include "platform/window/wx/gtk_style.h"

namespace wxwin {

void SetAccessibleName(wxWindow* widget, const std::string& name) {
    if (widget != nullptr) {
        widget->SetName(wxString::FromUTF8(name));
    }
}

std::string AccessibleName(wxWindow* widget) {
    return widget != nullptr ? std::string(widget->GetName().utf8_str()) : std::string();
}

void ApplyCompactStyle() {}

} // namespace wxwin
