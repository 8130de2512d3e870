#include "res/file_types.h"

#include <string_view>

namespace res {

int FileTypeImageForName(const std::string& name) {
    struct ImageOfExtension {
        std::string_view extension;
        int image;
    };
    static constexpr ImageOfExtension kTable[] = {
        {"htm", 1},  {"html", 1}, {"xml", 2},  {"asp", 3},  {"jsp", 3},   {"php", 3},
        {"txt", 6},  {"log", 6},  {"jpg", 7},  {"jpeg", 7}, {"jpe", 7},   {"bmp", 7},
        {"gif", 8},  {"png", 8},  {"wma", 10}, {"wmv", 10}, {"mid", 10},  {"midi", 10},
        {"mp2", 10}, {"mp3", 10}, {"avi", 10}, {"mpe", 10}, {"mpeg", 10}, {"mpg", 10},
        {"zip", 11}, {"lzh", 11}, {"cab", 11}, {"gz", 11},  {"exe", 12}};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return kOtherFileImage;
    }
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    for (const ImageOfExtension& entry : kTable) {
        if (entry.extension == extension) {
            return entry.image;
        }
    }
    return kOtherFileImage;
}

} // namespace res
