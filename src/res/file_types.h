// The file-type images: which image of bitmap 129 a pane row or a drive box item shows. Both
// panes choose a file's image by the one extension table here, and a remote entry's kind is
// its image, so the same numbers serve as file kinds everywhere.
#pragma once

#include <string>

namespace res {

enum FileImage : int {
    kImageFolder = 0,
    kImageWebPage = 1,
    kImageMarkup = 2,
    kImageScript = 3,
    kImageText = 6,
    kImagePainting = 7,
    kImagePicture = 8,
    kImageMedia = 10,
    kImageArchive = 11,
    kImageProgram = 12,
    kImageLink = 14, // a symbolic link in the remote pane
    kImageOtherFile = 15,
    kImageNetworkDrive = 17,
    kImageFixedDrive = 18,
    kImageOpticalDrive = 19,
    kImageRemovableDrive = 20,
    kImageRamDrive = 21,
    kImageOpenFolder = 22, // the selected folder in the drive box
};

// Drive images lie above every file image.
constexpr bool IsDriveImage(int image) {
    return image > 16;
}

// Image of a file by the text after its last "." (letters A to Z compared without case); 15 for
// an extension not in the table and for a name without one.
int FileTypeImageForName(const std::string& name);

} // namespace res
