#include "platform/system_error.h"

#include <cstring>
#include <string>

#include "res/string_ids.h"
#include "res/string_table.h"

namespace platform {

std::string SystemErrorText(int code) {
    if (code <= 0) {
        return "";
    }
    if (code == kErrorNotRegularFile) {
        return res::LoadString(res::kTextNotRegularFile);
    }
    char buffer[256];
    // The GNU strerror_r returns a pointer that may or may not be the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    std::string s = text ? text : "";
    if (s.empty() || s.rfind("Unknown error", 0) == 0) {
        return "";
    }
    return s + "\r\n";
}

} // namespace platform
