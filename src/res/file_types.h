// The file-type image table: which image of bitmap 129 a file shows, by its extension. Both
// panes choose a file's image by this one table.
#pragma once

#include <string>

namespace res {

constexpr int kFolderImage = 0;
constexpr int kLinkImage = 14;
constexpr int kOtherFileImage = 15;
constexpr int kOpenFolderImage = 22;

// Image of a file by the text after its last "." (letters A to Z compared without case); 15 for
// an extension not in the table and for a name without one.
int FileTypeImageForName(const std::string& name);

} // namespace res
