// What a process needs at its start that the systems give differently: its arguments as UTF-8,
// and a console for the output of a run without the window.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments in UTF-8. POSIX hands them over as they are; Windows' argv is in the
// ANSI code page, so its wide command line is read instead.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Output that goes nowhere is sent to the console of whoever started the program. A Windows
// window program has no console of its own; where its output was redirected, that stays. Does
// nothing on POSIX.
void UseCallerConsole();

// A server that drops a connection, and a file-size limit reached while a download writes, are
// errors the engine and the transfers report (EPIPE, EFBIG), never signals that end the
// program. Windows sends no such signals.
void IgnoreWriteSignals();

} // namespace platform
