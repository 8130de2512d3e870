#include "platform/profile.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/win32/win_file.h"
#include "platform/win32/win_text.h"

// After windows.h, which it needs.
#include <aclapi.h>

namespace platform {
namespace {

// What identifies the state of a file cheaply: a change to any of these is a change to it.
void NoteIdentity(const win::EntryStatus& status, ProfileSnapshot& snapshot) {
    snapshot.exists = true;
    snapshot.device = status.volume;
    snapshot.inode = status.index;
    snapshot.size = status.size;
    snapshot.modifiedNs = status.modifiedNs;
    snapshot.mode = 0;
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string LastName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The TOKEN_USER of this process, whose SID names the user.
std::vector<unsigned char> TokenUser() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    ::GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !::GetTokenInformation(token, ::TokenUser, user.data(), size, &size)) {
        user.clear();
    }
    ::CloseHandle(token);
    return user;
}

PSID UserSid(const std::vector<unsigned char>& tokenUser) {
    return tokenUser.empty() ? nullptr
                             : reinterpret_cast<const TOKEN_USER*>(tokenUser.data())->User.Sid;
}

// A link the user made, or an administrator (who could read the file anyway); not another
// user's.
bool MadeByUser(HANDLE link) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(link, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::vector<unsigned char> user = TokenUser();
    const bool mine =
        owner != nullptr && ((UserSid(user) != nullptr && ::EqualSid(owner, UserSid(user))) ||
                             ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    ::LocalFree(descriptor);
    return mine;
}

std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return L"";
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);
    }
}

// Where the bytes of `path` are: the path itself, or, for a link the user made, the file it
// leads to. False for a link made by someone else, and for one that leads nowhere yet (the
// file it would make cannot be told beforehand here).
bool ResolveWritePath(const std::string& path, ProfileSnapshot& snapshot) {
    snapshot.writePath = path;
    win::Handle own(win::OpenPath(path, FILE_READ_ATTRIBUTES | READ_CONTROL, win::kShareAll,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
    win::EntryStatus status;
    if (!own.Valid() || !win::QueryStatus(own.Get(), status) || !status.disk || !status.Link()) {
        return true;
    }
    if (!MadeByUser(own.Get())) {
        snapshot.problem = ProfileProblem::OthersLink;
        return false;
    }
    snapshot.throughLink = true;
    win::Handle target(win::OpenPath(path, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING, 0));
    const std::wstring resolved = target.Valid() ? FinalPath(target.Get()) : L"";
    if (resolved.empty()) {
        snapshot.problem = ProfileProblem::NotRegularFile;
        return false;
    }
    snapshot.writePath = win::PathFromWide(resolved);
    return true;
}

// The path as NtSetInformationFile takes it for a rename: "\??\C:\folder\name".
std::wstring NtPath(const std::string& path) {
    const std::wstring wide = win::WidePath(path);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return L"";
    }
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return L"";
    }
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0) {
        return L"\\??\\" + full.substr(4);
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\??\\UNC\\" + full.substr(2);
    }
    return L"\\??\\" + full;
}

// Puts the open file in place of `target` by its handle, so that no other file can take its
// name between the last write and the rename.
bool RenameOpened(HANDLE handle, const std::string& target) {
    const std::wstring name = NtPath(target);
    if (name.empty()) {
        return false;
    }
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(name.begin(), name.end(), rename->FileName);
    return ::SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                        static_cast<DWORD>(buffer.size())) != 0;
}

// A security descriptor that lets only the user at the file, with nothing inherited from the
// folder: the file holds passwords. When it cannot be made the file takes the folder's rights,
// which in the user's profile are the user's (and the system's) alone.
class PrivateRights {
public:
    PrivateRights() : m_user(TokenUser()) {
        const PSID sid = UserSid(m_user);
        if (sid == nullptr) {
            return;
        }
        m_acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sid));
        auto* acl = reinterpret_cast<ACL*>(m_acl.data());
        m_ready =
            ::InitializeAcl(acl, static_cast<DWORD>(m_acl.size()), ACL_REVISION) &&
            ::AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid) &&
            ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE) &&
            ::SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        m_attributes.nLength = sizeof m_attributes;
        m_attributes.lpSecurityDescriptor = &m_descriptor;
        m_attributes.bInheritHandle = FALSE;
    }
    PrivateRights(const PrivateRights&) = delete;
    PrivateRights& operator=(const PrivateRights&) = delete;

    SECURITY_ATTRIBUTES* Get() { return m_ready ? &m_attributes : nullptr; }

private:
    std::vector<unsigned char> m_user;
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_ready = false;
};

bool FailWith(DWORD error) {
    errno = win::ErrnoFromWin32(error);
    return false;
}

} // namespace

ProfileSnapshot ProfileLoad(const std::string& path) {
    ProfileSnapshot snapshot;
    if (!ResolveWritePath(path, snapshot)) {
        return snapshot;
    }
    // Not through a link (a user's own link is resolved already).
    win::EntryStatus status;
    win::Handle file(win::OpenNotLink(snapshot.writePath, GENERIC_READ, win::kShareAll,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, status));
    if (!file.Valid()) {
        if (::GetLastError() == win::kErrorStoppedOnSymlink ||
            win::IsDevicePath(snapshot.writePath)) {
            snapshot.problem = ProfileProblem::NotRegularFile;
        }
        return snapshot; // missing or unreadable: the defaults, as for a first start
    }
    if (!status.disk || status.Folder()) {
        snapshot.problem = ProfileProblem::NotRegularFile;
        return snapshot;
    }
    if (static_cast<std::uint64_t>(status.size) > kMaxProfileBytes) {
        snapshot.problem = ProfileProblem::TooLarge;
        return snapshot;
    }
    NoteIdentity(status, snapshot);
    std::string text(kMaxProfileBytes + 1, '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD count = 0;
        if (!::ReadFile(file.Get(), text.data() + done, static_cast<DWORD>(text.size() - done),
                        &count, nullptr) ||
            count == 0) {
            break;
        }
        done += count;
    }
    text.resize(done);
    if (done > kMaxProfileBytes) { // it grew while we read
        snapshot.problem = ProfileProblem::TooLarge;
    } else {
        snapshot.text = std::move(text);
    }
    return snapshot;
}

bool ProfileUnchanged(const std::string& path, const ProfileSnapshot& snapshot) {
    win::Handle file(win::OpenPath(path, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING, 0));
    win::EntryStatus status;
    if (!file.Valid() || !win::QueryStatus(file.Get(), status)) {
        return !snapshot.exists;
    }
    return snapshot.exists && status.volume == snapshot.device && status.index == snapshot.inode &&
           status.size == snapshot.size && status.modifiedNs == snapshot.modifiedNs;
}

bool ProfileStore(ProfileSnapshot& snapshot, const std::string& text) {
    if (snapshot.problem != ProfileProblem::None) {
        errno = EPERM;
        return false;
    }
    if (text == snapshot.text && snapshot.exists) {
        return true; // nothing changed: nothing is written, nobody waits for the disk
    }
    const std::string& target = snapshot.writePath;
    // A temporary file beside the target, created only if the name is free (a file or a link
    // planted under it is never written to), then renamed over the target, so that a crash
    // never leaves half a settings file.
    PrivateRights rights;
    win::Handle file;
    std::string temp;
    for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
        temp = Folder(target) + "/." + LastName(target) + "." +
               std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(::GetTickCount64() + static_cast<ULONGLONG>(attempt));
        file.Reset(::CreateFileW(win::WidePath(temp).c_str(), GENERIC_WRITE | DELETE, 0,
                                 rights.Get(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) {
            return FailWith(::GetLastError());
        }
    }
    if (!file.Valid()) {
        return FailWith(ERROR_FILE_EXISTS);
    }
    auto fail = [&file]() {
        const DWORD error = ::GetLastError();
        FILE_DISPOSITION_INFO remove{};
        remove.DeleteFile = TRUE;
        ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &remove, sizeof remove);
        file.Reset();
        return FailWith(error);
    };
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD count = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
        if (!::WriteFile(file.Get(), text.data() + done, asked, &count, nullptr)) {
            return fail();
        }
        done += count;
    }
    if (!::FlushFileBuffers(file.Get()) || !RenameOpened(file.Get(), target)) {
        return fail();
    }
    file.Reset();
    win::Handle written(
        win::OpenPath(target, FILE_READ_ATTRIBUTES, win::kShareAll, OPEN_EXISTING, 0));
    win::EntryStatus status;
    if (written.Valid() && win::QueryStatus(written.Get(), status)) {
        NoteIdentity(status, snapshot);
    }
    snapshot.text = text;
    return true;
}

} // namespace platform
