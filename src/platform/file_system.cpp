#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string_view>

namespace platform {

namespace {

thread_local int t_lastFileError = 0;

bool Fail(int code) {
    t_lastFileError = code;
    return false;
}

EntryKind KindOfMode(mode_t mode) {
    if (S_ISDIR(mode)) {
        return EntryKind::Folder;
    }
    if (S_ISSOCK(mode) || S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode)) {
        return EntryKind::System;
    }
    return EntryKind::File;
}

// True when `path` is `prefix` or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view prefix) {
    return path == prefix ||
           (path.size() > prefix.size() && path.substr(0, prefix.size()) == prefix &&
            path[prefix.size()] == '/');
}

bool ReadSmallFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

// A block device whose kernel entry says it holds removable media, or a volume the desktop
// mounted in its place for removable media.
bool IsRemovableDevice(const std::string& device, const std::string& mountPoint) {
    if (IsAtOrBelow(mountPoint, "/media") || IsAtOrBelow(mountPoint, "/run/media")) {
        return device.rfind("/dev/", 0) == 0;
    }
    if (device.rfind("/dev/", 0) != 0) {
        return false;
    }
    char resolved[PATH_MAX];
    if (::realpath(device.c_str(), resolved) == nullptr) {
        return false;
    }
    std::string name = resolved;
    name = name.substr(name.rfind('/') + 1);
    std::string flag;
    // A partition's own entry has no flag; its disk, one level up, has.
    if (ReadSmallFile("/sys/class/block/" + name + "/removable", flag) ||
        ReadSmallFile("/sys/class/block/" + name + "/../removable", flag)) {
        return !flag.empty() && flag[0] == '1';
    }
    return false;
}

} // namespace

int LastFileError() {
    return t_lastFileError;
}

void SetLastFileError(int code) {
    t_lastFileError = code;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) : std::string("/");
}

bool SetCurrentFolder(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return Fail(ENOENT);
    }
    if (::chdir(path.c_str()) != 0) {
        return Fail(errno);
    }
    return true;
}

namespace {

// Calls each(folder descriptor, entry) for every entry other than "." and ".."; false when the
// folder cannot be opened or read to its end.
template <typename Each> bool ForEachEntry(const std::string& path, Each each) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return Fail(errno);
    }
    const int fd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            const int code = errno;
            ::closedir(dir);
            return code == 0 || Fail(code);
        }
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") {
            each(fd, *e);
        }
    }
}

} // namespace

bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    const bool read = ForEachEntry(path, [&entries](int fd, const dirent& e) {
        FolderEntry entry;
        entry.name = e.d_name;
        struct stat st {};
        if (::fstatat(fd, e.d_name, &st, 0) == 0) {
            entry.modifiedRead = true;
            entry.modified = static_cast<std::int64_t>(st.st_mtime);
            entry.size = static_cast<std::int64_t>(st.st_size);
            entry.kind = KindOfMode(st.st_mode);
        } else if (::fstatat(fd, e.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.kind = KindOfMode(st.st_mode);
        }
        entry.link = e.d_type == DT_LNK;
        if (e.d_type == DT_UNKNOWN) {
            struct stat own {};
            entry.link =
                ::fstatat(fd, e.d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode);
        }
        entries.push_back(std::move(entry));
    });
    if (!read) {
        entries.clear();
    }
    return read;
}

bool ReadFolderNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    const bool read =
        ForEachEntry(path, [&names](int, const dirent& e) { names.emplace_back(e.d_name); });
    if (!read) {
        names.clear();
    }
    return read;
}

bool GetFileStatus(const std::string& path, FileStatus& status) {
    struct stat st {};
    if (path.empty()) {
        return Fail(ENOENT);
    }
    if (::stat(path.c_str(), &st) != 0) {
        return Fail(errno);
    }
    status.kind = KindOfMode(st.st_mode);
    status.size = static_cast<std::int64_t>(st.st_size);
    status.modified = static_cast<std::int64_t>(st.st_mtime);
    status.readOnly = (st.st_mode & S_IWUSR) == 0;
    return true;
}

std::vector<DriveRoot> ListDriveRoots(bool onlyFolders) {
    std::string table;
    if (!ReadSmallFile("/proc/self/mounts", table)) {
        return {DriveRoot{"/", DriveType::Fixed}};
    }
    if (!onlyFolders) {
        return DriveRootsFromMountTable(table, nullptr);
    }
    std::vector<DriveRoot> all = DriveRootsFromMountTable(table, IsRemovableDevice);
    std::vector<DriveRoot> roots;
    for (DriveRoot& root : all) {
        // Containers bind single files (/etc/hosts) over the tree; only folders are drives.
        struct stat st {};
        if (root.path == "/" || (::stat(root.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
            roots.push_back(std::move(root));
        }
    }
    return roots;
}

} // namespace platform
