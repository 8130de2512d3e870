// Deleting a local folder with everything below it.
#pragma once

#include <cstddef>
#include <string>

namespace local {

// The most folders a walk of one tree keeps waiting (local or remote, any job); one more ends
// that tree with text 120.
constexpr std::size_t kMaxPendingFolders = 1000;

enum class TreeDeletion { Removed, NotRemoved, TooManyFolders };

// Deletes `folder` (a full path) and everything below it, breadth first: files go while each
// folder is read, the folders at the end, deepest first. Symbolic links are removed as links and
// never followed, the top folder's own included, so nothing outside the tree is touched. A file
// that cannot be deleted is passed over (its folder then stays). A failure leaves what was
// removed until then removed; the error code is in platform::LastFileError().
TreeDeletion DeleteFolderTree(const std::string& folder);

} // namespace local
