#include "ftp/permission_mode.h"

namespace ftp {

std::string PermissionToMode(std::string_view permission) {
    static constexpr char kLetters[] = "rwxrwxrwx";
    static constexpr int kValues[] = {400, 200, 100, 40, 20, 10, 4, 2, 1};
    int sum = 0;
    for (std::size_t i = 0; i < 9 && i + 1 < permission.size(); ++i) {
        if (permission[i + 1] == kLetters[i]) {
            sum += kValues[i];
        }
    }
    return std::to_string(sum);
}

} // namespace ftp
