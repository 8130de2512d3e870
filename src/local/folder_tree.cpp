#include "local/folder_tree.h"

#include <cerrno>
#include <optional>
#include <vector>

#include "local/local_path.h"
#include "platform/file_operations.h"
#include "platform/file_system.h"

namespace local {

namespace {

struct PendingFolder {
    std::string path;
    platform::FileId id; // what was listed, so that a folder swapped meanwhile is not read
};

} // namespace

TreeDeletion DeleteFolderTree(const std::string& folder) {
    if (platform::IsSymbolicLink(folder)) {
        return platform::RemoveFile(folder) ? TreeDeletion::Removed : TreeDeletion::NotRemoved;
    }
    std::vector<PendingFolder> pending;
    std::string reading = folder;
    std::optional<platform::FileId> expected; // none for the top folder
    std::size_t next = 0;
    for (;;) {
        platform::FolderForRemoval open;
        if (!open.Open(reading, expected ? &*expected : nullptr)) {
            return TreeDeletion::NotRemoved;
        }
        platform::FolderForRemoval::Entry entry;
        while (open.Next(entry)) {
            if (!entry.folder) {
                open.RemoveEntry(entry.name);
                continue;
            }
            if (pending.size() == kMaxPendingFolders) {
                // The folder cannot go, being still full; say so when asked why.
                platform::SetLastFileError(ENOTEMPTY);
                return TreeDeletion::TooManyFolders;
            }
            pending.push_back(PendingFolder{JoinFolder(reading, entry.name), entry.id});
        }
        if (next == pending.size()) {
            break;
        }
        reading = pending[next].path;
        expected = pending[next].id;
        ++next;
    }
    for (std::size_t i = pending.size(); i-- > 0;) {
        platform::RemoveFolder(pending[i].path);
    }
    return platform::RemoveFolder(folder) ? TreeDeletion::Removed : TreeDeletion::NotRemoved;
}

} // namespace local
