// File-type image indexes shared by both file panes and the drive box.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace local {

constexpr std::int8_t kFolderIcon = 0;
constexpr std::int8_t kOtherFileIcon = 15;
constexpr int kOpenFolderIcon = 22; // the selected folder in the drive box

// Image of a file by the extension after its last "." (letter case ignored); 15 for an
// extension not in the table and for a name without one.
std::int8_t IconIndexForName(const std::string& name);

// Image of a drive by its type: network 17, fixed 18, optical 19, removable 20, RAM disk 21.
int DriveIcon(platform::DriveType type);

} // namespace local
