// Changes to the local file system: removing, renaming and creating entries, and a folder
// opened for emptying it. Failing calls leave their error code in LastFileError()
// (file_system.h).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Removes a file, a link (never what it points to) or any other entry that is not a folder.
// On this system a file's own permissions do not guard it; its folder's do.
bool RemoveFile(const std::string& path);

// Removes an empty folder; a link to a folder is not one (ENOTDIR).
bool RemoveFolder(const std::string& path);

// Creates a folder; EEXIST when the name is taken by anything, a dangling link included.
bool MakeFolder(const std::string& path);

// Renames or moves an entry. An existing entry of the new name is never replaced (EEXIST),
// as no rename of this program overwrites; the same name for both is nothing to do.
bool RenameEntry(const std::string& from, const std::string& to);

// Gives a file (never a link's target) the modification time `time`, seconds since the epoch.
bool SetModificationTime(const std::string& path, std::int64_t time);

// True when the path's last name is a symbolic link (false when it cannot be read).
bool IsSymbolicLink(const std::string& path);

// Which object of the file system an entry is.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// A folder opened to remove what it holds without ever leaving it: it is opened without
// following a link at its last name and, when its identity is given, only if it is still the
// folder that was listed; its entries are read as they are (a link is never a folder) and
// removed relative to the open folder, so a name swapped for a link meanwhile leads nowhere.
class FolderForRemoval {
public:
    struct Entry {
        std::string name;
        bool folder = false;
        FileId id;
    };

    FolderForRemoval() = default;
    ~FolderForRemoval();
    FolderForRemoval(const FolderForRemoval&) = delete;
    FolderForRemoval& operator=(const FolderForRemoval&) = delete;

    // `expected`, when given, is the identity the folder had when it was listed.
    bool Open(const std::string& path, const FileId* expected = nullptr);
    // The next entry other than "." and ".."; false at the end (a failed read ends it too).
    bool Next(Entry& entry);
    // Removes an entry of this folder that is not a folder.
    bool RemoveEntry(const std::string& name);

private:
    void Close();

    void* m_dir = nullptr; // the system's open folder (a DIR* on POSIX), kept out of this header
};

} // namespace platform
