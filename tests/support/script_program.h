// The program itself in script mode, started in a folder of the test's: the settings file, the
// script and what the program writes all live there.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/temp_dir.h"

namespace testsupport {

// Runs `script` with --answer yes in `dir`, its files limited to `maxFileSize` bytes (as a full
// disk would limit them). Returns the wait status; the log and the boxes land in dir/out and
// dir/err.
inline int RunScriptProgram(const TempDir& dir, const std::string& script,
                            rlim_t maxFileSize = RLIM_INFINITY) {
    dir.Write("script", script);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only system calls between fork and exec: the test process has threads.
        const int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const rlimit limit{maxFileSize, maxFileSize};
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(dir.Path().c_str()) != 0 || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(127);
        }
        ::execl(QUORREL_BINARY, QUORREL_BINARY, "--script", "script", "--answer", "yes",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return status;
}

} // namespace testsupport
