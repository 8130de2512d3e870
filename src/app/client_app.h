// The application object: fixes the settings file path, runs the main window and ends.
#pragma once

#include <string>

class CClientApp {
public:
    // Runs the program with the real window; returns the process's exit status.
    int InitInstance(int argc, char** argv);

    std::string m_settingsPath;
};
