// An in-memory window system: every control keeps its state for inspection, message boxes are
// recorded and answered from a queue, and a message queue is pumped on the window's thread.
// Script mode and the tests drive the program through it; this header brings in all of it.
#pragma once

#include "platform/window/headless/headless_control.h"
#include "platform/window/headless/headless_dialog.h"
#include "platform/window/headless/headless_main_window.h"
#include "platform/window/headless/headless_window_base.h"
