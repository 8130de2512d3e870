// The thirty extension slots that choose ASCII transfers.
#pragma once

#include <array>
#include <string>

namespace ui {

class AsciiExtensionList {
public:
    static constexpr int kSlots = 30;

    AsciiExtensionList(); // all slots empty
    void SetDefaults();   // "htm", "html", "xml", "txt", "cgi", "pl", the rest empty

    std::array<std::string, kSlots>& Slots() { return m_slots; }
    const std::array<std::string, kSlots>& Slots() const { return m_slots; }

    // "A" when the extension of the name's last path component equals a non-empty slot
    // ignoring letter case, else "I".
    std::string AsciiTypeFor(const std::string& name) const;

    // Two extensions are the same when they differ at most in the case of the letters A to Z.
    static bool SameExtension(const std::string& a, const std::string& b);

private:
    std::array<std::string, kSlots> m_slots;
};

} // namespace ui
