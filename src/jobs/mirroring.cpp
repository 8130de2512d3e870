// The mirroring half of the upload job: in each folder it reaches, the remote entries that the
// local folder lacks are deleted, after a question unless the options say otherwise.
#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "ftp/entry_names.h"
#include "ftp/listing_grammar.h"
#include "platform/file_system.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

std::string WithSlash(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + '/';
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsMonthName(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3) {
        return false;
    }
    std::string lower(text);
    for (char& c : lower) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return std::find(kMonths.begin(), kMonths.end(), lower) != kMonths.end();
}

// True when every field before the name has an entry's form: a permission text, a decimal size,
// a month, a day, and a time or a year. The grammar reads any line that starts like an entry,
// and on a line of another shape its name field is whatever text happens to stand there; a
// name read that way proves nothing about the local side and is never deleted.
bool ReadsAsEntry(const ftp::ListingIndex& listing, int line) {
    const std::string_view timeOrYear = listing.FieldView(line, ftp::kFieldTimeOrYear, false);
    const std::size_t colon = timeOrYear.find(':');
    const bool timeOrYearRead =
        colon == std::string_view::npos
            ? AllDigits(timeOrYear)
            : AllDigits(timeOrYear.substr(0, colon)) && AllDigits(timeOrYear.substr(colon + 1));
    const std::string_view permissions = listing.FieldView(line, ftp::kFieldPermissions, false);
    return permissions.size() == 10 &&
           permissions.find_first_not_of("rwxsStTlL-", 1) == std::string_view::npos &&
           AllDigits(listing.FieldView(line, ftp::kFieldSize, false)) &&
           IsMonthName(listing.FieldView(line, ftp::kFieldMonth, false)) &&
           AllDigits(listing.FieldView(line, ftp::kFieldDay, false)) && timeOrYearRead;
}

// Hashes and compares std::string and std::string_view alike, so a listed name is looked up
// without a copy.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
        return std::hash<std::string_view>()(name);
    }
};

} // namespace

bool CMainDialog::MirrorDeleteExtras(const std::string& localFolder,
                                     const std::string& remoteFolder,
                                     const ftp::ListingIndex& listing) {
    // Read on the worker: the option dialog refuses to open while a job runs, so neither flag
    // can change under it.
    const bool neverDelete = m_options.m_doNotDeleteFiles != 0;
    const bool ask = m_options.m_doNotConfirmDelete == 0;
    if (neverDelete) {
        return false;
    }
    // One read of the local folder answers for every listed name. A name matches exactly,
    // letter case included, as the file systems here match names; any entry counts, a dangling
    // link too. A folder that cannot be read proves nothing missing, so nothing goes.
    std::vector<std::string> names;
    if (!platform::ReadFolderNames(localFolder, names)) {
        return false;
    }
    const std::unordered_set<std::string, NameHash, std::equal_to<>> localNames(
        std::make_move_iterator(names.begin()), std::make_move_iterator(names.end()));
    const std::string remote = WithSlash(remoteFolder);
    const int lines = std::min(listing.LineCount(), ftp::kMaxListingLines);
    bool changed = false;
    for (int line = 0; line < lines && !m_cancelRequested; ++line) {
        const std::string_view entry = listing.FieldView(line, ftp::kFieldName, true);
        const std::string_view permissions = listing.FieldView(line, ftp::kFieldPermissions, false);
        // Hidden names (the server's own files among them) and links always stay, and so does
        // a name that could reach outside this folder.
        if (!ftp::IsShownName(entry) || localNames.find(entry) != localNames.end() ||
            permissions.empty() || permissions[0] == 'l' || !ftp::IsSafeEntryName(entry) ||
            !ReadsAsEntry(listing, line)) {
            continue;
        }
        const std::string name(entry);
        if (ask) {
            const int answer = ShowMessage(res::LoadString(res::kTextDeletePrefix) + name + "?",
                                           win::Buttons::YesNoCancel, win::Icon::Question);
            if (answer == win::kAnswerCancel) {
                m_cancelRequested = true;
                if (m_pool) {
                    m_pool->StopQueue(); // the files on their way still arrive
                }
                break;
            }
            if (answer != win::kAnswerYes) {
                continue;
            }
        }
        if (permissions[0] == 'd') {
            DeleteRemoteTree(remote + name);
        } else {
            m_engine.FtpDelete(remote + name);
        }
        changed = true;
        if (m_engine.ConnectionLost()) {
            break;
        }
    }
    return changed;
}

} // namespace ui
