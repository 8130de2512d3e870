// setenv and unsetenv on Windows too, where the C runtime offers _putenv_s instead.
#pragma once

#include <cstdlib>

#ifdef _WIN32
inline int setenv(const char* name, const char* value, int overwrite) {
    if (overwrite == 0 && std::getenv(name) != nullptr) {
        return 0;
    }
    return ::_putenv_s(name, value);
}

// An empty value removes the variable.
inline int unsetenv(const char* name) {
    return ::_putenv_s(name, "");
}
#endif
