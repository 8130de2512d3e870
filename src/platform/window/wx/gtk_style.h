// A few style rules that make GTK's controls as compact as the templates expect.
#pragma once

namespace wxwin {

// Applies the rules to every window of the display; does nothing when the toolkit is not GTK.
void ApplyCompactStyle();

} // namespace wxwin
