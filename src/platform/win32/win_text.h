// The Windows boundary: the program keeps UTF-8 text and local paths with '/' ("C:/Users/ann",
// the drive root "C:"); Win32 takes UTF-16 with '\'. Errors become the errno-style codes the
// rest of the program reads from LastFileError() and LastError().
#pragma once

#include <string>

namespace platform::win {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide);

// A local path for a Win32 call: '/' turned to '\', and a bare drive ("C:") made its root
// ("C:\"), since "C:" alone means the drive's current folder.
std::wstring WidePath(const std::string& path);
// A path from Win32 as the program keeps it: '\' turned to '/', no trailing '/' except none
// at all for a drive root ("C:\" gives "C:").
std::string PathFromWide(const std::wstring& path);

// The errno-style code for a Win32 error (GetLastError) or a Winsock error (WSAGetLastError);
// EIO for one without a closer match.
int ErrnoFromWin32(unsigned long error);
// The Win32 or Winsock error to describe an errno-style code with (FormatMessage); 0 for none.
unsigned long Win32FromErrno(int code);

} // namespace platform::win
