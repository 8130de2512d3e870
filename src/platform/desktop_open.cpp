#include "platform/desktop_open.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/file_system.h"

extern char** environ;

namespace platform {

namespace {

// Spawn attributes for a program that must not inherit what this one changed: ignored or
// caught signals (SIGPIPE is ignored here) and the blocked ones of the calling thread.
class SpawnAttributes {
public:
    SpawnAttributes() {
        m_ok = ::posix_spawnattr_init(&m_attr) == 0;
        if (!m_ok) {
            return;
        }
        sigset_t all;
        sigset_t none;
        ::sigfillset(&all);
        ::sigemptyset(&none);
        m_ok = ::posix_spawnattr_setsigdefault(&m_attr, &all) == 0 &&
               ::posix_spawnattr_setsigmask(&m_attr, &none) == 0 &&
               ::posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                                       POSIX_SPAWN_SETSID) == 0;
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attr); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    const posix_spawnattr_t* Get() const { return m_ok ? &m_attr : nullptr; }

private:
    posix_spawnattr_t m_attr{};
    bool m_ok = false;
};

} // namespace

bool StartProgram(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0].empty()) {
        SetLastFileError(ENOENT);
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    SpawnAttributes attributes;
    pid_t pid = 0;
    const int code = ::posix_spawnp(&pid, argv[0], nullptr, attributes.Get(), argv.data(), environ);
    if (code != 0) {
        SetLastFileError(code);
        return false;
    }
    // Waits for this child alone, so no other wait of the program is disturbed. Without a
    // thread to spare the child is collected when this program ends.
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
    }
    return true;
}

bool OpenWithDesktop(const std::string& path) {
    return StartProgram({"xdg-open", path});
}

} // namespace platform
