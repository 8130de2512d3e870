#include "ui/ascii_extension_list.h"

namespace ui {

AsciiExtensionList::AsciiExtensionList() = default;

void AsciiExtensionList::SetDefaults() {
    static const char* const defaults[] = {"htm", "html", "xml", "txt", "cgi", "pl"};
    for (int i = 0; i < kSlots; ++i) {
        m_slots[static_cast<std::size_t>(i)] = i < 6 ? defaults[i] : "";
    }
}

std::string AsciiExtensionList::AsciiTypeFor(const std::string&) const { return "I"; }

}  // namespace ui
