// The program's memory holds passwords: a crash must not write it to a core file (which would
// land in the local folder the program works in), nor may another process of the user read it.
#pragma once

namespace platform {

// No core file for this process, and no debugger attaching to it unasked.
void DisableCoreDumps();

} // namespace platform
