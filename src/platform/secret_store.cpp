#include "platform/secret_store.h"

#include <libsecret/secret.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace platform {
namespace {

const SecretSchema kSchema = {"org.ftpquorrel.Password",
                              SECRET_SCHEMA_NONE,
                              {
                                  {"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                  {"slot", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                  {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                  {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                  {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                              },
                              0,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr};

constexpr const char* kApplication = "ftpquorrel";

// A service that does not answer must not hold the window: every call is cancelled after a few
// seconds.
class Deadline {
public:
    Deadline() : m_cancellable(g_cancellable_new()), m_thread([this] { Watch(); }) {}
    ~Deadline() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
        g_object_unref(m_cancellable);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    GCancellable* Cancellable() const { return m_cancellable; }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_wake.wait_for(lock, std::chrono::seconds(5), [this] { return m_done; })) {
            g_cancellable_cancel(m_cancellable);
        }
    }
    GCancellable* m_cancellable;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

// Takes the error's text and frees it; `fallback` when there was none.
std::string TakeError(GError* error, const char* fallback) {
    if (error == nullptr) {
        return fallback;
    }
    std::string text = error->message != nullptr ? error->message : fallback;
    g_error_free(error);
    return text;
}

// Only a session bus the environment names: asking would otherwise start one (X11 autolaunch)
// and with it a keyring the user never unlocked.
bool SessionBusNamed() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    return runtime != nullptr && *runtime == '/' &&
           ::stat((std::string(runtime) + "/bus").c_str(), &status) == 0 &&
           S_ISSOCK(status.st_mode);
}

} // namespace

KeyringState SecretStore::Probe(std::string& reason) {
    reason.clear();
    if (!SessionBusNamed()) {
        return KeyringState::Absent;
    }
    Deadline deadline;
    GError* error = nullptr;
    SecretService* service =
        secret_service_get_sync(SECRET_SERVICE_NONE, deadline.Cancellable(), &error);
    if (service == nullptr) {
        reason = TakeError(error, "no Secret Service answers");
        return KeyringState::Absent;
    }
    SecretCollection* collection = secret_collection_for_alias_sync(
        service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, deadline.Cancellable(), &error);
    KeyringState state = KeyringState::Open;
    if (collection == nullptr) {
        // Making a default collection would ask the user for a password: not ours to start.
        reason = TakeError(error, "the keyring has no default collection");
        state = KeyringState::Locked;
    } else {
        if (secret_collection_get_locked(collection)) {
            reason = "the keyring is locked";
            state = KeyringState::Locked;
        }
        g_object_unref(collection);
    }
    g_object_unref(service);
    return state;
}

bool SecretStore::Store(int slot, const std::string& server, const std::string& user,
                        const std::string& password, std::string& error) {
    // An item whose server or user name changed has other attributes: the old one goes first.
    if (!Remove(slot, error)) {
        return false;
    }
    Deadline deadline;
    GError* failure = nullptr;
    const std::string label = "FTP Quorrel: " + server + " (" + user + ")";
    const std::string slotText = std::to_string(slot);
    const gboolean stored = secret_password_store_sync(
        &kSchema, SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(),
        deadline.Cancellable(), &failure, "application", kApplication, "slot", slotText.c_str(),
        "server", server.c_str(), "user", user.c_str(), nullptr);
    if (!stored) {
        error = TakeError(failure, "the keyring did not take the password");
        return false;
    }
    return true;
}

bool SecretStore::Lookup(int slot, std::string& password, bool& found, std::string& error) {
    Deadline deadline;
    GError* failure = nullptr;
    const std::string slotText = std::to_string(slot);
    gchar* secret =
        secret_password_lookup_sync(&kSchema, deadline.Cancellable(), &failure, "application",
                                    kApplication, "slot", slotText.c_str(), nullptr);
    if (failure != nullptr) {
        error = TakeError(failure, "");
        return false;
    }
    found = secret != nullptr;
    password = found ? secret : "";
    if (secret != nullptr) {
        secret_password_free(secret);
    }
    return true;
}

bool SecretStore::Remove(int slot, std::string& error) {
    Deadline deadline;
    GError* failure = nullptr;
    const std::string slotText = std::to_string(slot);
    secret_password_clear_sync(&kSchema, deadline.Cancellable(), &failure, "application",
                               kApplication, "slot", slotText.c_str(), nullptr);
    if (failure != nullptr) {
        error = TakeError(failure, "");
        return false;
    }
    return true;
}

} // namespace platform
