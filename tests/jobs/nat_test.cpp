// The program behind a home router: a client namespace (10.77.1.2) reaches a server namespace
// (10.77.2.2) only through a router namespace that masquerades, so the server cannot connect
// back to the client. Active mode fails there; passive mode and the fall-back list the folder.
// Needs root, `ip netns` and nft; the namespaces and their addresses exist only for the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/pyftpd_server.h"
#include "support/temp_dir.h"

using testsupport::PyFtpdServer;
using testsupport::TempDir;

namespace {

bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Three namespaces wired client - router - server, removed again whatever happens.
class HomeRouter {
public:
    HomeRouter()
        : m_client("quorrel-" + std::to_string(::getpid()) + "-client"),
          m_router("quorrel-" + std::to_string(::getpid()) + "-router"),
          m_server("quorrel-" + std::to_string(::getpid()) + "-server") {}
    ~HomeRouter() {
        for (const std::string* name : {&m_client, &m_router, &m_server}) {
            Shell("ip netns del " + *name);
        }
    }
    HomeRouter(const HomeRouter&) = delete;
    HomeRouter& operator=(const HomeRouter&) = delete;

    // False with the step that failed.
    bool Build(std::string& failed) {
        const std::string c = "ip -n " + m_client + " ";
        const std::string r = "ip -n " + m_router + " ";
        const std::string s = "ip -n " + m_server + " ";
        const std::string steps[] = {
            "ip netns add " + m_client,
            "ip netns add " + m_router,
            "ip netns add " + m_server,
            c + "link add eth0 type veth peer name inside netns " + m_router,
            s + "link add eth0 type veth peer name outside netns " + m_router,
            c + "addr add 10.77.1.2/24 dev eth0",
            r + "addr add 10.77.1.1/24 dev inside",
            r + "addr add 10.77.2.1/24 dev outside",
            s + "addr add 10.77.2.2/24 dev eth0",
            c + "link set eth0 up",
            c + "link set lo up",
            r + "link set inside up",
            r + "link set outside up",
            s + "link set eth0 up",
            s + "link set lo up",
            // The server has no route back to 10.77.1.0/24: only the router's address is seen.
            c + "route add default via 10.77.1.1",
            "ip netns exec " + m_router + " sh -c 'echo 1 > /proc/sys/net/ipv4/ip_forward'",
            "printf 'table ip nat {\\n chain post {\\n  type nat hook postrouting priority 100;\\n"
            "  oifname \"outside\" masquerade\\n }\\n}\\n' | ip netns exec " +
                m_router + " nft -f -",
        };
        for (const std::string& step : steps) {
            if (!Shell(step)) {
                failed = step;
                return false;
            }
        }
        return true;
    }

    const std::string& Client() const { return m_client; }
    const std::string& Server() const { return m_server; }

private:
    std::string m_client;
    std::string m_router;
    std::string m_server;
};

struct Outcome {
    std::string log;   // standard output
    std::string boxes; // standard error: boxes and `show` output
};

// Connects from the client namespace with the program in script mode and shows the remote pane.
Outcome ConnectFrom(const HomeRouter& net, const std::string& serverName, bool passive) {
    TempDir dir;
    dir.Write("DEVurorure.ini", std::string("[data]\r\npasv=") + (passive ? "1" : "0") + "\r\n");
    dir.Write("script", "type 1000 " + serverName + "\ntype 1001 " + PyFtpdServer::kUser +
                            "\ntype 1002 " + PyFtpdServer::kPassword +
                            "\nclick 1012\nwait\nshow 1003\nclose\n");
    const std::string command = "cd '" + dir.Path() + "' && ip netns exec " + net.Client() + " '" +
                                QUORREL_BINARY + "' --script script 2>err";
    Outcome outcome;
    if (FILE* out = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0) {
            outcome.log.append(buffer, n);
        }
        ::pclose(out);
    }
    outcome.boxes = dir.Read("err");
    return outcome;
}

TEST(BehindARouter, ActiveModeFailsWhilePassiveModeAndTheFallBackList) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make network namespaces";
    }
    if (!Shell("command -v nft")) {
        GTEST_SKIP() << "nft is missing (scripts/setup --tests installs nftables)";
    }
    HomeRouter net;
    std::string failed;
    if (!net.Build(failed)) {
        GTEST_SKIP() << "network namespaces are not available here: " << failed;
    }
    PyFtpdServer server("10.77.2.2", net.Server());
    ASSERT_TRUE(server.Start()) << "pyftpdlib did not start in " << net.Server();
    server.Root().Write("behind.txt", "x");
    const std::string row = "show 1003:\n[ ] 6 behind.txt\n";

    const Outcome active = ConnectFrom(net, server.Address(), false);
    // The server sees the router, so the client's own address in PORT is refused ...
    EXPECT_NE(active.log.find(">PORT 10,77,1,2,"), std::string::npos) << active.log;
    EXPECT_NE(active.log.find("501 Rejected data connection to foreign address 10.77.1.2:"),
              std::string::npos)
        << active.log;
    // ... and the same listing is fetched once more in passive mode.
    EXPECT_NE(active.log.find("Switching to passive mode for this connection.\r\n>TYPE A\r\n200 "
                              "Type set to: ASCII.\r\n>EPSV\r\n229 "),
              std::string::npos)
        << active.log;
    EXPECT_EQ(active.boxes, row);

    const Outcome passive = ConnectFrom(net, server.Address(), true);
    EXPECT_EQ(passive.log.find("PORT"), std::string::npos) << passive.log;
    EXPECT_NE(passive.log.find(">EPSV\r\n229 "), std::string::npos) << passive.log;
    EXPECT_EQ(passive.boxes, row);
}

} // namespace
