#include "ftp/remote_entry_table.h"

#include <algorithm>
#include <numeric>

#include "res/ascii_case.h"
#include "res/file_types.h"

namespace ftp {

void RemoteEntryTable::SetListing(std::string text) {
    ListingIndex index(text);
    std::lock_guard<std::mutex> lock(m_textMutex);
    m_remoteListing = std::move(text);
    m_index = std::move(index);
}

const ListingIndex& RemoteEntryTable::Index() {
    // m_remoteListing is a plain member that tests fill directly, so the index checks it.
    if (m_index.Text() != m_remoteListing) {
        ListingIndex index(m_remoteListing);
        std::lock_guard<std::mutex> lock(m_textMutex);
        m_index = std::move(index);
    }
    return m_index;
}

int RemoteEntryTable::Build() {
    Free();
    const ListingIndex& index = Index();
    const int lines = std::min(index.LineCount(), kMaxListingLines);
    if (lines == 0) {
        return 0;
    }
    m_names.reserve(static_cast<std::size_t>(lines));
    m_kinds.reserve(static_cast<std::size_t>(lines));
    m_lines.reserve(static_cast<std::size_t>(lines));
    for (int j = 0; j < lines; ++j) {
        const std::string_view name = index.FieldView(j, kFieldName, true);
        if (!IsShownName(name)) {
            continue;
        }
        std::string kept(name);
        const std::string_view permissions = index.FieldView(j, kFieldPermissions, false);
        std::uint8_t kind = 0;
        if (permissions[0] == 'd') {
            kind = res::kImageFolder;
        } else if (permissions[0] == 'l') {
            kind = res::kImageLink;
        } else {
            kind = RemoteEntryKind(kept);
        }
        m_names.push_back(std::move(kept));
        m_kinds.push_back(kind);
        m_lines.push_back(static_cast<std::uint16_t>(j));
    }
    m_count = static_cast<int>(m_names.size());

    // Folders first, then by kind and by name without regard to A-Z case; ties keep listing
    // order.
    std::vector<std::string> folded;
    folded.reserve(m_names.size());
    for (const std::string& name : m_names) {
        folded.push_back(res::LowerAsciiCopy(name));
    }
    m_order.resize(m_names.size());
    std::iota(m_order.begin(), m_order.end(), std::uint16_t{0});
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::uint16_t a, std::uint16_t b) {
        if (m_kinds[a] != m_kinds[b]) {
            return m_kinds[a] < m_kinds[b];
        }
        return folded[a] < folded[b];
    });
    return m_count;
}

void RemoteEntryTable::Free() {
    m_names.clear();
    m_names.shrink_to_fit();
    m_kinds.clear();
    m_kinds.shrink_to_fit();
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_order.clear();
    m_order.shrink_to_fit();
    m_count = 0;
}

std::string RemoteEntryTable::ListingEntryLine(const std::string& name) const {
    std::lock_guard<std::mutex> lock(m_textMutex);
    if (m_index.Text() == m_remoteListing) {
        return m_index.EntryLine(name);
    }
    return ListingIndex(m_remoteListing).EntryLine(name);
}

} // namespace ftp
