#include "platform/core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace platform {

void DisableCoreDumps() {
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    // Not dumpable: no core even where the system pipes cores to a collector, and no ptrace
    // by other processes of the same user.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace platform
