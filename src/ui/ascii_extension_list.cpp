#include "ui/ascii_extension_list.h"

#include <string_view>

#include "res/ascii_case.h"

namespace ui {

AsciiExtensionList::AsciiExtensionList() = default;

void AsciiExtensionList::SetDefaults() {
    static const char* const defaults[] = {"htm", "html", "xml", "txt", "cgi", "pl"};
    for (int i = 0; i < kSlots; ++i) {
        m_slots[static_cast<std::size_t>(i)] = i < 6 ? defaults[i] : "";
    }
}

bool AsciiExtensionList::SameExtension(const std::string& a, const std::string& b) {
    return res::EqualIgnoringAsciiCase(a, b);
}

std::string AsciiExtensionList::AsciiTypeFor(const std::string& name) const {
    // Only the last path component names the file: a dot in a folder name is no extension.
    std::size_t slash = name.rfind('/');
    std::string_view last(name);
    if (slash != std::string::npos) {
        last.remove_prefix(slash + 1);
    }
    std::size_t dot = last.rfind('.');
    if (dot == std::string_view::npos) {
        return "I";
    }
    std::string extension(last.substr(dot + 1));
    for (const std::string& slot : m_slots) {
        if (!slot.empty() && SameExtension(slot, extension)) {
            return "A";
        }
    }
    return "I";
}

} // namespace ui
