// Whole user actions, through script mode, against real servers nobody here wrote: vsftpd,
// proftpd, pure-ftpd and pyftpdlib, each plain and with explicit TLS 1.3 and TLS 1.2, in active
// and in passive mode. Every file that crosses is compared byte for byte. Needs root (the
// servers log in a system user) and the servers that scripts/setup --tests installs.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/app_support.h"
#include "support/script_program.h"
#include "support/server_process.h"

using testsupport::TempDir;
using testsupport::Text;
namespace fs = std::filesystem;

namespace {

constexpr const char* kUser = "quorrelftp"; // made by the launcher when missing
constexpr const char* kPassword = "Quorrel-peer-1";

enum class Security { Plain, Tls13, Tls12 };

// One cell of the table: a server, how it is secured, and the data connection's mode. `quirk`
// says what the server does that a client must live with; the actions are the same for all.
struct Cell {
    const char* server;
    Security security;
    bool passive;
    const char* quirk;
};

const char* kVsftpdQuirk = "no MLSD (MDTM, and MDTM with a time to set one); ASCII stored and "
                           "sent unconverted; REST refused at RETR in ASCII";
const char* kProftpdQuirk = "MLSD without link targets; ASCII converted both ways; no TLS 1.3 "
                            "ticket on upload connections";
const char* kPureQuirk = "MLSD without link targets; OPTS UTF8 unknown; LIST splits its "
                         "argument at spaces; ASCII uploads lose every CR";
const char* kPyftpdlibQuirk = "no FEAT here: offers none of MLSD, MDTM, MFMT, UTF8; LIST shows "
                              "dot names; LIST -a takes no path";

std::vector<Cell> Cells() {
    std::vector<Cell> cells;
    const std::pair<const char*, const char*> servers[] = {{"vsftpd", kVsftpdQuirk},
                                                           {"proftpd", kProftpdQuirk},
                                                           {"pure-ftpd", kPureQuirk},
                                                           {"pyftpdlib", kPyftpdlibQuirk}};
    for (const auto& [server, quirk] : servers) {
        for (Security security : {Security::Plain, Security::Tls13, Security::Tls12}) {
            for (bool passive : {false, true}) {
                cells.push_back({server, security, passive, quirk});
            }
        }
    }
    return cells;
}

std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
    std::string name = info.param.server;
    std::erase(name, '-');
    const char* security[] = {"plain", "tls13", "tls12"};
    return name + "_" + security[static_cast<int>(info.param.security)] +
           (info.param.passive ? "_passive" : "_active");
}

void PrintTo(const Cell& cell, std::ostream* out) {
    *out << cell.server << " (" << cell.quirk << ")";
}

// A tree as text: "dir", "link -> target" or "file" with the size and a hash of the content
// (readable where two trees differ) for each path below `root`.
using Tree = std::map<std::string, std::string>;

std::string FileText(const std::string& content) {
    return "file " + std::to_string(content.size()) + " bytes #" +
           std::to_string(std::hash<std::string>()(content) % 1000000007);
}

Tree Snapshot(const fs::path& root) {
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
        const std::string path = it->path().lexically_relative(root).string();
        if (it->is_symlink()) {
            tree[path] = "link -> " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            tree[path] = "dir";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            tree[path] = FileText(std::string(std::istreambuf_iterator<char>(in), {}));
        }
    }
    return tree;
}

// What a download of `items` from `tree` brings: dot names and links below the top stay.
Tree Downloaded(const Tree& tree, const std::set<std::string>& items) {
    Tree out;
    for (const auto& [path, what] : tree) {
        const fs::path p(path);
        bool below = false;
        bool hidden = false;
        for (const auto& part : p) {
            hidden = hidden || (below && part.string()[0] == '.');
            below = true;
        }
        const bool linkBelow = what.starts_with("link") && p.has_parent_path();
        if (items.count(p.begin()->string()) && !hidden && !linkBelow) {
            out[path] = what;
        }
    }
    return out;
}

std::string Bytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data) {
        c = static_cast<char>(random());
    }
    return data + "\r\n\n\r"; // line-end bytes of every kind, which image mode leaves alone
}

void SetTime(const fs::path& path, std::time_t when) {
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

constexpr std::time_t k2019 = 1546300800;
constexpr std::time_t k2020 = 1577836800;

class Interop : public ::testing::TestWithParam<Cell> {
protected:
    static void SetUpTestSuite() {
        s_certificates = std::make_unique<TempDir>();
        // proftpd wants an RSA key where it is told to find one.
        const std::string pem = *s_certificates / "server.pem";
        ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                               "/CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                               pem + "' -out '" + pem + "' >/dev/null 2>&1")
                                  .c_str()),
                  0);
    }
    static void TearDownTestSuite() { s_certificates.reset(); }

    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root: the servers log in a system user";
        }
        const Cell& cell = GetParam();
        const std::string launcher = QUORREL_SOURCE_DIR "/tests/interop/ftp_peer.py";
        std::vector<std::string> argv = {"/usr/bin/python3",
                                         launcher,
                                         cell.server,
                                         "{port}",
                                         work.Path(),
                                         "--lifetime",
                                         "300",
                                         "--pasv",
                                         std::to_string(m_pasv) + ":" +
                                             std::to_string(m_pasv + kPasvPorts - 1)};
        if (cell.security != Security::Plain) {
            argv.insert(argv.end(), {"--tls", cell.security == Security::Tls13 ? "1.3" : "1.2",
                                     "--cert", *s_certificates / "server.pem"});
        }
        ASSERT_TRUE(server.Start("127.0.0.1", argv, false, work / "server.out"))
            << cell.server << " did not start (scripts/setup --tests installs it):\n"
            << work.Read("server.out");
        const passwd* user = ::getpwnam(kUser);
        ASSERT_NE(user, nullptr);
        MakeServerTrees(user->pw_uid, user->pw_gid);
        MakeLocalTrees();
    }

    // The server's side, owned by the user it logs in.
    void MakeServerTrees(uid_t uid, gid_t gid) {
        remote.Write("dtree/plain.txt", "first line\nsecond\rhas a lone CR\n\nlast\n");
        remote.Write("dtree/page.html", "<html>\n<body>x</body>\n</html>\n");
        remote.Write("dtree/data.bin", Bytes(300000, 1));
        remote.Write("dtree/empty.bin", "");
        remote.Write("dtree/dir with spaces/inner file.txt", "inner\ntext\n");
        remote.Write("dtree/dir with spaces/deeper/x y.bin", Bytes(5000, 2));
        remote.Write("dtree/dir with spaces/.hidden", "not downloaded");
        remote.Write("dtree/Grüße/ünïcödé.txt", "utf-8\n");
        remote.Write("dtree/d04/file.bin", Bytes(100, 3));
        fs::create_directories(remote / "dtree/empty");
        fs::create_directory_symlink("d04", remote / "dtree/lnk_dir");
        fs::create_symlink("../data.bin", remote / "dtree/dir with spaces/link.bin");
        fs::create_directories(remote / "up");
        remote.Write("mirror/stale.txt", "old\n");
        remote.Write("mirror/same.bin", Bytes(2000, 4));
        remote.Write("mirror/extra.bin", "extra");
        remote.Write("mirror/extra dir/f g.bin", "x");
        remote.Write("mirror/extra dir/.dot", "dot");
        remote.Write("mirror/extra dir/sub/.x", "x");
        remote.Write("mirror/.keep", "the server's own");
        SetTime(remote / "mirror/stale.txt", k2019);
        remote.Write("ops/old name.txt", "renamed\n");
        remote.Write("ops/gone.bin", "gone");
        remote.Write("ops/deltree/a b.txt", "a\n");
        remote.Write("ops/deltree/.hidden", "h");
        remote.Write("ops/deltree/sub/.dot", "d");
        remote.Write("ops/deltree/sub/x.bin", "x");
        remote.Write("ops/mode.txt", "mode\n");
        ::chmod(remote.Path().c_str(), 0755);
        for (const auto& entry : fs::recursive_directory_iterator(remote.Path())) {
            ASSERT_EQ(::lchown(entry.path().c_str(), uid, gid), 0) << entry.path();
        }
        ASSERT_EQ(::chown(remote.Path().c_str(), uid, gid), 0);
    }

    void MakeLocalTrees() {
        fs::create_directories(local / "down");
        local.Write("utree/u file.txt", "upload\ntext\n");
        local.Write("utree/u.bin", Bytes(70000, 5));
        local.Write("utree/u dir/x.html", "<p>\n");
        local.Write("utree/u dir/.dotfile", "dot\n");
        local.Write("utree/u dir/nested/ü.bin", Bytes(9000, 6));
        fs::create_directories(local / "utree/u dir/emptysub");
        local.Write("mtree/stale.txt", "new\n");
        local.Write("mtree/same.bin", Bytes(2000, 4));
        local.Write("mtree/new.txt", "new file\n");
        local.Write("mtree/sub dir/a.bin", Bytes(3000, 7));
        for (const char* name : {"stale.txt", "same.bin", "new.txt", "sub dir/a.bin"}) {
            SetTime(local / ("mtree/" + std::string(name)), k2020);
        }
    }

    // Runs the program on Host 1 in the given folders: connect, `actions`, close. Returns the
    // log; the boxes are in Boxes().
    // How a run is set up beyond its folders: the host's time zone (13 is GMT, 0 unset), the
    // option that keeps file times, the program's own zone (TZ; "" leaves the test's).
    struct Setup {
        int hostZone = 13;
        bool keepTimes = false;
        const char* tz = "";
        int transfers = 1; // simultaneous transfers
    };

    std::string Run(const std::string& localFolder, const std::string& serverFolder,
                    const std::string& actions, const Setup& setup) {
        const Cell& cell = GetParam();
        const std::string address = "127.0.0.1:" + std::to_string(server.Port());
        testsupport::SettingsFile settings;
        settings.Set("pasv", cell.passive ? "1" : "0");
        settings.Set("keeptime", setup.keepTimes ? "1" : "0");
        settings.Set("transfers", std::to_string(setup.transfers));
        settings.SetHost(0, {cell.security == Security::Plain ? address : "ftpes://" + address,
                             kUser, kPassword, localFolder, serverFolder, setup.hostZone});
        const std::string savedTz = std::getenv("TZ") ? std::getenv("TZ") : "";
        if (*setup.tz != '\0') {
            ::setenv("TZ", setup.tz, 1);
        }
        struct RestoreTz {
            const std::string& saved;
            ~RestoreTz() { saved.empty() ? ::unsetenv("TZ") : ::setenv("TZ", saved.c_str(), 1); }
        } restore{savedTz};
        home.Write("DEVurorure.ini", "[data]\r\n" + settings.Body());
        const int status =
            testsupport::RunScriptProgram(home, "click 1012\nwait\n" + actions + "close\n");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Boxes();
        const std::string log = home.Read("out");
        ExpectTheCellsWay(log);
        // Questions (trust, confirmations) are answered yes; nothing may go wrong.
        EXPECT_EQ(Boxes().find("box warning"), std::string::npos) << Boxes() << log;
        EXPECT_EQ(Boxes().find("box error"), std::string::npos) << Boxes() << log;
        return log;
    }
    std::string Run(const std::string& localFolder, const std::string& serverFolder,
                    const std::string& actions) {
        return Run(localFolder, serverFolder, actions, Setup{});
    }
    std::string Boxes() const { return home.Read("err"); }

    // Secured as asked, every data connection in the cell's mode, and no fall-back.
    void ExpectTheCellsWay(const std::string& log) const {
        const Cell& cell = GetParam();
        const char* versions[] = {"", "TLSv1.3", "TLSv1.2"};
        if (cell.security == Security::Plain) {
            EXPECT_EQ(log.find("Secure connection"), std::string::npos) << log;
        } else {
            EXPECT_NE(log.find(std::string("Secure connection: ") +
                               versions[static_cast<int>(cell.security)]),
                      std::string::npos)
                << log;
        }
        EXPECT_EQ(log.find(cell.passive ? ">PORT" : ">EPSV"), std::string::npos) << log;
        EXPECT_NE(log.find(cell.passive ? ">EPSV" : ">PORT"), std::string::npos) << log;
        EXPECT_EQ(log.find("Switching to passive"), std::string::npos) << log;
        // Folders are read by MLSD where the server offers it, by LIST where not.
        const bool mlsd =
            std::string(cell.server) == "proftpd" || cell.server == std::string("pure-ftpd");
        EXPECT_EQ(log.find(">MLSD") != std::string::npos, mlsd) << log;
    }

    // The rows of the remote pane as `show 1003` printed them, the n-th time.
    std::vector<std::string> ShownRows(int n) const {
        const std::string boxes = Boxes();
        std::size_t at = 0;
        for (int i = 0; i <= n; ++i) {
            at = boxes.find("show 1003:\n", at);
            if (at == std::string::npos) {
                return {};
            }
            at += 11;
        }
        std::vector<std::string> rows;
        while (at < boxes.size() && boxes[at] == '[') {
            const std::size_t end = boxes.find('\n', at);
            rows.push_back(boxes.substr(at + 4, end - at - 4));
            at = end + 1;
        }
        return rows;
    }

    std::set<std::string> ShownSet(int n) const {
        const std::vector<std::string> rows = ShownRows(n);
        return {rows.begin(), rows.end()};
    }

    std::string R(const std::string& path) const { return remote / path; }
    std::string L(const std::string& path) const { return local / path; }

    static std::unique_ptr<TempDir> s_certificates;
    TempDir work, remote, local, home;
    testsupport::ServerProcess server;
    // Passive ports of this cell's server, apart from those of the cell beside it: enough that
    // hundreds of data connections in a few seconds (four transfers of a tree of small files)
    // do not find them all still closing.
    static constexpr int kPasvPorts = 500;
    int m_pasv = 20000 + kPasvPorts * (::getpid() % 80);
};
std::unique_ptr<TempDir> Interop::s_certificates;

TEST_P(Interop, WholeActionsKeepEveryByte) {
    // Connect and list; enter a folder and go up; follow a link with a relative target and go
    // up from where it led.
    Run(L("down"), R("dtree"),
        "show 1003\nactivate 1003 \"dir with spaces\"\nwait\nshow 1003\nclick 1008\nwait\n"
        "show 1003\nactivate 1003 \"lnk_dir -> d04\"\nwait\nshow 1003\nclick 1008\nwait\n"
        "show 1003\n");
    const std::vector<std::string> top = {"0 d04",        "0 dir with spaces", "0 empty",
                                          "0 Grüße",      "14 lnk_dir -> d04", "15 data.bin",
                                          "15 empty.bin", "1 page.html",       "6 plain.txt"};
    EXPECT_EQ(ShownSet(0), std::set(top.begin(), top.end())) << Boxes();
    EXPECT_EQ(ShownSet(1),
              (std::set<std::string>{"0 deeper", "6 inner file.txt", "14 link.bin -> ../data.bin"}))
        << Boxes();
    EXPECT_EQ(ShownRows(2), ShownRows(0)) << Boxes();
    EXPECT_EQ(ShownRows(3), std::vector<std::string>{"15 file.bin"}) << Boxes();
    EXPECT_EQ(ShownRows(4), ShownRows(0)) << Boxes();

    // Download files and trees: names with spaces and UTF-8, an empty folder, text and binary.
    const std::string download =
        "select 1003 plain.txt data.bin page.html empty.bin \"dir with spaces\" Grüße empty "
        "d04\nmenu 1003 32780\nwait\n";
    const std::set<std::string> items = {"plain.txt",       "data.bin", "page.html", "empty.bin",
                                         "dir with spaces", "Grüße",    "empty",     "d04"};
    const Tree wanted = Downloaded(Snapshot(R("dtree")), items);
    std::string log = Run(L("down"), R("dtree"), download);
    EXPECT_EQ(Snapshot(L("down")), wanted) << log;
    EXPECT_NE(log.find(Text(res::kTextDownloadCompleted)), std::string::npos) << log;

    // Again: everything is up to date.
    log = Run(L("down"), R("dtree"), download);
    EXPECT_EQ(log.find(">RETR"), std::string::npos) << log;
    EXPECT_NE(log.find(Text(res::kTextDownloadCompleted)), std::string::npos) << log;

    // Resume a cut binary file; a cut text file comes whole.
    fs::resize_file(L("down/data.bin"), 123456);
    fs::resize_file(L("down/plain.txt"), 5);
    log = Run(L("down"), R("dtree"), download);
    EXPECT_NE(log.find(">REST 123456\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(">REST", log.find(">REST") + 1), std::string::npos) << log;
    EXPECT_EQ(Snapshot(L("down")), wanted) << log;

    // Upload files and a tree with a dot file and an empty folder.
    log = Run(L("utree"), R("up"),
              "select 1004 \"u file.txt\" u.bin \"u dir\"\nmenu 1004 32772\nwait\n");
    EXPECT_EQ(Snapshot(R("up")), Snapshot(L("utree"))) << log;
    EXPECT_NE(log.find(Text(res::kTextUploadCompleted)), std::string::npos) << log;

    // Mirror: extras go (a folder holding dot files among them), a newer server copy stays,
    // the server's own dot file stays.
    log = Run(L("mtree"), R("mirror"), "click 1022\nwait\n");
    Tree mirrored = Snapshot(L("mtree"));
    mirrored[".keep"] = FileText("the server's own");
    EXPECT_EQ(Snapshot(R("mirror")), mirrored) << log;
    EXPECT_EQ(log.find("same.bin\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(Text(res::kTextMirroringCompleted)), std::string::npos) << log;

    // Rename, delete a file and a tree with dot files, create a folder, change a mode.
    log = Run(L("down"), R("ops"),
              "select 1003 \"old name.txt\"\nmenu 1003 32782\nlabel 1003 \"new name.txt\"\nwait\n"
              "select 1003 gone.bin deltree\nmenu 1003 32781\nwait\n"
              "menu 1003 32786\nlabel 1003 \"made here\"\nwait\n"
              "select 1003 mode.txt\nmenu 1003 32783\ntype 1000 600\nclick 1\nwait\n");
    const Tree ops = Snapshot(R("ops"));
    EXPECT_EQ(ops, (Tree{{"new name.txt", FileText("renamed\n")},
                         {"made here", "dir"},
                         {"mode.txt", FileText("mode\n")}}))
        << log;
    EXPECT_EQ(fs::status(R("ops/mode.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write)
        << log;
    EXPECT_NE(log.find(Text(res::kTextDeleteCompleted)), std::string::npos) << log;
    EXPECT_NE(log.find(Text(res::kTextPermissionChanged)), std::string::npos) << log;

    // The server's own word: no data connection was refused for its TLS session.
    EXPECT_EQ(work.Read("proftpd-tls.log").find("rejecting data connection"), std::string::npos);
}

// How often `what` stands in the log (">STOR ": how many files a run stored).
std::size_t Count(const std::string& log, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) {
        ++count;
    }
    return count;
}
std::size_t Stored(const std::string& log) {
    return Count(log, ">STOR ");
}

// Four simultaneous transfers move the same trees byte for byte, over extra connections the
// server took, and the closing lines count what one connection would.
TEST_P(Interop, FourTransfersMoveTreesWhole) {
    if (GetParam().server == std::string("pyftpdlib") && !GetParam().passive) {
        // Measured with lftp's mirror -P 4 as well: a login or an active data connection that
        // the server accepts while others start waits until it gives up on it (30 s).
        GTEST_SKIP() << "this server loses simultaneous active-mode data connections";
    }
    const Setup four{13, false, "", 4};
    // Enough files that the extra connections are in before the job is through (until then
    // files go over the browsing connection).
    for (int i = 0; i < 80; ++i) {
        const std::string name = "many/f" + std::to_string(i) + ".bin";
        remote.Write("dtree/" + name, Bytes(200 + i, 20 + i));
        local.Write("utree/" + name, Bytes(300 + i, 120 + i));
        local.Write("mtree/" + name, Bytes(400 + i, 220 + i));
    }
    auto expectPooled = [](const std::string& log, const char* verb, int countText) {
        // The first files may go over the browsing connection while the others log in.
        EXPECT_GT(Count(log, "\r\n" + Text(res::kTextConnectionName)), 0u) << log;
        EXPECT_NE(log.find(std::to_string(Count(log, verb)) + Text(countText)), std::string::npos)
            << log;
        EXPECT_EQ(log.find(Text(res::kTextFewerConnections)), std::string::npos) << log;
        EXPECT_EQ(log.find(Text(res::kTextLaneLostRetry)), std::string::npos) << log;
    };
    std::string log = Run(L("down"), R("dtree"),
                          "select 1003 plain.txt data.bin page.html empty.bin \"dir with spaces\" "
                          "Grüße empty d04 many\nmenu 1003 32780\nwait\n",
                          four);
    EXPECT_EQ(Snapshot(L("down")), Downloaded(Snapshot(R("dtree")),
                                              {"plain.txt", "data.bin", "page.html", "empty.bin",
                                               "dir with spaces", "Grüße", "empty", "d04", "many"}))
        << log;
    expectPooled(log, ">RETR ", res::kTextFilesDownloaded);

    log = Run(L("utree"), R("up"),
              "select 1004 \"u file.txt\" u.bin \"u dir\" many\nmenu 1004 32772\nwait\n", four);
    EXPECT_EQ(Snapshot(R("up")), Snapshot(L("utree"))) << log;
    expectPooled(log, ">STOR ", res::kTextFilesUploaded);

    log = Run(L("mtree"), R("mirror"), "click 1022\nwait\n", four);
    Tree mirrored = Snapshot(L("mtree"));
    mirrored[".keep"] = FileText("the server's own");
    EXPECT_EQ(Snapshot(R("mirror")), mirrored) << log;
    expectPooled(log, ">STOR ", res::kTextFilesUploaded);
    EXPECT_NE(log.find(Text(res::kTextMirroringCompleted)), std::string::npos) << log;
}

// The servers that tell exact times (MLSD, or MDTM beside LIST) decide uploads by them, in any
// zone: a file changed after the last mirroring is always sent, an unchanged tree never. The
// host's zone is unset, which today's rule reads as GMT+9. pyftpdlib here offers neither, and
// keeps that rule.
TEST_P(Interop, ExactTimesDecideInAnyZone) {
    if (GetParam().server == std::string("pyftpdlib")) {
        GTEST_SKIP() << "this server offers neither MLSD nor MDTM: the host's zone decides";
    }
    for (const char* tz : {"EST5", "UTC0", "NZST-12"}) {
        SCOPED_TRACE(tz);
        const std::string folder = std::string("stale-") + tz;
        fs::create_directories(R(folder));
        const passwd* user = ::getpwnam(kUser);
        ASSERT_EQ(::chown(R(folder).c_str(), user->pw_uid, user->pw_gid), 0);
        local.Write(folder + "/a.txt", "a\n");
        local.Write(folder + "/b.bin", Bytes(3000, 8));
        local.Write(folder + "/sub/c.bin", Bytes(100, 9));
        for (const char* name : {"a.txt", "b.bin", "sub/c.bin"}) {
            SetTime(local / (folder + "/" + name), k2020);
        }
        const Setup setup{0, false, tz};
        std::string log = Run(L(folder), R(folder), "click 1022\nwait\n", setup);
        EXPECT_EQ(Stored(log), 3u) << log;
        log = Run(L(folder), R(folder), "click 1022\nwait\n", setup);
        EXPECT_EQ(Stored(log), 0u) << log;
        // Changed seconds after its upload, in the very minute the listing shows.
        local.Write(folder + "/b.bin", Bytes(3000, 10));
        SetTime(local / (folder + "/b.bin"), std::time(nullptr) + 2);
        log = Run(L(folder), R(folder), "click 1022\nwait\n", setup);
        EXPECT_EQ(Stored(log), 1u) << log;
        EXPECT_NE(log.find("b.bin\r\n"), std::string::npos) << log;
        EXPECT_EQ(Snapshot(R(folder)), Snapshot(L(folder))) << log;
    }
}

// With the option on, a download keeps the server's times and an upload of the same tree
// stores nothing.
TEST_P(Interop, KeptTimesMakeTheRoundTripStoreNothing) {
    if (GetParam().server == std::string("pyftpdlib")) {
        GTEST_SKIP() << "this server offers no MDTM or MFMT: there is no time to keep";
    }
    const Setup keep{13, true, ""};
    SetTime(remote / "dtree/data.bin", k2019);
    std::string log = Run(L("down"), R("dtree"),
                          "select 1003 data.bin page.html \"dir with spaces\"\n"
                          "menu 1003 32780\nwait\n",
                          keep);
    EXPECT_EQ(fs::last_write_time(L("down/data.bin")), fs::last_write_time(R("dtree/data.bin")))
        << log;
    log = Run(L("down"), R("dtree"),
              "select 1004 data.bin page.html \"dir with spaces\"\nmenu 1004 32772\nwait\n", keep);
    EXPECT_EQ(Stored(log), 0u) << log;
}

INSTANTIATE_TEST_SUITE_P(Servers, Interop, ::testing::ValuesIn(Cells()), CellName);

} // namespace
