// The option flags and the one table that ties each to its settings key, its check box in the
// option dialog and its help text: a new option is one member and one row.
#pragma once

#include "res/resource_ids.h"
#include "res/string_ids.h"

namespace ui {

// Each flag is 0 or 1.
struct Options {
    int m_doNotConfirmDelete = 0; // mirroring deletes without asking
    int m_doNotSavePassword = 0;  // passwords are not written to the settings file
    int m_lowercaseFileName = 0;  // uploads store the name in lower case
    int m_lowercaseExtension = 0; // uploads store the extension in lower case
    int m_doNotDeleteFiles = 0;   // mirroring never deletes
    int m_passiveMode = 0;        // data connections are opened by us (EPSV, PASV)
    int m_keepFileTimes = 0;      // a transferred file gets the original's modification time
    // Not a flag: files of a transfer job move over this many connections at once (1 to 10).
    int m_simultaneousTransfers = 1;
    // Passwords go to the desktop's keyring where one answers; on unless turned off.
    int m_keyring = 1;
};

// The most connections a transfer job moves files over at once.
inline constexpr int kMaxSimultaneousTransfers = 10;

struct OptionRow {
    const char* key; // settings key
    int Options::*flag;
    int checkBox; // in the option dialog
    int helpText; // shown on the dialog's help line
    // Keys added to the program's own set are written after all of those, "Htime" included.
    bool writtenLast = false;
};

// In the order the settings file reads and writes them.
inline constexpr OptionRow kOptionTable[] = {
    {"c1", &Options::m_doNotSavePassword, res::kOptDoNotSavePassword,
     res::kTextHelpDoNotSavePassword},
    {"c2", &Options::m_doNotConfirmDelete, res::kOptDoNotConfirmDelete,
     res::kTextHelpDoNotConfirmDelete},
    {"c3", &Options::m_lowercaseFileName, res::kOptLowercaseName, res::kTextHelpLowercaseName},
    {"c4", &Options::m_lowercaseExtension, res::kOptLowercaseExtension,
     res::kTextHelpLowercaseExtension},
    {"c5", &Options::m_doNotDeleteFiles, res::kOptDoNotDelete, res::kTextHelpDoNotDelete},
    {"pasv", &Options::m_passiveMode, res::kOptPassiveMode, res::kTextHelpPassiveMode, true},
    {"keeptime", &Options::m_keepFileTimes, res::kOptKeepFileTimes, res::kTextHelpKeepFileTimes,
     true},
};

} // namespace ui
