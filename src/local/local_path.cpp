#include "local/local_path.h"

#include <algorithm>

namespace local {

bool IsAbsoluteFolder(const std::string& folder) {
#ifdef _WIN32
    const auto letter = static_cast<unsigned char>(folder.empty() ? 0 : folder[0]);
    return folder.size() >= 2 && ((letter | 0x20) >= 'a' && (letter | 0x20) <= 'z') &&
           folder[1] == ':' && (folder.size() == 2 || folder[2] == '/' || folder[2] == '\\');
#else
    return !folder.empty() && folder[0] == '/';
#endif
}

std::string NormalizeFolder(const std::string& folder) {
    if (!IsAbsoluteFolder(folder)) {
        return "";
    }
    std::string out;
    for (char c : folder) {
#ifdef _WIN32
        // Windows takes both separators; the program keeps '/', and drive letters upper case.
        if (c == '\\') {
            c = '/';
        }
        if (out.empty() && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
#endif
        if (c == '/' && !out.empty() && out.back() == '/') {
            continue;
        }
        out += c;
    }
    if (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

bool IsRootFolder(const std::string& folder, const std::vector<std::string>& roots) {
    return folder == "/" || std::find(roots.begin(), roots.end(), folder) != roots.end();
}

std::string ParentFolder(const std::string& folder, const std::vector<std::string>& roots) {
    const std::string path = NormalizeFolder(folder);
    if (path.empty() || IsRootFolder(path, roots)) {
        return "";
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ""; // a drive ("E:") missing from the list is a root all the same
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RootOfFolder(const std::string& folder, const std::vector<std::string>& roots) {
    std::string best = "/";
    for (const std::string& root : roots) {
        const bool within = folder == root || (folder.size() > root.size() &&
                                               folder.compare(0, root.size(), root) == 0 &&
                                               folder[root.size()] == '/');
        if (within && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

std::vector<std::string> FolderChain(const std::string& folder, const std::string& root) {
    std::vector<std::string> names;
    if (folder.size() <= root.size() || folder.compare(0, root.size(), root) != 0) {
        return names;
    }
    std::size_t start = root.size();
    while (start < folder.size()) {
        if (folder[start] == '/') {
            ++start;
            continue;
        }
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) {
            end = folder.size();
        }
        names.push_back(folder.substr(start, end - start));
        start = end;
    }
    return names;
}

std::string LastComponent(const std::string& folder) {
    if (folder == "/") {
        return folder;
    }
    const std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

std::string ShortenForCombo(const std::string& name) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        // A byte that does not continue a UTF-8 sequence starts a character.
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) {
            if (characters == kComboNameLimit) {
                return name.substr(0, i) + "...";
            }
            ++characters;
        }
    }
    return name;
}

} // namespace local
