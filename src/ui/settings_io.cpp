// Reading the settings when the window opens and writing them when it closes.
#include <array>

#include "res/resource_ids.h"
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
    if (m_options.m_doNotSavePassword == 0) {
        writeField("pin", true, &ui::HostRecord::password);
    } else {
        std::array<std::string, kSlots> empty;
        m_settings.WriteList(empty.data(), kSlots, "pin", true);
    }
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
    m_settings.EndBatch();
}

} // namespace ui
