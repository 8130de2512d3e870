#include <cstdio>
#include <cstring>
#include <string>

#include "app/client_app.h"
#include "app/script_mode.h"
#include "platform/core_dumps.h"

namespace {

constexpr const char* kUsage = "usage: ftpquorrel [--script FILE [--answer yes|no]]\n"
                               "       ftpquorrel --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "FTP Quorrel, a desktop FTP client. Without options it opens its window.\n"
    "Settings and hosts live in DEVurorure.ini in the directory it is started from.\n"
    "\n"
    "  --script FILE    run without a display, performing the gestures in FILE\n"
    "                   ('-' reads standard input); the log goes to standard output\n"
    "  --answer yes|no  with --script: the answer to message boxes the script does\n"
    "                   not answer itself (default no)\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Exit status: 0 when the window or the script ends, 1 when the window cannot\n"
    "open, 2 after a usage or script error. See ftpquorrel(1).\n";

} // namespace

int main(int argc, char** argv) {
    platform::DisableCoreDumps();
    // Every word is checked before anything starts: a mistyped option must not open the
    // window, nor run a script that writes the settings file.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0 || std::strcmp(argv[i], "--answer") == 0) {
            ++i; // its value
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("ftpquorrel (FTP Quorrel) %s\n", QUORREL_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "ftpquorrel: %s '%s'\n%s",
                         argv[i][0] == '-' ? "unknown option" : "unexpected argument", argv[i],
                         kUsage);
            return 2;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0) {
            if (i + 1 >= argc) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            std::string file = argv[i + 1];
            bool yes = false;
            for (int j = 1; j < argc; ++j) {
                if (std::strcmp(argv[j], "--answer") == 0 && j + 1 < argc) {
                    yes = std::strcmp(argv[j + 1], "yes") == 0;
                }
            }
            return RunScriptMode(file, yes);
        }
    }
    CClientApp app;
    return app.InitInstance(argc, argv);
}
