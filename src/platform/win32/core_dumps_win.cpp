#include "platform/core_dumps.h"

#include "platform/win32/win_file.h"

namespace platform {

void DisableCoreDumps() {
    // No error box that waits with the process's memory intact, and no "insert a disk" box.
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // Windows Error Reporting would otherwise write a dump of a crash; its library is loaded
    // only for this, and a system without it has nothing to report with.
    HMODULE reporting = ::LoadLibraryExW(L"wer.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (reporting == nullptr) {
        return;
    }
    using Exclude = HRESULT(WINAPI*)(PCWSTR, BOOL);
    // Through a function type of no arguments, which any function pointer converts to cleanly.
    auto exclude = reinterpret_cast<Exclude>(
        reinterpret_cast<void (*)()>(::GetProcAddress(reporting, "WerAddExcludedApplication")));
    wchar_t program[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH + 1);
    if (exclude != nullptr && length > 0 && length <= MAX_PATH) {
        exclude(program, FALSE);
    }
    ::FreeLibrary(reporting);
}

} // namespace platform
