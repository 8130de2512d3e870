// The image a local item shows: a file by its extension, a drive by its type (res::FileImage).
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace local {

// Image of a file by the extension after its last "." (letter case ignored); 15 for an
// extension not in the table and for a name without one.
std::int8_t IconIndexForName(const std::string& name);

// Image of a drive by its type: network 17, fixed 18, optical 19, removable 20, RAM disk 21.
int DriveIcon(platform::DriveType type);

} // namespace local
