// What the hostile-server tests share: listing lines, the connect dialogue of a scripted server,
// the program opened on it, a menu command on selected rows, and the files below a folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/app_support.h"
#include "support/scripted_ftp_server.h"

namespace hostile {

namespace fs = std::filesystem;
using testsupport::HeadlessApp;
using testsupport::OpenAndConnect;
using testsupport::Text;

inline std::string File(const std::string& name, const std::string& date = "Jan 1 2020") {
    return "-rw-r--r-- 1 u g 2 " + date + " " + name + "\r\n";
}
inline std::string Folder(const std::string& name) {
    return "drwxr-xr-x 2 u g 0 Jan 1 2020 " + name + "\r\n";
}

// Selects rows of a pane and chooses `command` from its menu, answering the boxes in order.
// Returns what the log gained.
inline std::string RunMenu(HeadlessApp& app, int pane, const std::vector<std::string>& rows,
                           int command, const std::vector<int>& answers) {
    const std::size_t before = app.Log().size();
    EXPECT_TRUE(app.Win().Select(pane, rows));
    for (int answer : answers) {
        app.Win().QueueAnswer(answer);
    }
    app.Win().QueueMenuChoice(command);
    app.Win().RightClick(pane);
    app.WaitIdle();
    return app.Log().substr(before);
}

// Every path below `dir`, links not followed.
inline std::set<std::string> Tree(const fs::path& dir) {
    std::set<std::string> paths;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        paths.insert(e.path().lexically_relative(dir).string());
    }
    return paths;
}

// Names a server may list to lead a job astray, in groups that a job treats alike.
inline const std::string kLongName(5000, 'n');
struct NameGroup {
    const char* label;
    std::string lines;
};
inline const std::vector<NameGroup>& NameGroups() {
    static const std::vector<NameGroup> groups = {
        {"dot names", Folder(".") + Folder("..") + File("../up.bin") + Folder("..\\..")},
        {"separators", File("a/b.bin") + File("/abs.bin") + Folder("x/../..") +
                           File("x\\..\\..\\up.bin") + Folder("back\\slash")},
        {"control characters",
         File("ctl\x01.bin") + File("esc\x1b[2J.bin") + File("tab\tname.bin") + Folder("del\x7f")},
        // A zero byte ends the text of its block: the rest of the listing never arrives.
        {"zero byte", File(std::string("nul\0name.bin", 12)) + File("after-nul.bin")},
        {"5,000 bytes", File(kLongName)},
        {"letter case", File("Same.bin") + File("same.bin")},
    };
    return groups;
}

} // namespace hostile
