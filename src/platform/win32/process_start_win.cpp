#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "platform/process_start.h"
#include "platform/win32/win_text.h"

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(win::Utf8(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

void UseCallerConsole() {
    // Handles the caller gave (a pipe, a file) are kept; only missing ones go to its console.
    const bool haveOut = ::GetStdHandle(STD_OUTPUT_HANDLE) != nullptr &&
                         ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN;
    const bool haveErr = ::GetStdHandle(STD_ERROR_HANDLE) != nullptr &&
                         ::GetFileType(::GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_UNKNOWN;
    if ((haveOut && haveErr) || !::AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!haveOut) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!haveErr) {
        std::freopen("CONOUT$", "w", stderr);
    }
}

void IgnoreWriteSignals() {}

} // namespace platform
