#include "res/file_types.h"

#include <string_view>

#include "res/ascii_case.h"

namespace res {

int FileTypeImageForName(const std::string& name) {
    struct ImageOfExtension {
        std::string_view extension;
        int image;
    };
    static constexpr ImageOfExtension kTable[] = {
        {"htm", kImageWebPage},   {"html", kImageWebPage}, {"xml", kImageMarkup},
        {"asp", kImageScript},    {"jsp", kImageScript},   {"php", kImageScript},
        {"txt", kImageText},      {"log", kImageText},     {"jpg", kImagePainting},
        {"jpeg", kImagePainting}, {"jpe", kImagePainting}, {"bmp", kImagePainting},
        {"gif", kImagePicture},   {"png", kImagePicture},  {"wma", kImageMedia},
        {"wmv", kImageMedia},     {"mid", kImageMedia},    {"midi", kImageMedia},
        {"mp2", kImageMedia},     {"mp3", kImageMedia},    {"avi", kImageMedia},
        {"mpe", kImageMedia},     {"mpeg", kImageMedia},   {"mpg", kImageMedia},
        {"zip", kImageArchive},   {"lzh", kImageArchive},  {"cab", kImageArchive},
        {"gz", kImageArchive},    {"exe", kImageProgram}};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return kImageOtherFile;
    }
    const std::string extension = LowerAsciiCopy(std::string_view(name).substr(dot + 1));
    for (const ImageOfExtension& entry : kTable) {
        if (entry.extension == extension) {
            return entry.image;
        }
    }
    return kImageOtherFile;
}

} // namespace res
