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

// Mount tables write a space, tab, newline and backslash in a path as \040, \011, \012, \134.
std::string DecodeMountPath(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1];
            const char b = field[i + 2];
            const char c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// True when `path` is `prefix` or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view prefix) {
    return path == prefix ||
           (path.size() > prefix.size() && path.substr(0, prefix.size()) == prefix &&
            path[prefix.size()] == '/');
}

// Mount points of the system itself, which a user never browses as a drive.
bool IsSystemMountPoint(const std::string& path) {
    if (IsAtOrBelow(path, "/run/media") && path != "/run/media") {
        return false;
    }
    for (std::string_view prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/snap"}) {
        if (IsAtOrBelow(path, prefix)) {
            return true;
        }
    }
    // /boot and /boot/efi, and the like (/boot2 for a second system).
    return path.rfind("/boot", 0) == 0;
}

bool IsPseudoFileSystem(const std::string& type) {
    static const char* const kPseudo[] = {
        "proc",     "sysfs",      "cgroup",    "cgroup2",         "devpts",      "devtmpfs",
        "mqueue",   "debugfs",    "tracefs",   "securityfs",      "pstore",      "bpf",
        "autofs",   "fusectl",    "configfs",  "hugetlbfs",       "binfmt_misc", "nsfs",
        "efivarfs", "rpc_pipefs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",
        "rootfs"};
    for (const char* name : kPseudo) {
        if (type == name) {
            return true;
        }
    }
    return false;
}

DriveType TypeOfMount(const std::string& type, bool removable) {
    static const char* const kNetwork[] = {"nfs",   "nfs4",  "cifs",        "smb3",
                                           "smbfs", "sshfs", "fuse.sshfs",  "afs",
                                           "ncpfs", "davfs", "fuse.rclone", "9p"};
    for (const char* name : kNetwork) {
        if (type == name) {
            return DriveType::Network;
        }
    }
    if (type == "iso9660" || type == "udf") {
        return DriveType::Optical;
    }
    if (type == "tmpfs" || type == "ramfs") {
        return DriveType::RamDisk;
    }
    return removable ? DriveType::Removable : DriveType::Fixed;
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

bool ToLocalDateTime(std::int64_t time, LocalDateTime& out) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr) {
        return false;
    }
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return true;
}

std::vector<DriveRoot> DriveRootsFromMountTable(
    const std::string& table,
    const std::function<bool(const std::string&, const std::string&)>& isRemovable) {
    std::vector<DriveRoot> roots;
    roots.push_back(DriveRoot{"/", DriveType::Fixed});
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string mountField;
        std::string type;
        if (!(fields >> device >> mountField >> type)) {
            continue;
        }
        std::string mountPoint = DecodeMountPath(mountField);
        while (mountPoint.size() > 1 && mountPoint.back() == '/') {
            mountPoint.pop_back();
        }
        if (mountPoint.empty() || mountPoint[0] != '/') {
            continue;
        }
        if (mountPoint == "/") {
            roots[0].type = TypeOfMount(type, false);
            continue;
        }
        // Overlays are container and live-system roots; any other overlay is plumbing.
        if (IsSystemMountPoint(mountPoint) || IsPseudoFileSystem(type) || type == "overlay") {
            continue;
        }
        const DriveType driveType =
            TypeOfMount(type, isRemovable && isRemovable(device, mountPoint));
        bool known = false;
        for (DriveRoot& root : roots) {
            if (root.path == mountPoint) {
                root.type = driveType; // a later mount hides the earlier one
                known = true;
            }
        }
        if (!known) {
            roots.push_back(DriveRoot{mountPoint, driveType});
        }
    }
    return roots;
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
