#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace platform {
namespace {

// What identifies the state of a file cheaply: a change to any of these is a change to it.
void NoteIdentity(const struct stat& st, ProfileSnapshot& snapshot) {
    snapshot.exists = true;
    snapshot.device = static_cast<std::uint64_t>(st.st_dev);
    snapshot.inode = static_cast<std::uint64_t>(st.st_ino);
    snapshot.size = static_cast<std::int64_t>(st.st_size);
    snapshot.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                          static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    snapshot.mode = static_cast<unsigned>(st.st_mode & 07777);
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where the bytes of `path` are: the path itself, or, for a link the user made, the file it
// leads to. False for a link made by someone else.
bool ResolveWritePath(const std::string& path, ProfileSnapshot& snapshot) {
    struct stat st {};
    snapshot.writePath = path;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return true;
    }
    if (st.st_uid != ::geteuid()) {
        snapshot.problem = ProfileProblem::OthersLink;
        return false;
    }
    snapshot.throughLink = true;
    if (char* target = ::realpath(path.c_str(), nullptr)) {
        snapshot.writePath = target;
        std::free(target);
        return true;
    }
    // A link to a file not made yet: its target, taken from the link's own folder.
    std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) {
        snapshot.problem = ProfileProblem::NotRegularFile;
        return false;
    }
    target.resize(static_cast<std::size_t>(length));
    snapshot.writePath = target[0] == '/' ? target : Folder(path) + "/" + target;
    return true;
}

} // namespace

ProfileSnapshot ProfileLoad(const std::string& path) {
    ProfileSnapshot snapshot;
    if (!ResolveWritePath(path, snapshot)) {
        return snapshot;
    }
    // Without blocking and without following a link (a user's own link is resolved already):
    // a FIFO or a device as the settings file must not hold the start.
    const int fd =
        ::open(snapshot.writePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ELOOP) {
            snapshot.problem = ProfileProblem::NotRegularFile;
        }
        return snapshot; // missing or unreadable: the defaults, as for a first start
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        snapshot.problem = ProfileProblem::NotRegularFile;
    } else if (static_cast<std::uint64_t>(st.st_size) > kMaxProfileBytes) {
        snapshot.problem = ProfileProblem::TooLarge;
    } else {
        NoteIdentity(st, snapshot);
        std::string text(kMaxProfileBytes + 1, '\0');
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
        if (done > kMaxProfileBytes) { // it grew while we read
            snapshot.problem = ProfileProblem::TooLarge;
        } else {
            snapshot.text = std::move(text);
        }
    }
    ::close(fd);
    return snapshot;
}

bool ProfileUnchanged(const std::string& path, const ProfileSnapshot& snapshot) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return !snapshot.exists;
    }
    ProfileSnapshot now;
    NoteIdentity(st, now);
    return snapshot.exists && now.device == snapshot.device && now.inode == snapshot.inode &&
           now.size == snapshot.size && now.modifiedNs == snapshot.modifiedNs;
}

bool ProfileStore(ProfileSnapshot& snapshot, const std::string& text) {
    if (snapshot.problem != ProfileProblem::None) {
        errno = EPERM;
        return false;
    }
    const std::string& target = snapshot.writePath;
    // The file holds passwords: 0600, unless it is the target of the user's own link, whose
    // mode is the user's business.
    const unsigned mode = snapshot.throughLink && snapshot.exists ? snapshot.mode : 0600;
    if (text == snapshot.text && snapshot.exists) {
        // Nothing changed: nothing is written and nobody waits for a flush to the disk. A file
        // of ours made by an older version gets its private mode, never through a link.
        const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        struct stat st {};
        if (fd >= 0 && !snapshot.throughLink && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid()) {
            ::fchmod(fd, 0600);
        }
        if (fd >= 0) {
            ::close(fd);
        }
        return true;
    }
    // A temporary file beside the target that only this process made: a name nobody can
    // guess, created exclusively (a file or a link planted under it is never written to), then
    // renamed over the target, so that a crash never leaves half a settings file. A failure
    // keeps its errno for the caller's message.
    std::string temp = Folder(target) + "/." + LastName(target) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    auto fail = [&temp, fd]() {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        errno = error;
        return false;
    };
    if (::fchmod(fd, mode) != 0) {
        return fail();
    }
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail();
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        return fail();
    }
    // The name must still be our file: in a folder others may write to, it could have been
    // swapped for theirs, which the rename would then put in place of the settings.
    struct stat mine {};
    struct stat named {};
    if (::fstat(fd, &mine) != 0 || ::lstat(temp.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
        named.st_uid != ::geteuid() || named.st_ino != mine.st_ino || named.st_dev != mine.st_dev) {
        errno = EPERM;
        return fail();
    }
    if (::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    NoteIdentity(mine, snapshot);
    struct stat now {};
    if (::stat(target.c_str(), &now) == 0) {
        NoteIdentity(now, snapshot);
    }
    snapshot.text = text;
    return true;
}

} // namespace platform
