#include "platform/transfer_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/system_error.h"

namespace platform {

TransferFile::~TransferFile() {
    Close();
}

bool TransferFile::Fail() {
    m_lastError = errno;
    if (m_handle >= 0) {
        ::close(m_handle);
        m_handle = -1;
    }
    return false;
}

bool TransferFile::OpenRegular(const std::string& path, int flags) {
    // Without blocking: opening a FIFO waits for its other end, for ever if none comes.
    m_handle = ::open(path.c_str(), flags | O_NONBLOCK, 0644);
    if (m_handle < 0) {
        return Fail();
    }
    struct stat status {};
    if (::fstat(m_handle, &status) != 0) {
        return Fail();
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(m_handle);
        m_handle = -1;
        m_lastError = kErrorNotRegularFile;
        return false;
    }
    ::fcntl(m_handle, F_SETFL, ::fcntl(m_handle, F_GETFL) & ~O_NONBLOCK);
    return true;
}

bool TransferFile::CutTo(std::int64_t length) {
    if (::ftruncate(m_handle, static_cast<off_t>(length)) != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

bool TransferFile::Lock(bool exclusive) {
    // Advisory on POSIX: it keeps out the programs that lock, which is as far as we can go. A
    // file system without locks (ENOLCK, EINVAL...) is no reason to refuse the transfer; only
    // another holder is.
    if (::flock(m_handle, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return Fail();
    }
    return true;
}

bool TransferFile::OpenForWriting(const std::string& path, std::int64_t offset) {
    Close();
    // A symbolic link standing at the path is refused (ELOOP), never written through: the
    // name comes from the server, the link may come from anyone.
    const int flags = O_WRONLY | O_CLOEXEC | O_NOFOLLOW | (offset == 0 ? O_CREAT : 0);
    if (!OpenRegular(path, flags)) {
        return false;
    }
    if (!Lock(true)) {
        return false;
    }
    // Truncate only once the lock is held, so a file another program holds is left intact; and
    // only a file that has bytes: a truncation marks the file for replacement, and ext4 then
    // writes the whole new content out when it is closed (hundreds of ms for a large download).
    if (offset == 0 && Length() != 0 && ::ftruncate(m_handle, 0) != 0) {
        return Fail();
    }
    if (::lseek(m_handle, static_cast<off_t>(offset), SEEK_SET) < 0) {
        return Fail();
    }
    return true;
}

bool TransferFile::OpenForReading(const std::string& path) {
    Close();
    if (!OpenRegular(path, O_RDONLY | O_CLOEXEC)) {
        return false;
    }
    // Shared: readers may share, but no locking writer changes the file under us.
    return Lock(false);
}

long TransferFile::Read(void* buffer, std::size_t length) {
    ssize_t count;
    do {
        count = ::read(m_handle, buffer, length);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        m_lastError = errno;
        return -1;
    }
    return static_cast<long>(count);
}

bool TransferFile::Write(const void* data, std::size_t length) {
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t count = ::write(m_handle, next, length);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_lastError = errno;
            return false;
        }
        next += count;
        length -= static_cast<std::size_t>(count);
    }
    return true;
}

std::int64_t TransferFile::Length() {
    struct stat status {};
    if (::fstat(m_handle, &status) != 0) {
        m_lastError = errno;
        return -1;
    }
    return static_cast<std::int64_t>(status.st_size);
}

void TransferFile::Close() {
    if (m_handle >= 0) {
        ::close(m_handle);
        m_handle = -1;
    }
}

} // namespace platform
