// FTP over TLS against pyftpdlib's TLS handler (plain logins and data refused) with a
// self-signed certificate the test makes: the engine's listings and transfers in every mode,
// and the trust question of a whole connect in script mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "app/script_mode.h"
#include "engine/recording_owner.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "settings/settings_store.h"
#include "support/app_support.h"
#include "support/environment.h"
#include "support/pyftpd_server.h"

using ftp::Security;
using testsupport::PyFtpdServer;
using testsupport::TempDir;

namespace {

// The certificate's SHA-256 fingerprint as the openssl command prints it.
std::string OpensslFingerprint(const std::string& pem) {
    std::string text;
#ifdef _WIN32
    testsupport::RunLinuxCommand({"/usr/bin/openssl", "x509", "-noout", "-fingerprint", "-sha256",
                                  "-in", testsupport::ServerPath(pem)},
                                 &text);
#else
    const std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + pem + "'";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            text += buffer;
        }
        ::pclose(pipe);
    }
#endif
    const std::size_t equals = text.find('=');
    return equals == std::string::npos ? "" : text.substr(equals + 1, 95);
}

struct Mode {
    const char* name;
    PyFtpdServer::Tls tls;
    bool passive;
};

void PrintTo(const Mode& mode, std::ostream* out) {
    *out << mode.name;
}

class TlsModes : public ::testing::TestWithParam<Mode> {
protected:
    static void SetUpTestSuite() {
        s_certificates = std::make_unique<TempDir>();
        ASSERT_TRUE(
            testsupport::MakeSelfSignedCertificate(*s_certificates / "server.pem", "127.0.0.1"));
    }
    static void TearDownTestSuite() { s_certificates.reset(); }

    static std::unique_ptr<TempDir> s_certificates;
    enginetest::RecordingOwner owner;
    ftp::FtpClient engine{owner};
    TempDir local;
};

std::unique_ptr<TempDir> TlsModes::s_certificates;

TEST_P(TlsModes, LoginListStoreAndRetrieveAreByteIdentical) {
    const Mode& mode = GetParam();
    const bool implicit = mode.tls == PyFtpdServer::Tls::Implicit;
    PyFtpdServer server("127.0.0.1", mode.tls, *s_certificates / "server.pem");
    ASSERT_TRUE(server.Start()) << "pyftpdlib's TLS handler did not start";
    server.Root().Write("sub/in.txt", "inside");
    owner.engine = &engine;
    owner.passive = mode.passive;
    owner.answers.push_back(ftp::BoxAnswer::Yes); // trust the self-signed certificate
    int error = 0;
    ASSERT_TRUE(engine.CreateControlSocket(error));
    const ftp::TlsRequest tls{implicit ? Security::Implicit : Security::Explicit, ""};
    ASSERT_TRUE(engine.FtpConnect("127.0.0.1", PyFtpdServer::kUser, PyFtpdServer::kPassword,
                                  static_cast<unsigned>(server.Port()), "", tls))
        << owner.log;
    EXPECT_TRUE(engine.Secured());
    EXPECT_EQ(engine.AcceptedFingerprint(), OpensslFingerprint(*s_certificates / "server.pem"));

    std::string listing;
    EXPECT_EQ(engine.FtpList(listing, " /sub", false), 1) << owner.log;
    EXPECT_NE(listing.find(" in.txt\r\n"), std::string::npos) << listing;
    // Several blocks, every byte value, and an empty file.
    std::string data(300000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7 + i / 251);
    }
    for (const std::string& content : {data, std::string()}) {
        local.Write("up.bin", content);
        EXPECT_TRUE(engine.FtpStore(local / "up.bin", "up.bin", "I")) << owner.log;
        EXPECT_EQ(server.Root().Read("up.bin"), content);
        EXPECT_TRUE(engine.FtpRetrieve(local / "down.bin", "up.bin", "I",
                                       static_cast<std::int64_t>(content.size()), 0))
            << owner.log;
        EXPECT_EQ(local.Read("down.bin"), content);
    }
    engine.FtpQuit();

    // One question, the certificate's; the login only after PBSZ and PROT.
    ASSERT_EQ(owner.messages.size(), 1u) << owner.messages.back().text;
    EXPECT_EQ(owner.messages[0].buttons, ftp::BoxButtons::YesNo);
    const std::string& log = owner.log;
    EXPECT_EQ(log.find(">AUTH TLS\r\n") != std::string::npos, !implicit) << log;
    const std::size_t secured = log.find(res::LoadString(res::kTextTlsSecured) + "TLSv1.");
    const std::size_t pbsz = log.find(">PBSZ 0\r\n");
    const std::size_t prot = log.find(">PROT P\r\n");
    const std::size_t user = log.find(">USER ");
    EXPECT_TRUE(secured < pbsz && pbsz < prot && prot < user && user != std::string::npos) << log;
    EXPECT_EQ(log.find("Switching"), std::string::npos) << log;
    EXPECT_NE(log.find(mode.passive ? ">EPSV\r\n" : ">PORT "), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    PyFtpd, TlsModes,
    ::testing::Values(Mode{"ExplicitActive", PyFtpdServer::Tls::Explicit, false},
                      Mode{"ExplicitPassive", PyFtpdServer::Tls::Explicit, true},
                      Mode{"ImplicitActive", PyFtpdServer::Tls::Implicit, false},
                      Mode{"ImplicitPassive", PyFtpdServer::Tls::Implicit, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The trust question in script mode, answered with the script's answers: Yes keeps the
// fingerprint in "cert" and the next connect asks nothing; another certificate later asks again
// with the warning, and No sends nothing more.
TEST(TlsTrust, YesKeepsTheFingerprintAndAChangedCertificateAsksAgain) {
    TempDir dir;
    ASSERT_TRUE(testsupport::MakeSelfSignedCertificate(dir / "first.pem", "127.0.0.1"));
    ASSERT_TRUE(testsupport::MakeSelfSignedCertificate(dir / "second.pem", "127.0.0.1"));
    const std::string first = OpensslFingerprint(dir / "first.pem");
    const std::string second = OpensslFingerprint(dir / "second.pem");
    ASSERT_EQ(first.size(), 95u);
    ASSERT_NE(first, second);

    struct Run {
        const char* name;
        const char* pem;
        const char* answer; // for the question, if one comes
        bool asked;         // a question comes
        bool warned;        // it starts with the warning that the certificate changed
        bool loggedIn;      // the login went on after it
        std::string stored; // the host's "cert" afterwards
    };
    const Run runs[] = {
        {"first connect, Yes", "first.pem", "yes", true, false, true, first},
        {"next connect", "first.pem", "no", false, false, true, first},
        {"changed certificate, No", "second.pem", "no", true, true, false, first},
    };
    std::string settings;
    for (const Run& run : runs) {
        PyFtpdServer server("127.0.0.1", PyFtpdServer::Tls::Explicit, dir / run.pem);
        ASSERT_TRUE(server.Start()) << run.name;
        // The server's port changes from run to run; the kept fingerprint goes along.
        const std::string name = "ftpes://" + server.Address();
        if (settings.empty()) {
            settings = "[data]\r\n" + testsupport::SettingsFile()
                                          .SetHost(0, {name, PyFtpdServer::kUser,
                                                       PyFtpdServer::kPassword, "", "", 0})
                                          .Body();
        } else {
            const std::size_t at = settings.find("Sname=") + 6;
            settings.replace(at, settings.find(';', at) - at, name);
        }
        dir.Write("DEVurorure.ini", settings);
        std::istringstream script(std::string("answer ") + run.answer +
                                  "\nclick 1012\nwait\nclose\n");
        std::ostringstream out, err;
        EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0) << err.str();
        settings = dir.Read("DEVurorure.ini");

        const std::string log = out.str();
        const std::string boxes = err.str();
        const std::size_t question = boxes.find(res::LoadString(res::kTextCertTrust));
        EXPECT_EQ(question != std::string::npos, run.asked) << run.name << "\n" << boxes;
        if (run.asked) {
            const std::string shown = run.pem == std::string("first.pem") ? first : second;
            EXPECT_NE(boxes.find(res::LoadString(res::kTextCertFingerprint) + shown),
                      std::string::npos)
                << run.name << "\n"
                << boxes;
            EXPECT_NE(boxes.find("Subject: CN = 127.0.0.1"), std::string::npos) << boxes;
            EXPECT_NE(boxes.find("self-signed certificate"), std::string::npos) << boxes;
            EXPECT_EQ(boxes.find("WARNING") != std::string::npos, run.warned) << run.name << "\n"
                                                                              << boxes;
        }
        EXPECT_NE(log.find("Connecting to " + name), std::string::npos) << log;
        EXPECT_EQ(log.find(">USER ") != std::string::npos, run.loggedIn) << run.name << log;
        if (!run.loggedIn) {
            // Nothing after the handshake's log line: not PBSZ, not even QUIT.
            EXPECT_EQ(log.substr(log.find(res::LoadString(res::kTextTlsSecured))).find(">"),
                      std::string::npos)
                << log;
        }
        settings::SettingsStore store(dir / "DEVurorure.ini");
        std::string stored[30];
        ASSERT_TRUE(store.ReadList(stored, 30, "cert", false)) << settings;
        EXPECT_EQ(stored[0], run.stored) << run.name;
    }
}

// Verification against the trusted roots (here the test's certificate itself, given to
// OpenSSL as the system's roots) and the host name: a certificate made out to the server's
// address asks nothing, one made out to another address asks.
TEST(TlsTrust, AVerifiedCertificateAsksNothingAndAnotherNameAsks) {
    const std::pair<const char*, const char*> cases[] = {
        {"127.0.0.1", nullptr},               // the address the client connects to
        {"127.0.0.2", "IP address mismatch"}, // made out to another one
    };
    for (const auto& [madeOutTo, problem] : cases) {
        TempDir dir;
        ASSERT_TRUE(testsupport::MakeSelfSignedCertificate(dir / "server.pem", madeOutTo));
        // OpenSSL reads the variable for each control connection.
        ::setenv("SSL_CERT_FILE", (dir / "server.pem").c_str(), 1);
        PyFtpdServer server("127.0.0.1", PyFtpdServer::Tls::Implicit, dir / "server.pem");
        ASSERT_TRUE(server.Start());
        enginetest::RecordingOwner owner;
        ftp::FtpClient engine{owner};
        owner.engine = &engine;
        int error = 0;
        ASSERT_TRUE(engine.CreateControlSocket(error));
        const bool loggedIn =
            engine.FtpConnect("127.0.0.1", PyFtpdServer::kUser, PyFtpdServer::kPassword,
                              static_cast<unsigned>(server.Port()), "", {Security::Implicit, ""});
        ::unsetenv("SSL_CERT_FILE");
        if (problem == nullptr) {
            EXPECT_TRUE(loggedIn) << owner.log;
            EXPECT_TRUE(owner.messages.empty()) << owner.messages.front().text;
            engine.FtpQuit();
        } else {
            // The recording owner answers No.
            EXPECT_FALSE(loggedIn) << owner.log;
            ASSERT_EQ(owner.messages.size(), 1u) << madeOutTo;
            EXPECT_EQ(owner.messages[0].text.find(problem),
                      res::LoadString(res::kTextCertUnverified).size())
                << owner.messages[0].text;
        }
        EXPECT_TRUE(engine.AcceptedFingerprint().empty()) << madeOutTo;
    }
}

} // namespace
