// A few style rules that make GTK's controls as compact as the templates expect.
#pragma once

#include <string>

class wxWindow;

namespace wxwin {

// The name a screen reader reads for the widget (an icon button has no label to read); does
// nothing, and reads "", where the toolkit has no accessibility layer.
void SetAccessibleName(wxWindow* widget, const std::string& name);
std::string AccessibleName(wxWindow* widget);

// Applies the rules to every window of the display; does nothing when the toolkit is not GTK.
void ApplyCompactStyle();

} // namespace wxwin
