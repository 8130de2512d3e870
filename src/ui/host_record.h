// The thirty host slots.
#pragma once

#include <array>
#include <string>

namespace ui {

constexpr int kHostSlots = 30;
constexpr int kNoSlot = 30;
// Tabs 0 to 5 show slots 0 to 5; the tab after them shows the host list.
constexpr int kHostTabs = 6;
constexpr int kHostListTab = 6;

// One host slot; a slot is in use when its server name is not empty.
struct HostRecord {
    std::string serverName;
    std::string userName;
    std::string password;
    std::string localFolder;
    std::string serverFolder;
    int TimeZoneIndex = 0; // 0 unset, 1..26 = GMT offset + 13
    // SHA-256 fingerprint of the TLS certificate the user trusted for this host ("cert").
    std::string certificate;

    bool InUse() const { return !serverName.empty(); }
    // A trusted certificate belongs to the server it was shown by: another name forgets it.
    void SetServerName(const std::string& name) {
        if (name != serverName) {
            certificate.clear();
        }
        serverName = name;
    }
};

using HostSlots = std::array<HostRecord, kHostSlots>;

} // namespace ui
