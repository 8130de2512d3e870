// FTP over TLS against the scripted server, which speaks no TLS: server names with schemes, a
// refused AUTH TLS, and handshakes the server drops or cannot answer.
#include "engine/engine_fixture.h"
#include "res/string_ids.h"
#include "res/string_table.h"

using ftp::Security;
using testsupport::Script;

namespace enginetest {
namespace {

TEST(ServerNames, SchemesChooseTlsAndImplicitTlsDefaultsToPort990) {
    const std::tuple<const char*, const char*, unsigned, Security> cases[] = {
        {"ftp.example.org", "ftp.example.org", 21, Security::Plain},
        {"ftp://ftp.example.org", "ftp.example.org", 21, Security::Plain},
        {"ftpes://ftp.example.org", "ftp.example.org", 21, Security::Explicit},
        {"FTPES://ftp.example.org:2121/pub/", "ftp.example.org", 2121, Security::Explicit},
        {"ftps://ftp.example.org", "ftp.example.org", 990, Security::Implicit},
        {"ftps://ftp.example.org:9990", "ftp.example.org", 9990, Security::Implicit},
        {"ftps://[::1]", "::1", 990, Security::Implicit},
        {"ftps://[::1]:2990", "::1", 2990, Security::Implicit},
        {"ftpes://::1", "::1", 21, Security::Explicit},
        {"sftp://host", "sftp://host", 21, Security::Plain}, // no scheme of ours: a name
    };
    for (const auto& [name, host, port, security] : cases) {
        const ftp::ServerName server = ftp::ParseServerName(name);
        EXPECT_EQ(server.host, host) << name;
        EXPECT_EQ(server.port, port) << name;
        EXPECT_EQ(server.security, security) << name;
    }
}

class TlsEngineTest : public EngineTest {
protected:
    bool ConnectWith(Security security) {
        return client.FtpConnect("127.0.0.1", "u", "p", server->Port(), "", {security, ""});
    }
};

TEST_F(TlsEngineTest, RefusedAuthTlsEndsWithQuitAndNeverSendsTheLogin) {
    for (const char* refusal : {"502 Unrecognized encryption type\r\n", "334 ADAT needed\r\n"}) {
        owner.messages.clear();
        Start(Script()
                  .Greeting("220 Plain only\r\n")
                  .On("AUTH TLS")
                  .Reply(refusal)
                  .On("QUIT")
                  .Reply("221 Bye\r\n"));
        EXPECT_FALSE(ConnectWith(Security::Explicit)) << refusal;
        EXPECT_EQ(Transcript(), "AUTH TLS\nQUIT\n") << refusal;
        EXPECT_EQ(Problems(), "");
        ASSERT_EQ(owner.messages.size(), 1u);
        EXPECT_EQ(owner.messages[0].text, res::LoadString(res::kTextTlsRefused));
        EXPECT_FALSE(client.ControlSocket().IsValid());
    }
}

// A server that drops the connection, or answers in plain text, in the middle of the
// handshake: the reason in a box, "Disconnected.", no hang and nothing more sent.
TEST_F(TlsEngineTest, BrokenHandshakesEndWithDisconnected) {
    struct Case {
        const char* name;
        Security security;
        Script script;
        const char* transcript;
        const char* logStart;
    };
    const Case cases[] = {
        {"explicit, dropped", Security::Explicit,
         Script()
             .Greeting("220 ready\r\n")
             .On("AUTH TLS")
             .Reply("234 Proceed\r\n")
             .Pause(100)
             .Close(),
         "AUTH TLS\n", "Connecting to 127.0.0.1\r\n220 ready\r\n>AUTH TLS\r\n234 Proceed\r\n"},
        {"implicit, dropped", Security::Implicit, Script().Greeting("").Pause(100).Close(), "",
         "Connecting to 127.0.0.1\r\n"},
        {"implicit, answered in plain text", Security::Implicit,
         Script().Greeting("220 Plain FTP here\r\n").Pause(100).Close(), "",
         "Connecting to 127.0.0.1\r\n"},
    };
    for (const Case& c : cases) {
        owner.log.clear();
        owner.messages.clear();
        owner.cleanups = 0;
        Start(c.script);
        EXPECT_FALSE(ConnectWith(c.security)) << c.name;
        EXPECT_EQ(owner.log, std::string(c.logStart) + "Disconnected.\r\n") << c.name;
        EXPECT_EQ(owner.cleanups, 1) << c.name;
        EXPECT_EQ(owner.messages.size(), 1u) << c.name;
        EXPECT_TRUE(client.ConnectionLost()) << c.name;
        EXPECT_FALSE(client.ControlSocket().IsValid()) << c.name;
        EXPECT_EQ(Transcript(), c.transcript) << c.name;
    }
}

} // namespace
} // namespace enginetest
