// The one exception of the program: something it cannot run without is missing (an image list,
// a menu, an item the panes cannot hold). The window's entry points catch it, show text 106
// and end the program without writing the settings.
#pragma once

namespace ui {

struct CannotRun {
    int resourceId = 0; // what was missing, for the curious reader of a core dump
};

} // namespace ui
