// The settings file on any bytes: every key reads without a crash, and any thirty items written
// as a list read back exactly while the list fits the read buffer.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "settings/settings_store.h"

namespace {

std::string g_path;

// Passwords come from the window's edits, which hold text: reversing characters is defined for
// well-formed UTF-8 only (a stray trail byte cannot keep its place through two reversals).
bool WellFormedUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A memory file system: the store syncs every write, which a disk would make slow.
    g_path = "/dev/shm/quorrel-settings-fuzz-" + std::to_string(::getpid()) + ".ini";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream file(g_path, std::ios::binary | std::ios::trunc);
        file << bytes;
    }
    settings::SettingsStore store(g_path);
    std::string items[30];
    // Every read parses the whole file: one key per input, chosen by its last byte, reaches the
    // same parser three times faster than all three keys would.
    const char* const keys[] = {"tabX", "pin", "Htime"};
    const char* key = keys[size == 0 ? 0 : data[size - 1] % 3];
    store.ReadInt(key, -1);
    store.ReadList(items, 30, key, key[0] == 'p');
    store.ReadString(key, "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 256);

    // The same bytes as thirty list items, split at a byte the input chooses; one input in
    // four, since a write costs more than all the reads.
    if (size < 2 || (data[1] & 6) != 0) {
        return 0;
    }
    const char separator = static_cast<char>(data[0]);
    const bool reversed = (data[1] & 1) != 0;
    std::string written[30];
    int slot = 0;
    for (std::size_t i = 2; i < size && slot < 30; ++i) {
        if (bytes[i] == separator) {
            ++slot;
        } else {
            written[slot] += bytes[i];
        }
    }
    store.WriteList(written, 30, "Sname", reversed);
    if (store.TakeWriteError() != 0) {
        return 0;
    }
    std::string read[30];
    if (!store.ReadList(read, 30, "Sname", reversed)) {
        std::abort();
    }
    if (store.ReadString("Sname", "", 1 << 20).size() < 2047) {
        for (int i = 0; i < 30; ++i) {
            if (read[i] != written[i] && (!reversed || WellFormedUtf8(written[i]))) {
                __builtin_printf("slot %d differs\n", i);
                std::abort();
            }
        }
    }
    return 0;
}
