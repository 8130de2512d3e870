// Listings whose names try to lead a job out of its folder, as each job meets them in a
// subfolder: download, upload decisions, remote delete and mirroring. Whatever the names, the
// server hears only what the folder holds, nothing lands or goes outside it, and the job ends
// with its outcome line.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "hostile/hostile_support.h"
#include "platform/system_error.h"

namespace hostile {
namespace {

using Extra = std::function<void(testsupport::Script&)>;

struct Case {
    const char* group;
    Extra extra;                    // the dialogue the group's names add, after the listing
    int outcome;                    // the job's last outcome line
    std::vector<std::string> files; // what the group adds below the folder
};

const NameGroup& Group(const std::string& label) {
    for (const NameGroup& g : NameGroups()) {
        if (label == g.label) {
            return g;
        }
    }
    ADD_FAILURE() << label;
    return NameGroups().front();
}

void Nothing(testsupport::Script&) {}

// Each transfer job runs with one connection and with four simultaneous transfers; this server
// turns every further connection away, so the dialogue with it stays the same.
std::string Transfers(int count) {
    return "transfers=" + std::to_string(count) + "\r\n";
}

// One run: the scripted server, a work folder holding the local folder, the program.
struct Session {
    void Start(testsupport::Script script, const std::string& extraSettings = "") {
        server = std::make_unique<testsupport::ScriptedFtpServer>(std::move(script));
        fs::create_directories(work / "local");
        OpenAndConnect(app, server->Port(), work / "local", extraSettings);
        ASSERT_TRUE(app.dialog->View().m_connected) << app.Log();
    }
    // The server heard exactly its script.
    void ExpectDialogueKept() {
        server->Stop();
        EXPECT_EQ(server->Problems(), "");
    }

    testsupport::TempDir work;
    HeadlessApp app;
    std::unique_ptr<testsupport::ScriptedFtpServer> server;
};

TEST(HostileNames, DownloadWritesOnlyInsideTheLocalFolder) {
    const Case cases[] = {
        {"dot names", Nothing, res::kTextDownloadCompleted, {}},
        {"separators", Nothing, res::kTextDownloadIncomplete, {}},
        {"control characters", Nothing, res::kTextDownloadIncomplete, {}},
        {"zero byte", Nothing, res::kTextDownloadCompleted, {}},
        // Too long for a local name: the server is asked, the local file cannot be made.
        {"5,000 bytes",
         [](testsupport::Script& s) {
             s.DataPreparation("I")
                 .On("RETR /d/" + kLongName)
                 .Reply("150 Sending.\r\n")
                 .Pause(100)
                 .Reply("226 Sent.\r\n");
         },
         res::kTextDownloadIncomplete,
         {}},
        {"letter case",
         [](testsupport::Script& s) {
             s.Retrieval("I", "/d/Same.bin", "S1");
             s.Retrieval("I", "/d/same.bin", "s2");
         },
         res::kTextDownloadCompleted,
         {"local/d/Same.bin", "local/d/same.bin"}},
    };
    for (const int transfers : {1, 4}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.group) + ", transfers: " + std::to_string(transfers));
            testsupport::Script script = testsupport::Script::Connected(Folder("d"));
            script.Listing("LIST /d", File("ok.bin") + Group(c.group).lines);
            script.Retrieval("I", "/d/ok.bin", "ok");
            c.extra(script);
            Session run;
            run.Start(std::move(script), Transfers(transfers));
            const std::string log =
                RunMenu(run.app, res::kRemoteList, {"d"}, res::kCmdDownload, {win::kAnswerYes});
            run.ExpectDialogueKept();
            EXPECT_TRUE(log.ends_with(Text(c.outcome))) << log;
            std::set<std::string> expected = {"local", "local/d", "local/d/ok.bin"};
            expected.insert(c.files.begin(), c.files.end());
            EXPECT_EQ(Tree(run.work.Path()), expected);
        }
    }
}

// Names that only look like the local file, listed as newer: none may stop its upload.
const std::string kLookAlikes = File("OK.bin", "Jan 1 2029") + File("./ok.bin", "Jan 1 2029") +
                                File("d/ok.bin", "Jan 1 2029") + File("ok.bin ", "Jan 1 2029");

void Store(testsupport::Script& script, const std::string& path) {
    script.DataPreparation("I")
        .On("STOR " + path)
        .Reply("150 Ok to send data.\r\n")
        .ReceiveData()
        .Reply("226 Stored.\r\n");
}

TEST(HostileNames, UploadSendsTheLocalFileWhateverTheListingSays) {
    for (const int transfers : {1, 4}) {
        for (const NameGroup& group : NameGroups()) {
            SCOPED_TRACE(std::string(group.label) + ", transfers: " + std::to_string(transfers));
            testsupport::Script script = testsupport::Script::Connected(Folder("d"));
            script.On("MKD d").Reply("550 Exists.\r\n");
            script.Listing("LIST /d", group.lines + kLookAlikes);
            Store(script, "/d/ok.bin");
            Session run;
            run.work.Write("local/d/ok.bin", "ok");
            run.Start(std::move(script), Transfers(transfers));
            const std::string log =
                RunMenu(run.app, res::kLocalList, {"d"}, res::kCmdLocalUpload, {win::kAnswerYes});
            run.ExpectDialogueKept();
            EXPECT_EQ(run.server->DataReceived(), "ok");
            EXPECT_TRUE(log.ends_with(Text(res::kTextUploadCompleted) + "1" +
                                      Text(res::kTextFilesUploaded)))
                << log;
            EXPECT_EQ(Tree(run.work.Path()),
                      (std::set<std::string>{"local", "local/d", "local/d/ok.bin"}));
        }
    }
}

// The delete of a folder whose listing holds the group's names: only names of that folder go.
TEST(HostileNames, DeleteTreeRemovesOnlyWhatIsInsideTheFolder) {
    const Case cases[] = {
        // Dot names are listed for a delete: "." and ".." are passed over, the others are
        // refused and keep the folder.
        {"dot names", Nothing, res::kTextDeleteIncomplete, {}},
        {"separators", Nothing, res::kTextDeleteIncomplete, {}},
        {"control characters", Nothing, res::kTextDeleteIncomplete, {}},
        {"zero byte", Nothing, res::kTextDeleteCompleted, {}},
        {"5,000 bytes",
         [](testsupport::Script& s) { s.On("DELE /d/" + kLongName).Reply("250 Gone.\r\n"); },
         res::kTextDeleteCompleted,
         {}},
        {"letter case",
         [](testsupport::Script& s) {
             s.On("DELE /d/Same.bin").Reply("250 Gone.\r\n");
             s.On("DELE /d/same.bin").Reply("250 Gone.\r\n");
         },
         res::kTextDeleteCompleted,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        testsupport::Script script = testsupport::Script::Connected(Folder("d"));
        script.On("CWD /d").Reply("250 Here.\r\n");
        script.Listing("LIST -a", File("ok.bin") + Group(c.group).lines);
        script.On("CWD /").Reply("250 Back.\r\n");
        script.On("DELE /d/ok.bin").Reply("250 Gone.\r\n");
        c.extra(script);
        script.On("RMD /d").Reply("250 Removed.\r\n");
        script.Listing("LIST", "");
        Session run;
        run.Start(std::move(script));
        const std::string log =
            RunMenu(run.app, res::kRemoteList, {"d"}, res::kCmdRemoteDelete, {win::kAnswerYes});
        run.ExpectDialogueKept();
        EXPECT_NE(log.find(Text(c.outcome)), std::string::npos) << log;
        EXPECT_TRUE(log.ends_with(Text(res::kTextFilesDeleted))) << log;
    }
}

// Mirroring with deletes unconfirmed: extras inside the folder go, the group's unsafe names
// stay, and the local side is never touched.
TEST(HostileNames, MirroringDeletesOnlyInsideTheFolderAndLeavesTheLocalSideAlone) {
    const Case cases[] = {
        {"dot names", Nothing, res::kTextMirroringCompleted, {}},
        {"separators", Nothing, res::kTextMirroringCompleted, {}},
        {"control characters", Nothing, res::kTextMirroringCompleted, {}},
        {"zero byte", Nothing, res::kTextMirroringCompleted, {}},
        {"5,000 bytes",
         [](testsupport::Script& s) { s.On("DELE /d/" + kLongName).Reply("250 Gone.\r\n"); },
         res::kTextMirroringCompleted,
         {}},
        {"letter case",
         [](testsupport::Script& s) {
             s.On("DELE /d/Same.bin").Reply("250 Gone.\r\n");
             s.On("DELE /d/same.bin").Reply("250 Gone.\r\n");
         },
         res::kTextMirroringCompleted,
         {}},
    };
    for (const int transfers : {1, 4}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.group);
            testsupport::Script script = testsupport::Script::Connected(Folder("d"));
            script.On("MKD d").Reply("550 Exists.\r\n");
            script.Listing("LIST /d", Group(c.group).lines);
            c.extra(script);
            Store(script, "/d/ok.bin");
            Session run;
            run.work.Write("local/d/ok.bin", "ok");
            run.Start(std::move(script), "c2=1\r\n" + Transfers(transfers));
            const std::size_t before = run.app.Log().size();
            run.app.Win().QueueAnswer(win::kAnswerYes);
            run.app.Win().Click(res::kMirrorButton);
            run.app.WaitIdle();
            const std::string log = run.app.Log().substr(before);
            run.ExpectDialogueKept();
            EXPECT_NE(log.find(Text(c.outcome) + "1" + Text(res::kTextFilesUploaded)),
                      std::string::npos)
                << log;
            EXPECT_EQ(Tree(run.work.Path()),
                      (std::set<std::string>{"local", "local/d", "local/d/ok.bin"}));
        }
    }
}

} // namespace
} // namespace hostile
