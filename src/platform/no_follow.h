// Entries that a download writes, looked at without following a symbolic link that stands
// there: the server chooses the names, and a link planted under one of them must not lead the
// bytes somewhere else.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace platform {

// Status of the entry at `path` itself. Fails (code in LastFileError()) with ENOENT when
// nothing is there and with ELOOP when a symbolic link stands there.
bool GetStatusNoFollow(const std::string& path, FileStatus& status);

// Makes the folder, or keeps the one already there. True only when a real folder, not a link
// to one, stands at `path` afterwards; otherwise fails with ELOOP for a link, ENOTDIR for any
// other entry, or the error that kept the folder from being made.
bool MakeFolderNoFollow(const std::string& path);

// Puts the file at `from` in the place of `to`, in one step: whatever `to` was (a file, or a
// link, which is replaced itself and never followed) is gone only once `from` stands there.
bool ReplaceEntry(const std::string& from, const std::string& to);

} // namespace platform
