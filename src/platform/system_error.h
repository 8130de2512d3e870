// The system's sentence for an error code.
#pragma once

#include <string>

namespace platform {

// A local path that a transfer would read or write is no regular file (a FIFO, a device, a
// socket): a code of the program's own, beyond the system's.
constexpr int kErrorNotRegularFile = 100000;

// The platform's message text for an errno-style code, ending with a line break as the
// system's message texts do; "" when the system has no text for the code.
std::string SystemErrorText(int code);

} // namespace platform
