#include "local/file_type.h"

#include "res/file_types.h"

namespace local {

std::int8_t IconIndexForName(const std::string& name) {
    return static_cast<std::int8_t>(res::FileTypeImageForName(name));
}

int DriveIcon(platform::DriveType type) {
    switch (type) {
    case platform::DriveType::Network:
        return 17;
    case platform::DriveType::Optical:
        return 19;
    case platform::DriveType::Removable:
        return 20;
    case platform::DriveType::RamDisk:
        return 21;
    case platform::DriveType::Fixed:
        break;
    }
    return 18;
}

} // namespace local
