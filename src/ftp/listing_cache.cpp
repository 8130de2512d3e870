#include "ftp/listing_cache.h"

namespace ftp {

bool ListingCache::Lookup(const std::string& path, std::string& text) const {
    // An empty key would match a free slot and answer an empty listing without asking the server.
    if (path.empty()) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (m_paths[slot] == path) {
            text = m_texts[slot];
            return true;
        }
    }
    return false;
}

void ListingCache::Store(const std::string& path, const std::string& text) {
    if (path.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (m_paths[slot] == path) {
            m_texts[slot] = text;
            FitInBound();
            return;
        }
    }
    for (int slot = kSlots - 1; slot > 0; --slot) {
        m_paths[slot] = std::move(m_paths[slot - 1]);
        m_texts[slot] = std::move(m_texts[slot - 1]);
    }
    m_paths[0] = path;
    m_texts[0] = text;
    FitInBound();
}

void ListingCache::Free(int slot) {
    // Assigned afresh, not cleared: a cleared string keeps its memory.
    m_paths[slot] = std::string();
    m_texts[slot] = std::string();
}

void ListingCache::FitInBound() {
    std::size_t total = 0;
    for (const std::string& text : m_texts) {
        total += text.size();
    }
    for (int slot = kSlots - 1; slot >= 0 && total > kMaxBytes; --slot) {
        // The newest text stays whatever its size: it is within the listing limit anyway.
        if (m_texts[slot].empty() || (slot == 0 && total == m_texts[0].size())) {
            continue;
        }
        total -= m_texts[slot].size();
        Free(slot);
    }
}

void ListingCache::Invalidate(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (m_paths[slot] == path) {
            Free(slot);
            return;
        }
    }
}

void ListingCache::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        Free(slot);
    }
}

std::string ListingCache::PathAt(int slot) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paths[slot];
}

std::string ListingCache::TextAt(int slot) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts[slot];
}

} // namespace ftp
