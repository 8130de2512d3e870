#include "local/file_type.h"

#include "res/file_types.h"

namespace local {

std::int8_t IconIndexForName(const std::string& name) {
    return static_cast<std::int8_t>(res::FileTypeImageForName(name));
}

int DriveIcon(platform::DriveType type) {
    switch (type) {
    case platform::DriveType::Network:
        return res::kImageNetworkDrive;
    case platform::DriveType::Optical:
        return res::kImageOpticalDrive;
    case platform::DriveType::Removable:
        return res::kImageRemovableDrive;
    case platform::DriveType::RamDisk:
        return res::kImageRamDrive;
    case platform::DriveType::Fixed:
        break;
    }
    return res::kImageFixedDrive;
}

} // namespace local
