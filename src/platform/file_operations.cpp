#include "platform/file_operations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

namespace {

bool Fail(int code) {
    SetLastFileError(code);
    return false;
}

bool Check(int result) {
    return result == 0 || Fail(errno);
}

DIR* AsDir(void* dir) {
    return static_cast<DIR*>(dir);
}

} // namespace

bool RemoveFile(const std::string& path) {
    return Check(::unlink(path.c_str()));
}

bool RemoveFolder(const std::string& path) {
    return Check(::rmdir(path.c_str()));
}

bool MakeFolder(const std::string& path) {
    return Check(::mkdir(path.c_str(), 0777));
}

bool RenameEntry(const std::string& from, const std::string& to) {
    if (from == to) {
        return true;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return Fail(errno);
    }
    // A file system that cannot refuse to replace: look first.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        return Fail(EEXIST);
    }
    return Check(::rename(from.c_str(), to.c_str()));
}

bool IsSymbolicLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

FolderForRemoval::~FolderForRemoval() {
    Close();
}

void FolderForRemoval::Close() {
    if (m_dir != nullptr) {
        ::closedir(AsDir(m_dir));
        m_dir = nullptr;
    }
}

bool FolderForRemoval::Open(const std::string& path, const FileId* expected) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return Fail(errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        return Fail(code);
    }
    if (expected != nullptr && !(*expected == FileId{static_cast<std::uint64_t>(st.st_dev),
                                                     static_cast<std::uint64_t>(st.st_ino)})) {
        ::close(fd);
        return Fail(ENOENT); // the folder that was listed is no longer there
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int code = errno;
        ::close(fd);
        return Fail(code);
    }
    m_dir = dir;
    return true;
}

bool FolderForRemoval::Next(Entry& entry) {
    if (m_dir == nullptr) {
        return false;
    }
    for (;;) {
        const dirent* e = ::readdir(AsDir(m_dir));
        if (e == nullptr) {
            return false;
        }
        const std::string_view name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        entry.name = std::string(name);
        struct stat st {};
        if (::fstatat(::dirfd(AsDir(m_dir)), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.folder = S_ISDIR(st.st_mode);
            entry.id = FileId{static_cast<std::uint64_t>(st.st_dev),
                              static_cast<std::uint64_t>(st.st_ino)};
        } else {
            entry.folder = false; // gone meanwhile: removing it fails and is passed over
            entry.id = FileId{};
        }
        return true;
    }
}

bool FolderForRemoval::RemoveEntry(const std::string& name) {
    if (m_dir == nullptr) {
        return Fail(EBADF);
    }
    return Check(::unlinkat(::dirfd(AsDir(m_dir)), name.c_str(), 0));
}

bool SetModificationTime(const std::string& path, std::int64_t time) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<std::time_t>(time), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        SetLastFileError(errno);
        return false;
    }
    return true;
}

} // namespace platform
