// PermissionToMode on any text: the mode is the sum of the nine permission letters at their
// places, written without leading zeros, for texts of any length and any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ftp/permission_mode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string mode = ftp::PermissionToMode(text);
    // The same sum counted another way: each place has its letter and its octal weight.
    static const char kLetters[] = "rwxrwxrwx";
    static const int kWeights[] = {400, 200, 100, 40, 20, 10, 4, 2, 1};
    int sum = 0;
    for (std::size_t place = 1; place <= 9 && place < text.size(); ++place) {
        if (text[place] == kLetters[place - 1]) {
            sum += kWeights[place - 1];
        }
    }
    if (mode != std::to_string(sum)) {
        std::abort();
    }
    return 0;
}
