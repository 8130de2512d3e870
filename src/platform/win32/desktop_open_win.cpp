#include "platform/desktop_open.h"

#include <cerrno>

#include "platform/file_system.h"
#include "platform/win32/win_file.h"
#include "platform/win32/win_text.h"

// After windows.h, which it needs.
#include <shellapi.h>

namespace platform {

namespace {

using win::Fail;

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           ::CompareStringOrdinal(text.c_str() + text.size() - end.size(),
                                  static_cast<int>(end.size()), end.c_str(),
                                  static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The file, or the file with ".exe" added when its name has no extension.
std::wstring ExistingProgram(const std::wstring& path) {
    if (IsFile(path)) {
        return path;
    }
    const std::size_t name = path.find_last_of(L"\\/:");
    const bool hasExtension =
        path.find(L'.', name == std::wstring::npos ? 0 : name + 1) != std::wstring::npos;
    return !hasExtension && IsFile(path + L".exe") ? path + L".exe" : L"";
}

// The program a name stands for. A bare name is looked up in PATH alone, never in the current
// folder (which is wherever the user browsed, downloads included) as CreateProcess would.
std::wstring FindProgram(const std::string& name) {
    const std::wstring wide = win::WidePath(name);
    if (wide.find_first_of(L"\\:") != std::wstring::npos) {
        return ExistingProgram(wide);
    }
    const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    const DWORD length = size == 0 ? 0 : ::GetEnvironmentVariableW(L"PATH", path.data(), size);
    path.resize(length < size ? length : 0);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        std::wstring folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
            folder = folder.substr(1, folder.size() - 2);
        }
        const bool absolute = (folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\') ||
                              folder.rfind(L"\\\\", 0) == 0;
        if (!absolute) {
            continue;
        }
        if (folder.back() != L'\\') {
            folder += L'\\';
        }
        const std::wstring found = ExistingProgram(folder + wide);
        if (!found.empty()) {
            return found;
        }
    }
    return L"";
}

// One argument as the C runtime splits a command line: quoted when it must be, with the
// backslashes before a quote (or before the closing quote) doubled, so that it stays one.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
    if (!line.empty()) {
        line += L' ';
    }
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

} // namespace

bool StartProgram(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0].empty()) {
        return Fail(ENOENT);
    }
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            return Fail(EINVAL);
        }
    }
    const std::wstring program = FindProgram(arguments[0]);
    if (program.empty()) {
        return Fail(ENOENT);
    }
    // A batch file runs through cmd.exe, which reads the line by rules no quoting makes safe.
    if (EndsWithIgnoringCase(program, L".bat") || EndsWithIgnoringCase(program, L".cmd")) {
        return Fail(ENOEXEC);
    }
    // The program's own name: the runtime reads it up to the closing quote, without escapes,
    // and no Windows name holds a quote.
    std::wstring line = L"\"" + program + L"\"";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        AppendArgument(line, win::Wide(arguments[i]));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // On its own, as a new session is on POSIX: no console of ours, no Ctrl+C of ours.
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                          &process)) {
        return Fail(win::ErrnoFromWin32(::GetLastError()));
    }
    // Not waited for; the system keeps nothing of it once these are closed and it ends.
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

bool OpenWithDesktop(const std::string& path) {
    const std::wstring file = win::WidePath(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        return Fail(win::ErrnoFromWin32(::GetLastError()));
    }
    return true;
}

} // namespace platform
