// What tests of whole user actions share: the program's ids by name, a settings-file builder,
// a check of the message boxes shown, and the rows of panes and combo boxes as text.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/window/headless/headless_window.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "settings/settings_store.h"
#include "support/headless_app.h"
#include "support/pyftpd_server.h"

namespace testsupport {

// A text of the string table by its id.
inline std::string Text(int id) {
    return res::LoadString(id);
}

// The lines of a settings file below its section line, built host by host.
class SettingsFile {
public:
    struct Host {
        std::string server, user, password, localFolder, serverFolder;
        int timeZone = 0; // TimeZoneIndex: 0 unset, 13 is GMT
    };

    SettingsFile& SetHost(int slot, const Host& host) {
        m_hosts[static_cast<std::size_t>(slot)] = host;
        return *this;
    }
    // A host logging in to the test server, in the given local and server folders.
    SettingsFile& SetServerHost(int slot, const PyFtpdServer& server,
                                const std::string& localFolder = "",
                                const std::string& serverFolder = "", int timeZone = 0) {
        return SetHost(slot, {server.Address(), PyFtpdServer::kUser, PyFtpdServer::kPassword,
                              localFolder, serverFolder, timeZone});
    }
    // Any other key, written before the host lists.
    SettingsFile& Set(const std::string& key, const std::string& value) {
        m_lines += key + "=" + value + "\r\n";
        return *this;
    }
    std::string Body() const {
        std::string zones;
        for (const Host& h : m_hosts) {
            zones += static_cast<char>('a' + h.timeZone);
        }
        return m_lines + Line("Sname", &Host::server) + Line("Uname", &Host::user) +
               Line("pin", &Host::password, true) + Line("lc", &Host::localFolder) +
               Line("sc", &Host::serverFolder) + "Htime=" + zones + "\r\n";
    }

private:
    std::string Line(const char* key, std::string Host::*field, bool reversed = false) const {
        std::string text = std::string(key) + "=";
        for (const Host& h : m_hosts) {
            text += (reversed ? settings::ReverseCharacters(h.*field) : h.*field) + ";";
        }
        return text + "\r\n";
    }

    std::array<Host, 30> m_hosts;
    std::string m_lines;
};

// Expects exactly these message boxes (texts), in order, and returns them for closer checks.
inline std::vector<headless::BoxRecord> ExpectBoxes(HeadlessApp& app,
                                                    const std::vector<std::string>& texts) {
    std::vector<headless::BoxRecord> boxes = app.Win().Boxes();
    std::vector<std::string> shown;
    for (const auto& box : boxes) {
        shown.push_back(box.text);
    }
    EXPECT_EQ(shown, texts);
    return boxes;
}

// One box, with its buttons and icon.
inline void ExpectBox(const headless::BoxRecord& box, const std::string& text, win::Buttons buttons,
                      win::Icon icon) {
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, buttons);
    EXPECT_EQ(box.icon, icon);
}

// The rows of a list view, list box or combo box as "IMAGE TEXT".
inline std::vector<std::string> Rows(HeadlessApp& app, int id) {
    std::vector<std::string> rows;
    for (const auto& r : app.Win().Get(id).Rows()) {
        rows.push_back(std::to_string(r.image) + " " + r.text);
    }
    return rows;
}

// The texts alone.
inline std::vector<std::string> RowTexts(HeadlessApp& app, int id) {
    std::vector<std::string> rows;
    for (const auto& r : app.Win().Get(id).Rows()) {
        rows.push_back(r.text);
    }
    return rows;
}

// Opens the program with one host on a scripted server on `port` (user "u", password "p") and
// the local folder `localFolder`, then connects. `extra` holds further settings lines.
inline void OpenAndConnect(HeadlessApp& app, int port, const std::string& localFolder,
                           const std::string& extra = "") {
    app.WriteSettings("Sname=127.0.0.1:" + std::to_string(port) +
                      ";\r\nUname=u;\r\npin=p;\r\nlc=" + localFolder + ";\r\n" + extra);
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
}

// Opens the program on Host 1 logged in to `server` in `localFolder`, every question answered
// Yes, files moving over `transfers` connections; true when it connected.
inline bool OpenAndConnect(HeadlessApp& app, const PyFtpdServer& server,
                           const std::string& localFolder, int transfers, bool passive = false) {
    app.WriteSettings(SettingsFile()
                          .Set("transfers", std::to_string(transfers))
                          .Set("pasv", passive ? "1" : "0")
                          .SetServerHost(0, server, localFolder)
                          .Body());
    app.Open();
    app.Win().SetDefaultAnswer(win::kAnswerYes);
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    return app.dialog->View().m_connected;
}

// The selected entry of a combo box, "" when none.
inline std::string ComboSelection(HeadlessApp& app, int id) {
    auto& c = app.Win().Get(id);
    return c.GetCurSel() < 0 ? "" : c.GetString(c.GetCurSel());
}

} // namespace testsupport
