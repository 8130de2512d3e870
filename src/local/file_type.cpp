#include "local/file_type.h"

#include <string_view>

namespace local {

std::int8_t IconIndexForName(const std::string& name) {
    struct IconOfExtension {
        std::string_view extension;
        std::int8_t icon;
    };
    static constexpr IconOfExtension kTable[] = {
        {"htm", 1},  {"html", 1}, {"xml", 2},  {"asp", 3},  {"jsp", 3},   {"php", 3},
        {"txt", 6},  {"log", 6},  {"jpg", 7},  {"jpeg", 7}, {"jpe", 7},   {"bmp", 7},
        {"gif", 8},  {"png", 8},  {"wma", 10}, {"wmv", 10}, {"mid", 10},  {"midi", 10},
        {"mp2", 10}, {"mp3", 10}, {"avi", 10}, {"mpe", 10}, {"mpeg", 10}, {"mpg", 10},
        {"zip", 11}, {"lzh", 11}, {"cab", 11}, {"gz", 11},  {"exe", 12}};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return kOtherFileIcon;
    }
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    for (const IconOfExtension& entry : kTable) {
        if (entry.extension == extension) {
            return entry.icon;
        }
    }
    return kOtherFileIcon;
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
