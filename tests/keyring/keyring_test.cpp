// The hosts' passwords in a real Secret Service: each test runs in a session bus of its own with
// GNOME Keyring unlocked on it (in_keyring_session.sh), so nothing of the machine's is touched.
#include <gtest/gtest.h>
#include <libsecret/secret.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/secret_store.h"
#include "res/string_ids.h"
#include "support/app_support.h"

using testsupport::HeadlessApp;

namespace {

const std::string kPassword = "Zebra-Quartz-42";
const std::string kOther = "Other-pass-7";

class Keyring : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        ASSERT_EQ(platform::SecretStore::Probe(reason), platform::KeyringState::Open) << reason;
        for (int slot : {0, 1}) {
            ASSERT_TRUE(platform::SecretStore::Remove(slot, reason)) << reason;
        }
        ASSERT_TRUE(server.Start());
    }
    // Two hosts whose passwords sit in the settings file, as every file of today has them.
    void WriteOldFile() {
        app.WriteSettings(testsupport::SettingsFile()
                              .SetServerHost(0, server)
                              .SetHost(1, {"other.example", "anna", kOther, "", "", 0})
                              .Body());
    }
    std::string File() { return app.dir.Read("DEVurorure.ini"); }
    static std::string Stored(int slot) {
        std::string password, error;
        bool found = false;
        EXPECT_TRUE(platform::SecretStore::Lookup(slot, password, found, error)) << error;
        return found ? password : "<none>";
    }
    // Items of the program whose attribute `name` is `value`, locked or not, without unlocking.
    static int Items(const char* name, const std::string& value) {
        GHashTable* attributes = g_hash_table_new(g_str_hash, g_str_equal);
        g_hash_table_insert(attributes, const_cast<char*>("application"),
                            const_cast<char*>("ftpquorrel"));
        g_hash_table_insert(attributes, const_cast<char*>(name), const_cast<char*>(value.c_str()));
        SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, nullptr);
        GList* found = secret_service_search_sync(service, nullptr, attributes, SECRET_SEARCH_ALL,
                                                  nullptr, nullptr);
        const int count = static_cast<int>(g_list_length(found));
        g_list_free_full(found, g_object_unref);
        g_object_unref(service);
        g_hash_table_unref(attributes);
        return count;
    }

    testsupport::PyFtpdServer server;
    HeadlessApp app;
};

TEST_F(Keyring, PasswordsMoveThereOnlyOnceItHasThemAndTheNextStartConnects) {
    WriteOldFile();
    app.Open();
    app.Close();
    // Not a password of any host is left in the file; the keyring holds them, labelled.
    EXPECT_EQ(File().find(settings::ReverseCharacters(testsupport::PyFtpdServer::kPassword)),
              std::string::npos)
        << File();
    EXPECT_EQ(File().find(settings::ReverseCharacters(kOther)), std::string::npos);
    EXPECT_EQ(app.Setting("keyring"), "1");
    EXPECT_EQ(Stored(0), testsupport::PyFtpdServer::kPassword);
    EXPECT_EQ(Stored(1), kOther);
    EXPECT_EQ(Items("server", "other.example"), 1);

    app.Restart();
    EXPECT_TRUE(app.Win().Boxes().empty());
    EXPECT_EQ(app.dialog->View().m_hosts[1].password, kOther);
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    EXPECT_TRUE(app.dialog->View().m_connected) << app.Log();
    app.Close();
    EXPECT_EQ(File().find(settings::ReverseCharacters(kOther)), std::string::npos);
}

TEST_F(Keyring, ALockedKeyringLeavesTheHostsEmptySaysSoOnceAndDeletesNothing) {
    WriteOldFile();
    app.Open();
    app.Close();
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, nullptr);
    GList* collections = g_list_append(
        nullptr, secret_collection_for_alias_sync(service, SECRET_COLLECTION_DEFAULT,
                                                  SECRET_COLLECTION_NONE, nullptr, nullptr));
    ASSERT_GE(secret_service_lock_sync(service, collections, nullptr, nullptr, nullptr), 1);
    g_list_free_full(collections, g_object_unref);
    g_object_unref(service);

    app.Restart();
    const auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.starts_with(testsupport::Text(res::kTextKeyringUnreadable)))
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("locked"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(app.dialog->View().m_hosts[1].password, "");
    const std::string before = File();
    app.Close();
    EXPECT_EQ(File(), before) << "the file says where the passwords are, as it did";
    EXPECT_EQ(Items("slot", "0") + Items("slot", "1"), 2) << "nothing deleted";
}

TEST_F(Keyring, ARenamedHostCarriesItsItemAlongAndADeletedOneTakesItAway) {
    WriteOldFile();
    app.Open();
    app.Close();
    app.Restart();
    app.Win().SelectTab(1);
    app.Win().Type(res::kServerNameEdit, "renamed.example");
    app.Close();
    EXPECT_EQ(Items("server", "other.example"), 0);
    EXPECT_EQ(Items("server", "renamed.example"), 1);
    EXPECT_EQ(Stored(1), kOther);

    // "Host Lists": the second host's row, its menu's "&Delete", Yes.
    app.Restart();
    app.Win().SelectTab(ui::kHostListTab);
    ASSERT_TRUE(app.Win().Select(res::kHostList, {"renamed.example"}));
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().QueueMenuChoice(res::kCmdHostDelete);
    app.Win().RightClick(res::kHostList);
    app.Close();
    EXPECT_EQ(Stored(1), "<none>");
    EXPECT_EQ(Stored(0), testsupport::PyFtpdServer::kPassword);
}

TEST_F(Keyring, TurnedOffThePasswordsGoBackToTheFileAndDoNotSaveKeepsThemNowhere) {
    WriteOldFile();
    app.Open();
    app.Close();
    app.Restart();
    app.Win().QueueDialogDriver([](headless::HeadlessDialog& dialog) {
        EXPECT_TRUE(dialog.Get(res::kOptKeyring).IsEnabled());
        EXPECT_TRUE(dialog.Get(res::kOptKeyring).IsChecked());
        dialog.Check(res::kOptKeyring, false);
        dialog.Click(res::kIdOk);
    });
    app.Win().Click(res::kOptionButton);
    app.Close();
    EXPECT_NE(File().find(settings::ReverseCharacters(kOther)), std::string::npos) << File();
    EXPECT_EQ(app.Setting("keyring"), "0");
    EXPECT_EQ(Stored(0), "<none>");
    EXPECT_EQ(Stored(1), "<none>");

    // On again, with "Do not save password": neither place keeps one.
    app.Restart();
    EXPECT_EQ(app.dialog->View().m_hosts[1].password, kOther);
    app.Win().QueueDialogDriver([](headless::HeadlessDialog& dialog) {
        dialog.Check(res::kOptKeyring, true);
        dialog.Check(res::kOptDoNotSavePassword, true);
        dialog.Click(res::kIdOk);
    });
    app.Win().Click(res::kOptionButton);
    app.Close();
    EXPECT_EQ(File().find(settings::ReverseCharacters(kOther)), std::string::npos);
    EXPECT_EQ(Stored(1), "<none>");
    EXPECT_EQ(app.Setting("keyring"), "1");
}

TEST_F(Keyring, WithoutASessionBusTheFileKeepsThePasswordsAsAlways) {
    const std::string bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
    WriteOldFile();
    app.Open();
    const std::string before = File();
    app.Close();
    EXPECT_NE(File().find(settings::ReverseCharacters(kOther)), std::string::npos);
    EXPECT_EQ(app.Setting("keyring"), "<missing>");
    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    EXPECT_EQ(Stored(1), "<none>");
}

} // namespace

// Each run of this program (the list of its tests too) happens inside a session of its own.
int main(int argc, char** argv) {
    if (std::getenv("QUORREL_IN_KEYRING_SESSION") == nullptr) {
        std::vector<char*> args = {const_cast<char*>("dbus-run-session"), const_cast<char*>("--"),
                                   const_cast<char*>(QUORREL_KEYRING_SESSION)};
        for (int i = 0; i < argc; ++i) {
            args.push_back(argv[i]);
        }
        args.push_back(nullptr);
        ::execvp("dbus-run-session", args.data());
        std::perror("dbus-run-session");
        return 127;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
