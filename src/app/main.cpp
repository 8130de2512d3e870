#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/client_app.h"
#include "app/script_mode.h"
#include "platform/core_dumps.h"
#include "platform/process_start.h"

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
    platform::UseCallerConsole();
    // The words in UTF-8 (a script's path may hold any name); the toolkit reads argv itself.
    const std::vector<std::string> words = platform::ProgramArguments(argc, argv);
    std::vector<const char*> wordPointers;
    for (const std::string& word : words) {
        wordPointers.push_back(word.c_str());
    }
    const char* const* args = wordPointers.data();
    const int count = static_cast<int>(words.size());
    // Every word is checked before anything starts: a mistyped option must not open the
    // window, nor run a script that writes the settings file.
    for (int i = 1; i < count; ++i) {
        if (std::strcmp(args[i], "--script") == 0 || std::strcmp(args[i], "--answer") == 0) {
            ++i; // its value
        } else if (std::strcmp(args[i], "--help") == 0 || std::strcmp(args[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        } else if (std::strcmp(args[i], "--version") == 0) {
            std::printf("ftpquorrel (FTP Quorrel) %s\n", QUORREL_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "ftpquorrel: %s '%s'\n%s",
                         args[i][0] == '-' ? "unknown option" : "unexpected argument", args[i],
                         kUsage);
            return 2;
        }
    }
    for (int i = 1; i < count; ++i) {
        if (std::strcmp(args[i], "--script") == 0) {
            if (i + 1 >= count) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            std::string file = args[i + 1];
            bool yes = false;
            for (int j = 1; j < count; ++j) {
                if (std::strcmp(args[j], "--answer") == 0 && j + 1 < count) {
                    yes = std::strcmp(args[j + 1], "yes") == 0;
                }
            }
            return RunScriptMode(file, yes);
        }
    }
    CClientApp app;
    return app.InitInstance(argc, argv);
}
