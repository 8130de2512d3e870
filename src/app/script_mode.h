// Script mode: the program on the headless window, driven by a script of gestures.
#pragma once

#include <iosfwd>
#include <string>

// Runs the script in FILE ("-" for standard input) in the current directory. Log text goes to
// standard output as appended; message boxes, `show` output and script errors go to standard
// error. Returns 0, or 2 after a script error.
int RunScriptMode(const std::string& file, bool answerYes);

// The same with explicit streams and settings path (tests).
int RunScript(std::istream& script, std::ostream& out, std::ostream& err,
              const std::string& settingsPath, bool answerYes);
