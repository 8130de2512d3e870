// The system's sentence for an error code.
#pragma once

#include <string>

namespace platform {

// The platform's message text for an errno-style code, ending with a line break as the
// system's message texts do; "" when the system has no text for the code.
std::string SystemErrorText(int code);

} // namespace platform
