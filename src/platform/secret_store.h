// The desktop's keyring (a Secret Service: GNOME Keyring, KWallet) as the place for the hosts'
// passwords. One item per host slot, found by the program's name and the slot number, labelled
// with the server and user names so that people recognise it in their password manager.
// Nothing here ever asks the user anything: a locked keyring is reported, not unlocked.
#pragma once

#include <string>

namespace platform {

enum class KeyringState {
    Absent, // no session bus or no Secret Service on it: the program works without one
    Locked, // the default collection is locked (or missing); nothing is read or written
    Open,
};

class SecretStore {
public:
    // Asks whether a Secret Service answers on the session bus the environment names, and
    // whether its default collection is open; `reason` says why not in the user's words.
    // Only a bus the environment names is used: none is started for the question.
    static KeyringState Probe(std::string& reason);

    // The slot's item: stored (replacing the one before), read, removed. False with `error`
    // when the service refused or did not answer within a few seconds.
    static bool Store(int slot, const std::string& server, const std::string& user,
                      const std::string& password, std::string& error);
    // `found` is false when the slot has no item.
    static bool Lookup(int slot, std::string& password, bool& found, std::string& error);
    static bool Remove(int slot, std::string& error);
};

} // namespace platform
