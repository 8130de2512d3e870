// Reading the settings when the window opens and writing them when it closes.
#include <array>

#include "platform/secret_store.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

constexpr int kSlots = ui::kHostSlots;
const std::string kUnsetZones(kSlots, 'a');

int OptionValue(int value) {
    return (value < 0 || value > 1) ? 0 : value;
}

} // namespace

void CMainDialog::LoadSettings() {
    int x = m_settings.ReadInt("x", -1);
    int y = m_settings.ReadInt("y", -1);
    if (x != -1 && y != -1 && m_window.GetPrimaryWorkArea().Contains(x, y)) {
        m_window.Move(x, y);
    }

    for (const ui::OptionRow& row : ui::kOptionTable) {
        m_options.*row.flag = OptionValue(m_settings.ReadInt(row.key, 0));
    }

    std::array<std::string, kSlots> items;
    auto readField = [&](const char* key, bool reversed, std::string ui::HostRecord::*field) {
        for (int i = 0; i < kSlots; ++i) {
            items[static_cast<std::size_t>(i)] = m_hosts[static_cast<std::size_t>(i)].*field;
        }
        const bool found = m_settings.ReadList(items.data(), kSlots, key, reversed);
        for (int i = 0; i < kSlots; ++i) {
            m_hosts[static_cast<std::size_t>(i)].*field = items[static_cast<std::size_t>(i)];
        }
        return found;
    };
    readField("lc", false, &ui::HostRecord::localFolder);
    readField("sc", false, &ui::HostRecord::serverFolder);
    readField("Sname", false, &ui::HostRecord::serverName);
    readField("Uname", false, &ui::HostRecord::userName);
    readField("pin", true, &ui::HostRecord::password);

    if (!m_settings.ReadList(m_asciiExtensions.Slots().data(), ui::AsciiExtensionList::kSlots,
                             "ab_ext", false)) {
        m_asciiExtensions.SetDefaults();
    }

    // One letter per slot; a value shorter than 30 letters leaves the rest unset.
    std::string zones = m_settings.ReadString("Htime", kUnsetZones, 256);
    for (int i = 0; i < kSlots; ++i) {
        signed char c = i < static_cast<int>(zones.size())
                            ? static_cast<signed char>(zones[static_cast<std::size_t>(i)])
                            : 'a';
        m_hosts[static_cast<std::size_t>(i)].TimeZoneIndex = c - 'a';
    }
    m_certificateKeyRead = readField("cert", false, &ui::HostRecord::certificate);
    // A file that never had the key keeps its designed keys alone until the count changes.
    const int transfers = m_settings.ReadInt("transfers", 0);
    m_transfersKeyRead = transfers != 0;
    m_options.m_simultaneousTransfers =
        transfers < 1 || transfers > ui::kMaxSimultaneousTransfers ? 1 : transfers;

    // The size the user gave the window, within the screen, and the widths of the columns.
    m_savedWidth = m_settings.ReadInt("width", 0);
    m_savedHeight = m_settings.ReadInt("height", 0);
    if (m_savedWidth > 0 && m_savedHeight > 0) {
        m_window.Resize(m_savedWidth, m_savedHeight);
    }
    m_localWidths = ParseWidths(m_settings.ReadString("lcols", "", 64));
    m_remoteWidths = ParseWidths(m_settings.ReadString("rcols", "", 64));

    m_keyringKey = m_settings.ReadInt("keyring", -1);
    m_options.m_keyring = m_keyringKey == 0 ? 0 : 1;
    m_keyringState = platform::SecretStore::Probe(m_keyringReason);
    ReadKeyringPasswords();
}

void CMainDialog::ReadKeyringPasswords() {
    if (m_keyringKey != 1) {
        return; // the passwords live in the settings file
    }
    std::string failure = m_keyringReason;
    if (m_keyringState == platform::KeyringState::Open) {
        for (int i = 0; i < kSlots; ++i) {
            ui::HostRecord& host = m_hosts[static_cast<std::size_t>(i)];
            // A password in the file is newer than the keyring's: typed while it was away.
            if (!host.password.empty()) {
                continue;
            }
            std::string password;
            bool found = false;
            if (platform::SecretStore::Lookup(i, password, found, failure)) {
                host.password = password;
            } else {
                break;
            }
        }
        if (failure.empty()) {
            return;
        }
        // A keyring that stops answering midway is not written to either.
        m_keyringState = platform::KeyringState::Locked;
        m_keyringReason = failure;
    }
    if (failure.empty()) {
        failure = "no Secret Service answers";
    }
    ShowMessage(res::LoadString(res::kTextKeyringUnreadable) + failure +
                    res::LoadString(res::kTextKeyringUnreadableEnd),
                win::Buttons::Ok, win::Icon::Warning);
}

std::array<std::string, kSlots> CMainDialog::PasswordsForFile() {
    std::array<std::string, kSlots> pins;
    for (int i = 0; i < kSlots; ++i) {
        if (m_options.m_doNotSavePassword == 0) {
            pins[static_cast<std::size_t>(i)] = m_hosts[static_cast<std::size_t>(i)].password;
        }
    }
    if (m_keyringState != platform::KeyringState::Open || m_options.m_keyring == 0) {
        return pins;
    }
    for (int i = 0; i < kSlots; ++i) {
        std::string& pin = pins[static_cast<std::size_t>(i)];
        const ui::HostRecord& host = m_hosts[static_cast<std::size_t>(i)];
        std::string error;
        if (pin.empty()) {
            // A deleted host, a cleared password, "do not save password": nothing is kept.
            platform::SecretStore::Remove(i, error);
            continue;
        }
        // The file gives up a password only once the keyring gives it back unchanged.
        std::string stored;
        bool found = false;
        if (platform::SecretStore::Store(i, host.serverName, host.userName, pin, error) &&
            platform::SecretStore::Lookup(i, stored, found, error) && found && stored == pin) {
            pin.clear();
        }
    }
    return pins;
}

void CMainDialog::SaveSettings() {
    m_settings.BeginBatch();
    win::Rect rect = m_window.GetWindowRect();
    int x = rect.left;
    int y = rect.top;
    if (m_window.IsMinimized()) {
        x = -1;
        y = -1;
    }
    m_settings.WriteInt("x", x);
    m_settings.WriteInt("y", y);
    m_settings.WriteInt("tabX", m_window.Tab(res::kHostTab).GetCurSel());
    for (const ui::OptionRow& row : ui::kOptionTable) {
        if (!row.writtenLast) {
            m_settings.WriteInt(row.key, m_options.*row.flag);
        }
    }
    m_settings.WriteList(m_asciiExtensions.Slots().data(), ui::AsciiExtensionList::kSlots, "ab_ext",
                         false);

    std::array<std::string, kSlots> items;
    auto writeField = [&](const char* key, bool reversed, std::string ui::HostRecord::*field) {
        for (int i = 0; i < kSlots; ++i) {
            items[static_cast<std::size_t>(i)] = m_hosts[static_cast<std::size_t>(i)].*field;
        }
        m_settings.WriteList(items.data(), kSlots, key, reversed);
    };
    writeField("Sname", false, &ui::HostRecord::serverName);
    writeField("Uname", false, &ui::HostRecord::userName);
    std::array<std::string, kSlots> pins = PasswordsForFile();
    m_settings.WriteList(pins.data(), kSlots, "pin", true);
    writeField("lc", false, &ui::HostRecord::localFolder);
    writeField("sc", false, &ui::HostRecord::serverFolder);

    std::string zones(kSlots, 'a');
    for (int i = 0; i < kSlots; ++i) {
        zones[static_cast<std::size_t>(i)] = static_cast<char>(
            'a' + static_cast<unsigned char>(m_hosts[static_cast<std::size_t>(i)].TimeZoneIndex));
    }
    m_settings.WriteString("Htime", zones);
    for (const ui::OptionRow& row : ui::kOptionTable) {
        if (row.writtenLast) {
            m_settings.WriteInt(row.key, m_options.*row.flag);
        }
    }
    // Trusted TLS certificates come last, and only once there is or was one to keep.
    bool anyCertificate = false;
    for (const ui::HostRecord& host : m_hosts) {
        anyCertificate = anyCertificate || !host.certificate.empty();
    }
    if (anyCertificate || m_certificateKeyRead) {
        writeField("cert", false, &ui::HostRecord::certificate);
    }
    // Written once it differs from the default, after every other key.
    if (m_options.m_simultaneousTransfers != 1 || m_transfersKeyRead) {
        m_settings.WriteInt("transfers", m_options.m_simultaneousTransfers);
    }
    // The window's size and the column widths: once the user changed them from the first.
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int openedWidth = m_openedRect.right - m_openedRect.left;
    const int openedHeight = m_openedRect.bottom - m_openedRect.top;
    if (!m_window.IsMinimized() &&
        (m_savedWidth > 0 || width != openedWidth || height != openedHeight)) {
        m_settings.WriteInt("width", width);
        m_settings.WriteInt("height", height);
    }
    const std::vector<int> localWidths = m_window.ListView(res::kLocalList).GetColumnWidths();
    const std::vector<int> remoteWidths = m_window.ListView(res::kRemoteList).GetColumnWidths();
    auto defaults = [](bool remote) {
        std::vector<int> widths;
        for (const win::ListColumn& column : PaneColumns(remote, {})) {
            widths.push_back(column.width);
        }
        return widths;
    };
    if (!m_localWidths.empty() || !m_remoteWidths.empty() || localWidths != defaults(false) ||
        remoteWidths != defaults(true)) {
        m_settings.WriteString("lcols", WidthsText(localWidths));
        m_settings.WriteString("rcols", WidthsText(remoteWidths));
    }
    // Where the passwords are: written once a keyring took part in this session or before.
    const bool keyringOpen = m_keyringState == platform::KeyringState::Open;
    if (keyringOpen) {
        m_settings.WriteInt("keyring", m_options.m_keyring);
    } else if (m_keyringKey != -1) {
        m_settings.WriteInt("keyring", m_keyringKey);
    }
    m_settings.EndBatch();
    // Turned off: the file holds the passwords again, so the keyring's items go.
    if (keyringOpen && m_options.m_keyring == 0) {
        for (int i = 0; i < kSlots; ++i) {
            std::string error;
            platform::SecretStore::Remove(i, error);
        }
    }
}

} // namespace ui
