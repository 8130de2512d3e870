// The thirty most recent (folder, listing text) pairs, most recently stored first.
#pragma once

#include <array>
#include <mutex>
#include <string>

namespace ftp {

// Safe to use from the worker and the window's thread at once. An empty path marks a free slot
// and is never looked up or stored.
class ListingCache {
public:
    static constexpr int kSlots = 30;
    // The texts together hold at most this many bytes: a server that answers every folder
    // with a listing near the listing limit fills no more memory than this.
    static constexpr std::size_t kMaxBytes = 32u * 1024 * 1024;

    // Byte-for-byte, case-sensitive lookup from slot 0 to 29.
    bool Lookup(const std::string& path, std::string& text) const;
    // Replaces the text of an equal path in place, else pushes every slot down one place and
    // stores the pair in slot 0 (slot 29's pair is dropped). Then the oldest pairs go until the
    // texts fit in kMaxBytes.
    void Store(const std::string& path, const std::string& text);
    // Empties the first slot whose path equals `path`.
    void Invalidate(const std::string& path);
    void Clear();

    // Slot access for tests.
    std::string PathAt(int slot) const;
    std::string TextAt(int slot) const;

private:
    void Free(int slot);
    void FitInBound();

    mutable std::mutex m_mutex;
    std::array<std::string, kSlots> m_paths;
    std::array<std::string, kSlots> m_texts;
};

} // namespace ftp
