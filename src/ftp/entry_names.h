// Names the server chooses, as the jobs may use them: a link row by its own name, and a listed
// name that may become part of a path only when it cannot step outside the folder it is in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ftp {

inline constexpr std::string_view kLinkArrow = " -> ";

// A link row's text is "name -> target"; commands and local files use the name alone. Any
// other text is its own name.
inline std::string LinkName(std::string_view rowText) {
    const std::size_t arrow = rowText.find(kLinkArrow);
    return std::string(arrow == std::string_view::npos ? rowText : rowText.substr(0, arrow));
}

// The target of a link row, the text after its first " -> "; empty when there is none.
inline std::string LinkTarget(std::string_view rowText) {
    const std::size_t arrow = rowText.find(kLinkArrow);
    return arrow == std::string_view::npos ? std::string()
                                           : std::string(rowText.substr(arrow + kLinkArrow.size()));
}

// The folder a link's target names, seen from `folder`, the folder that holds the link: a
// relative target is joined onto it, and "." and ".." steps are taken, so the result is as
// absolute as `folder` is ("/" at most far up).
inline std::string ResolveLinkTarget(std::string_view folder, std::string_view target) {
    const bool absolute = !target.empty() && target[0] == '/';
    std::vector<std::string_view> parts;
    auto walk = [&parts](std::string_view path) {
        while (!path.empty()) {
            const std::size_t slash = path.find('/');
            const std::string_view part = path.substr(0, slash);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
            if (part == "..") {
                if (!parts.empty()) {
                    parts.pop_back();
                }
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
        }
    };
    if (!absolute) {
        walk(folder);
    }
    walk(target);
    std::string path = absolute || (!folder.empty() && folder[0] == '/') ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        path += (i > 0 ? "/" : "") + std::string(parts[i]);
    }
    return path.empty() ? std::string(".") : path;
}

// True when a name from a listing or a pane row can be joined onto a path as one component: not
// empty, not "." or "..", and without '/', '\' or a control character.
inline bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

} // namespace ftp
