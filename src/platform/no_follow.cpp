#include "platform/no_follow.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace platform {

namespace {

bool Fail(int code) {
    SetLastFileError(code);
    return false;
}

} // namespace

bool GetStatusNoFollow(const std::string& path, FileStatus& status) {
    struct stat st {};
    if (path.empty()) {
        return Fail(ENOENT);
    }
    if (::lstat(path.c_str(), &st) != 0) {
        return Fail(errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return Fail(ELOOP);
    }
    status.kind = S_ISDIR(st.st_mode)   ? EntryKind::Folder
                  : S_ISREG(st.st_mode) ? EntryKind::File
                                        : EntryKind::System;
    status.size = static_cast<std::int64_t>(st.st_size);
    status.modified = static_cast<std::int64_t>(st.st_mtime);
    status.readOnly = (st.st_mode & S_IWUSR) == 0;
    return true;
}

bool MakeFolderNoFollow(const std::string& path) {
    // mkdir never follows a link at its last component; whatever stands there afterwards is
    // looked at as it is, so a link to a folder is refused rather than entered.
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        return Fail(errno);
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return Fail(errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return Fail(ELOOP);
    }
    return S_ISDIR(st.st_mode) || Fail(ENOTDIR);
}

bool ReplaceEntry(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 || Fail(errno);
}

} // namespace platform
