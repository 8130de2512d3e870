// Starting the toolkit and running the main window.
#pragma once

#include <functional>
#include <memory>

#include "platform/window/window.h"

namespace wxwin {

class WxMainWindow;

// Starts the toolkit, builds the main window, calls `onCreated` on the GUI thread (the program
// creates its logic, sets it as the handler and initialises it there), centres the window
// unless it was moved meanwhile, shows it and runs the event loop until Destroy(). Returns 0,
// or 1 when the toolkit cannot start (no display).
int RunMainWindow(int& argc, char** argv, const std::function<void(win::IMainWindow&)>& onCreated);

// For tests: start and stop the toolkit without running its loop.
bool StartToolkit(int& argc, char** argv);
void StopToolkit();
// The main window, built but neither shown nor run (GUI thread, toolkit started).
std::unique_ptr<WxMainWindow> CreateMainWindowForTest();
// Handles pending events until `done` holds; false if it did not within a generous limit
// (a guard against a hung test, not a speed check).
bool PumpUntil(const std::function<bool()>& done);
// Handles whatever events are pending now.
void PumpPending();

} // namespace wxwin
