#include "platform/secret_store.h"

namespace platform {

namespace {

constexpr const char* kNoKeyring = "No keyring on this system.";

} // namespace

// Windows has no Secret Service: the program works as on a desktop without one.
KeyringState SecretStore::Probe(std::string& reason) {
    reason.clear();
    return KeyringState::Absent;
}

bool SecretStore::Store(int, const std::string&, const std::string&, const std::string&,
                        std::string& error) {
    error = kNoKeyring;
    return false;
}

bool SecretStore::Lookup(int, std::string& password, bool& found, std::string& error) {
    password.clear();
    found = false;
    error = kNoKeyring;
    return false;
}

bool SecretStore::Remove(int, std::string& error) {
    error = kNoKeyring;
    return false;
}

} // namespace platform
