// A temporary folder that is removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <random>

#include "support/server_process.h"
#else
#include <stdlib.h>
#endif

namespace testsupport {

// A new empty folder in the system's temporary folder, its name `prefix` and six random
// characters; "" when none could be made.
#ifdef _WIN32
// Under Wine the test servers are Linux programs, which see the Windows files under Z: (the
// Unix root): the folders go to Z:/tmp where there is one, not into Wine's own Temp.
inline std::string MakeTempFolder(const std::string& prefix = "quorrel-test-") {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::is_directory("Z:/tmp", ec)
                                           ? std::filesystem::path("Z:/tmp")
                                           : std::filesystem::temp_directory_path(ec);
    std::random_device random;
    const char* const letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name += letters[random() % 36];
        }
        if (std::filesystem::create_directory(base / name, ec)) {
            return (base / name).generic_string();
        }
    }
    return "";
}
#else
inline std::string MakeTempFolder(const std::string& prefix = "quorrel-test-") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    char* made = ::mkdtemp(pattern.data());
    return made ? made : "";
}
#endif

class TempDir {
public:
    TempDir() : m_path(MakeTempFolder()) {}
    ~TempDir() {
#ifdef _WIN32
        // Links the servers made are Unix links, which the C++ library on Wine cannot remove
        // (its remove_all then never ends): Linux removes the tree. The command's own folder
        // (a TempDir too) holds plain files.
        static thread_local bool removingThroughLinux = false;
        if (m_path.starts_with("Z:/") && !removingThroughLinux) {
            removingThroughLinux = true;
            const int status = RunLinuxCommand({"/bin/rm", "-rf", ServerPath(m_path)});
            removingThroughLinux = false;
            if (status == 0) {
                return;
            }
        }
#endif
        std::error_code ec;
        // Make read-only folders removable again before removing the tree.
        for (auto it = std::filesystem::recursive_directory_iterator(
                 m_path, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const {
        return m_path;
    }
    std::string operator/(const std::string& name) const {
        return m_path + "/" + name;
    }

    void Write(const std::string& name, const std::string& content) const {
        std::filesystem::create_directories(std::filesystem::path(*this / name).parent_path());
        std::ofstream out(*this / name, std::ios::binary);
        out << content;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(*this / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string m_path;
};

} // namespace testsupport
