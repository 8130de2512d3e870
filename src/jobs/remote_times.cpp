// How the jobs read a remote file's time: exact where the server lists it so (MLSD), from its
// LIST line and the server's offset from UTC where the server answers MDTM (the offset learned
// once per connection, MDTM asked for one file only where its line cannot decide), and by the
// host's time zone only for a server that offers neither.
#include <cmath>

#include "ftp/listing_index.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

std::string WithSlash(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + '/';
}

// "+01:00", "-05:30", "" for 0.
std::string OffsetText(std::int64_t seconds) {
    if (seconds == 0) {
        return "";
    }
    const std::int64_t minutes = (seconds < 0 ? -seconds : seconds) / 60;
    char text[48];
    std::snprintf(text, sizeof text, "%c%02lld:%02lld", seconds < 0 ? '-' : '+',
                  static_cast<long long>(minutes / 60), static_cast<long long>(minutes % 60));
    return text;
}

} // namespace

ui::RemoteFileTime CMainDialog::RemoteTimeOf(const std::string& folder, const std::string& name,
                                             const ftp::ListingIndex& listing) {
    std::int64_t exact = 0;
    if (m_engine.ExactTime(folder, listing.FindLine(name), exact)) {
        return {ui::RemoteFileTime::Source::Exact, exact, exact};
    }
    std::int64_t listed = 0;
    bool timeOfDay = false;
    std::int64_t offset = 0;
    if (m_engine.Features().mdtm && listing.ListedAsUtc(name, listed, timeOfDay) &&
        ListOffset(folder, listing, offset)) {
        const std::int64_t start = listed - offset;
        return {ui::RemoteFileTime::Source::Listed, start, start + (timeOfDay ? 59 : 86399)};
    }
    const std::int64_t zoned = listing.Time(name, -1);
    return {ui::RemoteFileTime::Source::Zone, zoned, zoned};
}

bool CMainDialog::ListOffset(const std::string& folder, const ftp::ListingIndex& listing,
                             std::int64_t& offset) {
    if (m_listOffset) {
        offset = *m_listOffset;
        return true;
    }
    if (m_listOffsetTried) {
        return false;
    }
    // One file of this listing that shows its minute: its listed time against its MDTM.
    for (int line = 0; line < listing.LineCount(); ++line) {
        const std::string name = listing.Field(line, ftp::kFieldName, true);
        std::int64_t listed = 0;
        bool timeOfDay = false;
        if (listing.FieldView(line, ftp::kFieldPermissions, false).starts_with("-") &&
            ftp::IsShownName(name) && listing.ListedAsUtc(name, listed, timeOfDay) && timeOfDay) {
            m_listOffsetTried = true;
            std::int64_t utc = 0;
            if (!m_engine.FtpModificationTime(WithSlash(folder) + name, utc)) {
                return false;
            }
            // Zones differ from UTC by whole quarter hours; the listing shows the minute only.
            constexpr std::int64_t kQuarter = 15 * 60;
            offset = static_cast<std::int64_t>(
                         std::llround(static_cast<double>(listed - utc) / kQuarter)) *
                     kQuarter;
            m_listOffset = offset;
            AppendLog(res::LoadString(res::kTextListOffset) + OffsetText(offset) + ".\r\n");
            return true;
        }
    }
    return false;
}

int CMainDialog::CompareWithRemote(std::int64_t local, ui::RemoteFileTime& remote,
                                   const std::string& path) {
    if (remote.source == ui::RemoteFileTime::Source::Listed && local >= remote.earliest &&
        local <= remote.latest) {
        // The line cannot decide: this one file is asked.
        std::int64_t utc = 0;
        if (m_engine.FtpModificationTime(path, utc)) {
            remote = {ui::RemoteFileTime::Source::Exact, utc, utc};
        }
    }
    if (local > remote.latest) {
        return 1;
    }
    return local < remote.earliest ? -1 : 0;
}

bool CMainDialog::ExactRemoteTime(ui::RemoteFileTime& remote, const std::string& path) {
    std::int64_t utc = 0;
    if (remote.source != ui::RemoteFileTime::Source::Exact) {
        if (!m_engine.FtpModificationTime(path, utc)) {
            return false;
        }
        remote = {ui::RemoteFileTime::Source::Exact, utc, utc};
    }
    return true;
}

} // namespace ui
