// The local side failing under a running job: the disk full during a download, a file that
// vanishes or turns unreadable before its upload, the target folder removed while a download
// fills it. Each says why in a message box, ends its job incomplete with the connection still
// usable, and loses nothing that was on the disk before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "platform/system_error.h"
#include "support/app_support.h"
#include "support/script_program.h"
#include "support/unprivileged.h"

using testsupport::HeadlessApp;
using testsupport::PyFtpdServer;
using testsupport::TempDir;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

int RunLimited(const TempDir& dir, const std::string& script, rlim_t maxFileSize) {
    return testsupport::RunScriptProgram(dir, script, maxFileSize);
}

TEST(LocalFaults, ADiskFullDuringADownloadKeepsWhatFitAndGoesOnWithTheNextFile) {
    for (const int transfers : {1, 4}) {
        SCOPED_TRACE(transfers);
        PyFtpdServer server;
        ASSERT_TRUE(server.Start());
        server.Root().Write("big.bin", std::string(300000, 'b'));
        server.Root().Write("small.txt", "fits");
        TempDir dir;
        dir.Write("local/keep.txt", "mine");
        dir.Write("DEVurorure.ini", "[data]\r\n" + testsupport::SettingsFile()
                                                       .Set("transfers", std::to_string(transfers))
                                                       .Set("pasv", transfers > 1 ? "1" : "0")
                                                       .SetServerHost(0, server, dir / "local")
                                                       .Body());

        const int status = RunLimited(dir,
                                      "click 1012\nwait\nselect 1003 big.bin small.txt\n"
                                      "menu 1003 32780\nwait\nclose\n",
                                      100000);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0) << dir.Read("err");
        const std::string tooLarge = platform::SystemErrorText(EFBIG);
        EXPECT_NE(
            dir.Read("err").find("box warning ok: " + tooLarge.substr(0, tooLarge.find('\r'))),
            std::string::npos)
            << dir.Read("err");
        EXPECT_TRUE(dir.Read("out").ends_with("1" + Text(res::kTextFilesDownloaded) +
                                              Text(res::kTextDownloadIncomplete)))
            << dir.Read("out");
        EXPECT_EQ(fs::file_size(dir / "local/big.bin.ftpquorrel-part"), 100000u);
        EXPECT_EQ(dir.Read("local/small.txt"), "fits");
        EXPECT_EQ(dir.Read("local/keep.txt"), "mine");
        EXPECT_NE(dir.Read("DEVurorure.ini").find("Sname=" + server.Address() + ";"),
                  std::string::npos);
    }
}

// A connected program and a real server, made by the user a case runs as: `unprivileged` drops
// root's rights first, since root reads any file whatever its permissions.
struct Session {
    explicit Session(bool unprivileged)
        : guard([unprivileged] {
              return unprivileged ? std::optional<testsupport::Unprivileged>(std::in_place)
                                  : std::nullopt;
          }()) {}
    // Several transfers go in passive mode: pyftpdlib loses active-mode data connections that
    // start side by side.
    bool Connect(int transfers = 1) {
        return server.Start() &&
               testsupport::OpenAndConnect(app, server, local.Path(), transfers, transfers > 1);
    }
    // Does `fault` once, on the worker, when the job logs its first line holding `trigger`.
    void OnFirstLog(const std::string& trigger, std::function<void(const std::string&)> fault) {
        // The window calls a copy of the observer: the flag lives here.
        faulted = false;
        app.Win().SetLogObserver([this, trigger, fault](const std::string& text) {
            if (!faulted && text.find(trigger) != std::string::npos) {
                faulted = true;
                fault(text);
            }
        });
    }
    void Menu(int list, int command, const std::vector<std::string>& rows) {
        ASSERT_TRUE(app.Win().Select(list, rows));
        app.Win().QueueMenuChoice(command);
        app.Win().RightClick(list);
        app.WaitIdle();
        app.Win().SetLogObserver(nullptr);
    }
    // The connection survived the job: a refresh lists the server's folder again.
    void ExpectStillConnected() {
        app.Win().Click(res::kRemoteRefreshButton);
        app.WaitIdle();
        EXPECT_TRUE(app.dialog->View().m_connected);
        EXPECT_TRUE(app.Log().ends_with("226 Transfer complete.\r\n")) << app.Log();
    }
    // The texts of the boxes shown after the first `skip`.
    std::vector<std::string> Boxes(std::size_t skip) {
        std::vector<std::string> texts;
        const auto boxes = app.Win().Boxes();
        for (std::size_t i = skip; i < boxes.size(); ++i) {
            texts.push_back(boxes[i].text);
        }
        return texts;
    }

    // First: what the session makes belongs to the user it runs as.
    std::optional<testsupport::Unprivileged> guard;
    bool faulted = false;
    PyFtpdServer server;
    TempDir local;
    HeadlessApp app;
};

TEST(LocalFaults, AFileThatVanishesOrTurnsUnreadableBeforeItsUploadIsReportedAndSkipped) {
    struct Case {
        const char* name;
        bool unprivileged;
        int error;
        void (*fault)(const std::string& path);
        int transfers;
    };
    auto vanish = [](const std::string& path) { fs::remove(path); };
    auto unreadable = [](const std::string& path) { ::chmod(path.c_str(), 0); };
    const Case cases[] = {
        {"vanishes", false, ENOENT, vanish, 1},
        {"turns unreadable", true, EACCES, unreadable, 1},
        {"vanishes, four transfers", false, ENOENT, vanish, 4},
        {"turns unreadable, four transfers", true, EACCES, unreadable, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s(c.unprivileged);
        if (s.guard && !s.guard->Ok()) {
            continue; // root's rights cannot be dropped here
        }
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            s.local.Write(std::string("up/") + name, name);
        }
        ASSERT_TRUE(s.Connect(c.transfers)) << s.app.Log();
        const std::size_t boxesBefore = s.app.Win().Boxes().size();
        // The folder has been read; as its first file goes, another one is hit. With four
        // connections a file's lines come once it is through: the hit comes as the folder is
        // made on the server.
        std::string victim;
        s.OnFirstLog(c.transfers == 1 ? ">STOR /up/" : ">MKD up", [&](const std::string& line) {
            victim = line.find("a.txt") == std::string::npos ? "a.txt" : "b.txt";
            c.fault(s.local / ("up/" + victim));
        });
        s.Menu(res::kLocalList, res::kCmdLocalUpload, {"up"});

        EXPECT_EQ(s.Boxes(boxesBefore + 1),
                  std::vector<std::string>{(s.local / ("up/" + victim)) + "\n" +
                                           platform::SystemErrorText(c.error)});
        EXPECT_TRUE(s.app.Log().ends_with(Text(res::kTextUploadIncomplete) + "2" +
                                          Text(res::kTextFilesUploaded)))
            << s.app.Log();
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            if (name != victim) {
                EXPECT_EQ(s.server.Root().Read(std::string("up/") + name), name);
                EXPECT_EQ(s.local.Read(std::string("up/") + name), name);
            }
        }
        if (c.error == EACCES) {
            ::chmod((s.local / ("up/" + victim)).c_str(), 0644);
            EXPECT_EQ(s.local.Read("up/" + victim), victim) << "an unreadable file stays";
        }
        s.ExpectStillConnected();
    }
}

TEST(LocalFaults, AFolderRemovedWhileItsDownloadRunsStopsWithTheReasonAndKeepsTheRest) {
    // The user removes the folder as its first file is asked for; with four connections, as
    // its subfolder is read (a file's lines come once it is through).
    for (const auto& [transfers, trigger] : {std::pair(1, ">RETR /tree/"), {4, " /tree/sub"}}) {
        SCOPED_TRACE(transfers);
        Session s(false);
        for (const char* path : {"tree/a.bin", "tree/b.bin", "tree/sub/c.bin"}) {
            s.server.Root().Write(path, std::string(5000, 'x'));
        }
        s.local.Write("keep.txt", "mine");
        ASSERT_TRUE(s.Connect(transfers)) << s.app.Log();
        const std::size_t boxesBefore = s.app.Win().Boxes().size();
        s.OnFirstLog(trigger, [&](const std::string&) {
            // Other connections may be writing in it meanwhile, as for a user's rm -r.
            std::error_code error;
            while (fs::remove_all(s.local / "tree", error) == static_cast<std::uintmax_t>(-1)) {
            }
        });
        s.Menu(res::kRemoteList, res::kCmdDownload, {"tree"});

        const auto boxes = s.Boxes(boxesBefore + 1);
        EXPECT_EQ(boxes, std::vector<std::string>{platform::SystemErrorText(ENOENT)})
            << "one message for the folder, not one per file";
        EXPECT_TRUE(s.app.Log().ends_with(Text(res::kTextDownloadIncomplete))) << s.app.Log();
        EXPECT_FALSE(fs::exists(s.local / "tree")) << "the removed folder is not made again";
        EXPECT_EQ(s.local.Read("keep.txt"), "mine");
        s.ExpectStillConnected();
    }
}

} // namespace
