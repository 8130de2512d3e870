// The local file system as the program sees it: folders, entries, file status, the current
// directory and the drives. On POSIX a "drive" is "/" or a mounted volume's mount point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Sockets, FIFOs and device files are System entries: the panes never list them and the
// transfers never send them.
enum class EntryKind { File, Folder, System };

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    bool link = false; // the entry itself is a symbolic link (its kind is its target's)
    // Last write of what the entry names (a link's target), when that could be read.
    bool modifiedRead = false;
    std::int64_t modified = 0;
    std::int64_t size = -1; // of what the entry names, when that could be read
};

struct FileStatus {
    EntryKind kind = EntryKind::File;
    std::int64_t size = 0;
    std::int64_t modified = 0; // last write, seconds since the epoch
    bool readOnly = false;     // no write permission for the owner
};

struct LocalDateTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
    int hour = 0; // 0..23
    int minute = 0;
    int second = 0;
};

enum class DriveType { Fixed, Network, Optical, Removable, RamDisk };

struct DriveRoot {
    std::string path; // "/" or a mount point, never with a trailing "/" (except "/")
    DriveType type = DriveType::Fixed;
};

// The error code (errno) of the last call of this file that failed on the calling thread.
// Each failing call records its code here, so that a message box or other work between the
// failure and the question cannot change the answer.
int LastFileError();
void SetLastFileError(int code);

// Makes `path` the process's current directory. Only absolute paths are taken: the program's
// folders never depend on whatever directory happens to be current.
bool SetCurrentFolder(const std::string& path);
// The user's home folder (HOME), or "/" when it is not set to an absolute path.
std::string HomeFolder();

// The entries of a folder other than "." and "..", in the system's order. A link counts as
// what it points to; a dangling link counts as a file.
bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries);

// The names alone, without looking at any entry: a dangling link or a FIFO is a name like any
// other. One read of the folder, however many entries it holds.
bool ReadFolderNames(const std::string& path, std::vector<std::string>& names);

// Status of a path (relative paths resolve against the current directory); links followed.
bool GetFileStatus(const std::string& path, FileStatus& status);

// Calendar time in the local time zone.
bool ToLocalDateTime(std::int64_t time, LocalDateTime& out);

// The roots a user recognises: "/" first, then the mounted volumes from the mount table.
// `onlyFolders` checks that each mount point is a folder (containers mount single files over
// the tree); that touches every volume, which can wait on a network server that stopped
// answering, so path questions that need only the names pass false.
std::vector<DriveRoot> ListDriveRoots(bool onlyFolders = true);

// The same from the text of a mount table (/proc/self/mounts format). `isRemovable` tells
// whether a mounted device is a removable medium.
std::vector<DriveRoot> DriveRootsFromMountTable(
    const std::string& table,
    const std::function<bool(const std::string& device, const std::string& mountPoint)>&
        isRemovable);

} // namespace platform
