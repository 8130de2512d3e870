// The mount table's text as the drives a user recognises: portable, so that it is one parser
// wherever it is tested.
#include "platform/file_system.h"

#include <sstream>
#include <string_view>

namespace platform {

namespace {

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

} // namespace

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

} // namespace platform
