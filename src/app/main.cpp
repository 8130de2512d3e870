#include <cstdio>
#include <cstring>
#include <string>

#include "app/client_app.h"
#include "app/script_mode.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "usage: ftpquorrel [--script FILE [--answer yes|no]]\n");
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
