// The program behind a home router: a client namespace (10.77.1.2) reaches a server namespace
// (10.77.2.2) only through a router namespace that masquerades, so the server cannot connect
// back to the client. Active mode fails there; passive mode and the fall-back list the folder.
// Needs root, `ip netns` and nft; the namespaces and their addresses exist only for the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "support/pyftpd_server.h"
#include "support/temp_dir.h"

using testsupport::PyFtpdServer;
using testsupport::TempDir;

namespace {

bool Shell(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// Three namespaces wired client - router - server, removed again whatever happens, with any
// server still running in them.
class HomeRouter {
public:
    ~HomeRouter() {
        Shell("ip netns pids " + Server() + " | xargs -r kill");
        for (const char* role : {"client", "router", "server"}) {
            Shell("ip netns del " + Name(role));
        }
    }

    std::string Name(const char* role) const {
        return "quorrel-" + std::to_string(::getpid()) + "-" + role;
    }
    std::string Client() const { return Name("client"); }
    std::string Server() const { return Name("server"); }

    // False with the step that failed.
    bool Build(std::string& failed) {
        const std::string client = Client(), router = Name("router"), server = Server();
        const std::string c = "ip -n " + client + " ";
        const std::string r = "ip -n " + router + " ";
        const std::string s = "ip -n " + server + " ";
        const std::string steps[] = {
            "ip netns add " + client,
            "ip netns add " + router,
            "ip netns add " + server,
            c + "link add eth0 type veth peer name inside netns " + router,
            s + "link add eth0 type veth peer name outside netns " + router,
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
            "ip netns exec " + router + " sh -c 'echo 1 > /proc/sys/net/ipv4/ip_forward'",
            "printf 'table ip nat {\\n chain post {\\n  type nat hook postrouting priority 100;\\n"
            "  oifname \"outside\" masquerade\\n }\\n}\\n' | ip netns exec " +
                router + " nft -f -",
        };
        for (const std::string& step : steps) {
            if (!Shell(step)) {
                failed = step;
                return false;
            }
        }
        return true;
    }
};

// Connects from the client namespace with the program in script mode: the log, then what it
// wrote to standard error (boxes and the remote pane).
std::pair<std::string, std::string> ConnectFrom(const HomeRouter& net, const std::string& server,
                                                bool passive) {
    TempDir dir;
    dir.Write("DEVurorure.ini", std::string("[data]\r\npasv=") + (passive ? "1" : "0") + "\r\n");
    dir.Write("script", "type 1000 " + server + "\ntype 1001 " + PyFtpdServer::kUser +
                            "\ntype 1002 " + PyFtpdServer::kPassword +
                            "\nclick 1012\nwait\nshow 1003\nclose\n");
    Shell("cd '" + dir.Path() + "' && ip netns exec " + net.Client() + " '" + QUORREL_BINARY +
          "' --script script >out 2>err");
    return {dir.Read("out"), dir.Read("err")};
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
    TempDir root;
    root.Write("behind.txt", "x");
    // It stops by itself should the test not get to stop it.
    Shell("ip netns exec " + net.Server() + " timeout 120 /usr/bin/python3 -m pyftpdlib -i " +
          "10.77.2.2 -p 2121 -w -d '" + root.Path() + "' -u " + PyFtpdServer::kUser + " -P " +
          PyFtpdServer::kPassword + " &");
    ASSERT_TRUE(Shell("ip netns exec " + net.Server() + " /usr/bin/python3 -c '" +
                      "import socket, time\nfor _ in range(150):\n try:\n" +
                      "  socket.create_connection((\"10.77.2.2\", 2121)).close(); break\n" +
                      " except OSError: time.sleep(0.1)\nelse: raise SystemExit(1)'"))
        << "pyftpdlib did not start in " << net.Server();
    const std::string row = "show 1003:\n[ ] 6 behind.txt\n";

    const auto [active, activePane] = ConnectFrom(net, "10.77.2.2:2121", false);
    // The server sees the router, so the client's own address in PORT is refused ...
    EXPECT_NE(active.find(">PORT 10,77,1,2,"), std::string::npos) << active;
    EXPECT_NE(active.find("501 Rejected data connection to foreign address 10.77.1.2:"),
              std::string::npos)
        << active;
    // ... and the same listing is fetched once more in passive mode.
    EXPECT_NE(active.find("Switching to passive mode for this connection.\r\n>TYPE A\r\n200 "
                          "Type set to: ASCII.\r\n>EPSV\r\n229 "),
              std::string::npos)
        << active;
    EXPECT_EQ(activePane, row);

    const auto [passive, passivePane] = ConnectFrom(net, "10.77.2.2:2121", true);
    EXPECT_EQ(passive.find("PORT"), std::string::npos) << passive;
    EXPECT_NE(passive.find(">EPSV\r\n229 "), std::string::npos) << passive;
    EXPECT_EQ(passivePane, row);
}

} // namespace
