// Handing a path to the desktop's program for it, and starting a program beside this one.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts `arguments[0]` (looked up in PATH) with the rest of `arguments`, each handed over
// exactly as it is: no shell reads them, so no name can run a command. The program runs in a
// session of its own with the default signal handling and is not waited for; its end is
// collected in the background so that no finished child lingers. False when it could not be
// started (the error code in LastFileError()).
bool StartProgram(const std::vector<std::string>& arguments);

// Opens an absolute path with the desktop's program for it (xdg-open): a file with the
// program for its type, a folder in the file browser.
bool OpenWithDesktop(const std::string& path);

} // namespace platform
