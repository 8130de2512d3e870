#include "platform/system_error.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h names its own LoadStringA/W so; the program's is meant below.
#undef LoadString

#include <cerrno>
#include <initializer_list>
#include <string>

#include "platform/win32/win_text.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace platform {

namespace {

std::wstring MessageOf(DWORD error, DWORD language) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 && text != nullptr ? std::wstring(text, length) : L"";
    if (text != nullptr) {
        ::LocalFree(text);
    }
    return message;
}

// Where a system lacks the text of the first choice (the socket errors' texts are missing in
// some), an error that says nearly the same.
DWORD SecondChoice(int code) {
    switch (code) {
    case ETIMEDOUT:
        return ERROR_TIMEOUT;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case ECANCELED:
        return ERROR_OPERATION_ABORTED;
    default:
        return 0;
    }
}

// The program reports these itself (a wait that ran out, a cancel): never without a sentence.
std::string OwnText(int code) {
    switch (code) {
    case ETIMEDOUT:
        return "The operation timed out.\r\n";
    case ECANCELED:
        return "The operation was canceled.\r\n";
    default:
        return "";
    }
}

} // namespace

std::string SystemErrorText(int code) {
    if (code <= 0) {
        return "";
    }
    if (code == kErrorNotRegularFile) {
        return res::LoadString(res::kTextNotRegularFile);
    }
    std::wstring message;
    for (const DWORD error : {win::Win32FromErrno(code), SecondChoice(code)}) {
        if (error != 0 && message.empty()) {
            // English like the rest of the program's text, where the system has it.
            message = MessageOf(error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
            if (message.empty()) {
                message = MessageOf(error, 0);
            }
        }
    }
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
        message.pop_back();
    }
    if (message.empty()) {
        return OwnText(code);
    }
    return win::Utf8(message) + "\r\n";
}

} // namespace platform
