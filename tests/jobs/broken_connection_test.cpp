// Every job with the server gone at each of its steps: after each command it sends, the control
// connection is closed or reset before any answer; after each announced data connection, the
// server leaves without it, cuts it half way or resets it. Whatever the step, the job must end
// by itself as a lost connection (the log ends with "Disconnected."), keep every local file and
// partial download, and leave the program ready to connect again with its settings whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "support/app_support.h"
#include "support/scripted_ftp_server.h"

using testsupport::HeadlessApp;
using testsupport::Script;
using testsupport::ScriptAction;
using testsupport::ScriptStep;
using testsupport::TempDir;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

std::string Line(const std::string& permissions, std::size_t size, const std::string& name) {
    return permissions + " 1 owner group " + std::to_string(size) + " Jan  1  2020 " + name +
           "\r\n";
}
const std::string kFile = "-rw-r--r--";
const std::string kFolder = "drwxr-xr-x";

// The server's tree: a.txt and tree/one.txt, tree/sub/big.bin.
const std::string kOne = "one\r\n";
const std::string kBig(100000, 'b');
const std::string kRootListing = Line(kFolder, 0, "tree") + Line(kFile, 3, "a.txt");
const std::string kTreeListing = Line(kFile, kOne.size(), "one.txt") + Line(kFolder, 0, "sub");
const std::string kSubListing = Line(kFile, kBig.size(), "big.bin");

Script& Store(Script& s, const std::string& type, const std::string& path) {
    return s.DataPreparation(type)
        .On("STOR " + path)
        .Reply("150 Go ahead.\r\n")
        .ReceiveData()
        .Reply("226 Stored.\r\n");
}
Script& Command(Script& s, const std::string& command, const std::string& reply) {
    return s.On(command).Reply(reply);
}
// The deletion of tree/ with everything in it, each folder listed from inside, breadth first.
Script& DeleteTree(Script& s) {
    Command(s, "CWD /tree", "250 Here.\r\n").Listing("LIST -a", kTreeListing);
    Command(s, "CWD /", "250 Back.\r\n");
    Command(s, "DELE /tree/one.txt", "250 Gone.\r\n");
    Command(s, "CWD /tree/sub", "250 Here.\r\n").Listing("LIST -a", kSubListing);
    Command(s, "CWD /", "250 Back.\r\n");
    Command(s, "DELE /tree/sub/big.bin", "250 Gone.\r\n");
    Command(s, "RMD /tree/sub", "250 Gone.\r\n");
    return Command(s, "RMD /tree", "250 Gone.\r\n");
}

// Login, PWD answering `folder`, and the listing of the connect job.
Script Connected(const std::string& folder = "/") {
    Script s;
    s.Login().On("PWD").Reply("257 \"" + folder + "\" is current directory.\r\n");
    return s.Listing("LIST", kRootListing);
}

void Menu(HeadlessApp& app, int list, int command, const std::vector<std::string>& rows) {
    ASSERT_TRUE(app.Win().Select(list, rows));
    app.Win().QueueMenuChoice(command);
    app.Win().RightClick(list);
}

struct Job {
    const char* name;
    // Files of the local folder, by path below it.
    std::map<std::string, std::string> local;
    // The job's whole exchange; for the connect job from the greeting on, for the others after
    // the connect's.
    std::function<void(Script&)> exchange;
    std::function<void(HeadlessApp&)> start; // the user's action; every question answers Yes
    bool isConnect = false;
};

void PrintTo(const Job& job, std::ostream* out) {
    *out << job.name;
}

const std::vector<Job>& Jobs() {
    static const std::vector<Job> jobs = {
        {"Connect",
         {},
         [](Script& s) {
             // The host's saved folder is entered before the listing.
             s.Login().On("PWD").Reply("257 \"/\" is current directory.\r\n");
             Command(s, "CWD /saved", "250 OK.\r\n").Listing("LIST", kRootListing);
         },
         [](HeadlessApp& app) { app.Win().Click(res::kConnectButton); },
         true},
        {"Refresh",
         {},
         [](Script& s) { Command(s, "CWD /", "250 OK.\r\n").Listing("LIST", kRootListing); },
         [](HeadlessApp& app) { app.Win().Click(res::kRemoteRefreshButton); }},
        {"ChangeFolder",
         {},
         [](Script& s) { Command(s, "CWD /tree", "250 OK.\r\n").Listing("LIST", kTreeListing); },
         [](HeadlessApp& app) { app.Win().Activate(res::kRemoteList, "tree"); }},
        {"DownloadTree",
         {{"tree/kept.txt", "mine"}},
         [](Script& s) {
             s.Listing("LIST /tree", kTreeListing);
             s.Retrieval("A", "/tree/one.txt", kOne);
             s.Listing("LIST /tree/sub", kSubListing);
             s.Retrieval("I", "/tree/sub/big.bin", kBig);
         },
         [](HeadlessApp& app) { Menu(app, res::kRemoteList, res::kCmdDownload, {"tree"}); }},
        {"UploadTree",
         {{"up/one.txt", kOne}, {"up/sub/two.bin", std::string(300000, 't')}},
         [](Script& s) {
             Command(s, "MKD up", "257 Created.\r\n");
             s.Listing("LIST /up", "");
             Store(s, "A", "/up/one.txt");
             Command(s, "MKD up/sub", "257 Created.\r\n");
             s.Listing("LIST /up/sub", "");
             Store(s, "I", "/up/sub/two.bin");
             s.Listing("LIST", kRootListing);
         },
         [](HeadlessApp& app) { Menu(app, res::kLocalList, res::kCmdLocalUpload, {"up"}); }},
        {"MirrorWithDeletes",
         {{"a.txt", "new"}},
         [](Script& s) {
             DeleteTree(s);
             Store(s, "A", "/a.txt");
             s.Listing("LIST", kRootListing);
         },
         [](HeadlessApp& app) { app.Win().Click(res::kMirrorButton); }},
        {"DeleteTree",
         {},
         [](Script& s) { DeleteTree(s).Listing("LIST", kRootListing); },
         [](HeadlessApp& app) { Menu(app, res::kRemoteList, res::kCmdRemoteDelete, {"tree"}); }},
        {"Rename",
         {},
         [](Script& s) {
             Command(Command(s, "RNFR a.txt", "350 Ready.\r\n"), "RNTO b.txt", "250 Done.\r\n");
             s.Listing("LIST", kRootListing);
         },
         [](HeadlessApp& app) {
             Menu(app, res::kRemoteList, res::kCmdRemoteRename, {"a.txt"});
             app.Win().EndLabel(res::kRemoteList, "b.txt", false);
         }},
        {"CreateFolder",
         {},
         [](Script& s) { Command(s, "MKD new", "257 Created.\r\n").Listing("LIST", kRootListing); },
         [](HeadlessApp& app) {
             Menu(app, res::kRemoteList, res::kCmdRemoteCreateFolder, {});
             app.Win().EndLabel(res::kRemoteList, "new", false);
         }},
        {"Permission",
         {},
         [](Script& s) {
             Command(s, "SITE CHMOD 600 a.txt", "200 Done.\r\n").Listing("LIST", kRootListing);
         },
         [](HeadlessApp& app) {
             app.Win().QueueDialogDriver([](headless::HeadlessDialog& d) {
                 d.Type(res::kPermModeEdit, "600");
                 d.Click(res::kIdOk);
             });
             Menu(app, res::kRemoteList, res::kCmdPermission, {"a.txt"});
         }},
    };
    return jobs;
}

// How the server leaves at the step where it breaks off.
enum class Break {
    Close,     // the command arrives, the connection closes unanswered
    Reset,     // the same with an RST
    NoData,    // a data command is accepted with 150, then the server closes
    DataCut,   // ... sends half its data, then closes both
    DataReset, // ... resets the data connection half way, then resets the control one
};
const char* BreakName(Break b) {
    static const char* names[] = {"close", "reset", "150 then close", "data cut", "data reset"};
    return names[static_cast<int>(b)];
}

bool IsDataStep(const ScriptStep& step) {
    for (const ScriptAction& a : step.actions) {
        if (a.kind == ScriptAction::Kind::SendData || a.kind == ScriptAction::Kind::ReceiveData) {
            return true;
        }
    }
    return false;
}

// The first `step` + 1 steps of `full`, the last one broken off as `how` says. Returns the bytes
// the server sends of a data transfer there (what a partial download must hold).
Script BreakAt(const Script& full, std::size_t step, Break how, std::string& sent) {
    Script s;
    s.steps.assign(full.steps.begin(), full.steps.begin() + static_cast<long>(step) + 1);
    ScriptStep& last = s.steps.back();
    std::string data;
    bool upload = false;
    for (const ScriptAction& a : last.actions) {
        if (a.kind == ScriptAction::Kind::SendData) {
            data = a.bytes;
        }
        upload = upload || a.kind == ScriptAction::Kind::ReceiveData;
    }
    const std::string preliminary = last.actions.empty() ? "" : last.actions.front().bytes;
    last.actions.clear();
    sent = data.substr(0, data.size() / 2);
    switch (how) {
    case Break::Close:
        s.Close();
        break;
    case Break::Reset:
        s.Reset();
        break;
    case Break::NoData:
        s.Reply(preliminary).Close();
        break;
    case Break::DataCut:
        s.Reply(preliminary);
        if (upload) {
            s.ResetDataOnArrival(); // the server takes the first bytes and goes
        } else {
            s.SendData(sent);
        }
        s.Close();
        break;
    case Break::DataReset:
        s.Reply(preliminary);
        if (upload) {
            s.ResetDataOnArrival();
        } else {
            s.ResetData(sent);
        }
        s.Reset();
        break;
    }
    return s;
}

class BrokenConnection : public ::testing::TestWithParam<Job> {
protected:
    // Connects (unless the job is the connect) and starts the job; true when it ended.
    bool Run(HeadlessApp& app, const TempDir& local, const testsupport::ScriptedFtpServer& server) {
        const Job& job = GetParam();
        for (const auto& [path, content] : job.local) {
            local.Write(path, content);
        }
        app.WriteSettings(testsupport::SettingsFile()
                              .SetHost(0, {"127.0.0.1:" + std::to_string(server.Port()), "u", "p",
                                           local.Path(), job.isConnect ? "/saved" : ""})
                              .Body());
        app.Open();
        app.Win().SetDefaultAnswer(win::kAnswerYes);
        if (!job.isConnect) {
            app.Win().Click(res::kConnectButton);
            app.WaitIdle();
            EXPECT_TRUE(app.dialog->View().m_connected) << app.Log();
        }
        job.start(app);
        return app.Win().PumpUntil([&] { return !app.dialog->View().m_busy; },
                                   std::chrono::seconds(10));
    }

    // After the break: the state of a lost connection and the log ending with its one
    // "Disconnected." (and `after`), the local files, a second connection (its PWD naming the
    // folder the host saved) and the settings the window writes at the end.
    void ExpectRecovered(HeadlessApp& app, const TempDir& local, const std::string& after) {
        EXPECT_FALSE(app.dialog->View().m_busy);
        EXPECT_FALSE(app.dialog->View().m_connected);
        // Said once, and last: nothing is sent on the lost connection, no second loss follows.
        const std::string log = app.Log();
        const std::string end = Text(res::kTextDisconnected) + after;
        EXPECT_TRUE(log.ends_with(end)) << log;
        EXPECT_EQ(log.find(Text(res::kTextDisconnected)), log.size() - end.size()) << log;
        // Nothing already on the local disk is lost.
        for (const auto& [path, content] : GetParam().local) {
            EXPECT_EQ(local.Read(path), content) << path;
        }
        EXPECT_TRUE(app.Win().Get(res::kRemotePathCombo).IsEnabled());
        EXPECT_TRUE(app.Win().Get(res::kHostTab).IsEnabled());

        const std::string folder = app.dialog->View().m_hosts[0].serverFolder;
        testsupport::ScriptedFtpServer again(Connected(folder.empty() ? "/" : folder));
        const std::string address = "127.0.0.1:" + std::to_string(again.Port());
        app.Win().Type(res::kServerNameEdit, address);
        app.Win().Click(res::kConnectButton);
        app.WaitIdle();
        EXPECT_TRUE(app.dialog->View().m_connected) << app.Log();
        again.Stop();
        EXPECT_EQ(again.Problems(), "");

        ASSERT_TRUE(app.Close());
        EXPECT_EQ(app.Setting("Sname"), address + ";" + std::string(29, ';'));
        EXPECT_EQ(app.Setting("Uname"), "u" + std::string(30, ';'));
        EXPECT_EQ(app.Setting("pin"), "p" + std::string(30, ';'));
        EXPECT_EQ(app.Setting("lc"), local.Path() + std::string(30, ';'));
    }
};

TEST_P(BrokenConnection, AtEveryStepTheJobEndsDisconnectedAndTheProgramConnectsAgain) {
    const Job& job = GetParam();
    Script full;
    std::size_t first = 0; // the job's first step
    if (job.isConnect) {
        job.exchange(full);
    } else {
        full = Connected();
        first = full.steps.size();
        job.exchange(full);
    }

    {
        // The whole exchange as scripted: the job runs to its end.
        testsupport::ScriptedFtpServer server(full);
        HeadlessApp app;
        TempDir local;
        ASSERT_TRUE(Run(app, local, server)) << app.Log();
        app.WaitIdle();
        EXPECT_TRUE(app.dialog->View().m_connected) << app.Log();
        ASSERT_TRUE(app.Close());
        server.Stop();
        ASSERT_EQ(server.Problems(), "") << app.Log();
    }

    int runs = 0;
    for (std::size_t step = first; step < full.steps.size(); ++step) {
        for (Break how :
             {Break::Close, Break::Reset, Break::NoData, Break::DataCut, Break::DataReset}) {
            const bool dataBreak = how != Break::Close && how != Break::Reset;
            if (dataBreak != IsDataStep(full.steps[step])) {
                continue;
            }
            SCOPED_TRACE(std::string(BreakName(how)) + " at \"" + full.steps[step].expect + "\"");
            std::string sent;
            const Script script = BreakAt(full, step, how, sent);
            testsupport::ScriptedFtpServer server(script);
            HeadlessApp app;
            TempDir local;
            if (!Run(app, local, server)) {
                // A job that never ends would hold the test for ever: stop here, loudly.
                std::cerr << "the job hangs: " << BreakName(how) << " at "
                          << full.steps[step].expect << "\n"
                          << app.Log() << std::endl;
                std::abort();
            }
            app.WaitIdle();
            ++runs;
            const std::string& command = full.steps[step].expect;
            if (command.starts_with("RETR /") && !sent.empty()) {
                // The bytes that arrived stay beside the file for a later resume; a reset may
                // lose some.
                const std::string part = command.substr(6) + ".ftpquorrel-part";
                const std::string path = local / part;
                ASSERT_TRUE(fs::exists(path)) << path;
                if (how == Break::DataCut) {
                    EXPECT_EQ(local.Read(part), sent);
                } else {
                    EXPECT_LE(fs::file_size(path), sent.size());
                }
            }
            // Before the login and the FEAT after it are through, the connect job adds that it
            // could not connect.
            const bool loggingIn = job.isConnect && step <= 3;
            ExpectRecovered(app, local, loggingIn ? Text(res::kTextCannotConnect) : "");
            server.Stop();
            EXPECT_EQ(server.Problems(), "");
            if (HasFailure()) {
                return; // one broken step tells enough; the rest would repeat it
            }
        }
    }
    EXPECT_GT(runs, 0);
}

INSTANTIATE_TEST_SUITE_P(Jobs, BrokenConnection, ::testing::ValuesIn(Jobs()),
                         [](const ::testing::TestParamInfo<Job>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

namespace {

// Cancel during a download over four connections: one question for all of them, every one
// stops, and what arrived stays beside its file for the next download to resume.
TEST(ExtraConnections, OneCancelStopsThemAllAndLeavesPartsToResume) {
    testsupport::PyFtpdServer server;
    server.SlowDown(40);
    ASSERT_TRUE(server.Start());
    const std::string content(300000, 'c');
    for (int i = 0; i < 6; ++i) {
        server.Root().Write("tree/f" + std::to_string(i) + ".bin", content);
    }
    TempDir local;
    HeadlessApp app;
    ASSERT_TRUE(testsupport::OpenAndConnect(app, server, local.Path(), 4, true)) << app.Log();
    // The sizes of the parts there are.
    auto parts = [&] {
        std::vector<std::uintmax_t> sizes;
        for (int i = 0; i < 6; ++i) {
            const fs::path part = local / ("tree/f" + std::to_string(i) + ".bin.ftpquorrel-part");
            std::error_code error;
            const std::uintmax_t size = fs::file_size(part, error);
            if (!error) {
                sizes.push_back(size);
            }
        }
        return sizes;
    };
    Menu(app, res::kRemoteList, res::kCmdDownload, {"tree"});
    // Two files on their way, one of them with bytes in it.
    ASSERT_TRUE(app.Win().PumpUntil(
        [&] {
            const std::vector<std::uintmax_t> sizes = parts();
            return sizes.size() >= 2 && *std::max_element(sizes.begin(), sizes.end()) > 0;
        },
        std::chrono::seconds(10)))
        << app.Log();
    app.Win().Click(res::kCancelButton);
    ASSERT_TRUE(
        app.Win().PumpUntil([&] { return !app.dialog->View().m_busy; }, std::chrono::seconds(20)))
        << app.Log();
    app.WaitIdle();
    int questions = 0;
    for (const auto& box : app.Win().Boxes()) {
        questions += box.text == Text(res::kTextCancelDownload) ? 1 : 0;
    }
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextDownloadCanceled))) << app.Log();
    EXPECT_TRUE(app.dialog->View().m_connected);
    const std::vector<std::uintmax_t> left = parts();
    EXPECT_GE(left.size(), 2u) << app.Log();
    for (std::uintmax_t size : left) {
        EXPECT_LT(size, content.size());
    }

    // Again: the parts resume (Yes), the rest comes whole.
    Menu(app, res::kRemoteList, res::kCmdDownload, {"tree"});
    app.WaitIdle();
    EXPECT_NE(app.Log().find(">REST "), std::string::npos) << app.Log();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(local.Read("tree/f" + std::to_string(i) + ".bin"), content) << i;
    }
}

// An extra connection of a transfer job ends at each command it sends, closed or reset without
// an answer: the file it had goes over another connection, once, and the job ends whole with
// the browsing connection kept and the counts of one connection. An end before its login is
// through is a connection the server refused.
TEST(BrokenExtraConnection, AtEachCommandItsFileGoesAgainAndTheJobEndsWhole) {
    struct Direction {
        const char* name;
        int pane, command;
        std::string closing; // the job's closing lines
    };
    const Direction directions[] = {
        {"download", res::kRemoteList, res::kCmdDownload,
         "12" + Text(res::kTextFilesDownloaded) + Text(res::kTextDownloadCompleted)},
        {"upload", res::kLocalList, res::kCmdLocalUpload,
         Text(res::kTextUploadCompleted) + "12" + Text(res::kTextFilesUploaded)},
    };
    for (const Direction& d : directions) {
        for (int command = 1;; ++command) {
            SCOPED_TRACE(std::string(d.name) + ", command " + std::to_string(command));
            testsupport::PyFtpdServer server;
            server.BreakAt(2, command, command % 2 == 0);
            ASSERT_TRUE(server.Start());
            TempDir local;
            TempDir& from = d.pane == res::kRemoteList ? server.Root() : local;
            for (int i = 0; i < 12; ++i) {
                from.Write("tree/f" + std::to_string(i) + ".bin", std::string(20000 + i, 'a' + i));
            }
            HeadlessApp app;
            ASSERT_TRUE(testsupport::OpenAndConnect(app, server, local.Path(), 4, true))
                << app.Log();
            Menu(app, d.pane, d.command, {"tree"});
            ASSERT_TRUE(app.Win().PumpUntil([&] { return !app.dialog->View().m_busy; },
                                            std::chrono::seconds(20)))
                << app.Log();
            app.WaitIdle();
            const std::string broken = server.BrokenAt();
            if (broken.empty()) {
                EXPECT_GT(command, 4) << "the extra connection logged in" << app.Log();
                break; // it sent fewer commands
            }
            SCOPED_TRACE("ended at " + broken);
            const std::string log = app.Log();
            EXPECT_TRUE(app.dialog->View().m_connected) << log;
            EXPECT_TRUE(log.ends_with(d.closing)) << log;
            for (int i = 0; i < 12; ++i) {
                const std::string path = "tree/f" + std::to_string(i) + ".bin";
                EXPECT_EQ(server.Root().Read(path), local.Read(path)) << path;
            }
            const bool refused = log.find(Text(res::kTextFewerConnections)) != std::string::npos;
            const bool lost = log.find(Text(res::kTextLaneLostRetry)) != std::string::npos;
            EXPECT_EQ(refused,
                      broken == "USER" || broken == "PASS" || broken == "FEAT" || broken == "CWD")
                << log;
            EXPECT_EQ(lost, broken == "RETR" || broken == "STOR" || broken == "EPSV" ||
                                (broken == "TYPE" && !refused))
                << log;
        }
    }
}

} // namespace
