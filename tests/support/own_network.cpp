// Every test program runs in a network of its own where it may (as root): a loopback nobody
// else uses. Tests run side by side, and their servers, probes and data connections all live on
// loopback ports; sharing one loopback, a server's start-up probe could reach another test's
// data connection listening on the port just chosen, be accepted as that test's data, and fail
// it. Linked into each test program and done before main, while the process has one thread:
// every thread and child after it is in the same network.
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

bool LoopbackUp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (up) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_RUNNING);
        up = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return up;
}

// QUORREL_SHARED_NETWORK keeps the host's network (to watch a test with the host's tools).
[[maybe_unused]] const bool g_ownNetwork = [] {
    return ::geteuid() == 0 && std::getenv("QUORREL_SHARED_NETWORK") == nullptr &&
           ::unshare(CLONE_NEWNET) == 0 && LoopbackUp();
}();

} // namespace

namespace {

// Nor does a test meet the desktop's keyring: without the session bus the program keeps the
// passwords in its settings file. The keyring tests bring a bus and a keyring of their own.
[[maybe_unused]] const bool g_ownKeyring = [] {
    if (std::getenv("QUORREL_IN_KEYRING_SESSION") != nullptr) {
        return false;
    }
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
    return true;
}();

} // namespace
