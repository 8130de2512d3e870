// The jobs that change the server's tree in place: delete rows and whole folder trees, rename a
// row, create a folder and change a permission. They read the pane through the window; what the
// window's thread chose for them (edited text and row, mode) it leaves alone until they end.
#include <utility>
#include <vector>

#include "ftp/entry_names.h"
#include "ftp/listing_grammar.h"
#include "ftp/listing_index.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"
#include "ui/remote_row_name.h"

namespace ui {

namespace {

std::string FolderWithSlash(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + '/';
}

} // namespace

void CMainDialog::DeleteJob() {
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    // The selected rows as they are now, each by the name the server knows it by.
    std::vector<std::pair<std::string, int>> rows;
    for (int row = pane.GetNextSelected(-1); row >= 0; row = pane.GetNextSelected(row)) {
        rows.emplace_back(ui::RemoteRowName(pane, row), pane.GetItemImage(row));
    }
    m_engine.ResetDeletedCount();
    m_treeBounds.Reset();
    bool incomplete = false;
    const std::string dir = FolderWithSlash(m_remoteFolder);
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const auto& [name, kind] = *it;
        bool deleted = false;
        // A listed name that would step out of this folder is never sent.
        if (ftp::IsSafeEntryName(name)) {
            deleted =
                kind == res::kImageFolder ? DeleteRemoteTree(dir + name) : m_engine.FtpDelete(name);
        }
        incomplete = incomplete || !deleted;
        if (m_engine.ConnectionLost()) {
            return;
        }
        if (m_cancelRequested) {
            AppendLog(res::LoadString(res::kTextDeleteCanceled));
            m_cancelRequested = false;
            break;
        }
    }
    RefreshRemoteList(true, false);
    if (m_engine.ConnectionLost()) {
        return;
    }
    AppendLog(res::LoadString(incomplete ? res::kTextDeleteIncomplete : res::kTextDeleteCompleted));
    LogValueAndText(settings::FormatDecimal(m_engine.DeletedCount()), res::kTextFilesDeleted);
}

bool CMainDialog::DeleteRemoteTree(const std::string& path) {
    // Files go while the tree is listed breadth first; the folders go afterwards, deepest
    // first, so each is empty by the time it is removed.
    std::vector<std::string> folders;
    bool leftBehind = false;
    std::string current = path;
    std::size_t next = 0;
    for (;;) {
        // Every entry, dot names included: a folder that still holds one cannot be removed.
        ftp::ListingIndex listing;
        int lines = 0;
        if (!ListTreeFolder(current, path, true, listing, lines)) {
            return false;
        }
        for (int line = 0; line < listing.LineCount(); ++line) {
            const std::string entry = listing.Field(line, ftp::kFieldName, true);
            const std::string permission = listing.Field(line, ftp::kFieldPermissions, false);
            if (entry == "." || entry == ".." || entry.empty() || entry == ftp::kNotEntry ||
                permission.empty() || permission[0] == 'l') {
                // The folder itself, its parent and links stay; a link keeps its folder too.
            } else if (!ftp::IsSafeEntryName(entry)) {
                // A name that could reach outside the tree is left where it is, and so is
                // everything it would have taken with it.
                leftBehind = true;
            } else if (permission[0] == 'd') {
                if (!QueueTreeFolder(folders, current + "/" + entry)) {
                    return false;
                }
            } else {
                m_engine.FtpDelete(current + "/" + entry);
                if (m_engine.ConnectionLost()) {
                    return false;
                }
            }
            if (m_cancelRequested) {
                return false;
            }
        }
        if (next >= folders.size()) {
            break;
        }
        current = folders[next++];
    }
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        m_engine.FtpRemoveFolder(*it);
        if (m_engine.ConnectionLost()) {
            return false;
        }
        m_engine.Cache().Invalidate(*it);
    }
    m_engine.Cache().Invalidate(path);
    const bool removed = m_engine.FtpRemoveFolder(path);
    return removed && !leftBehind;
}

void CMainDialog::RenameJob() {
    if (m_labelEditText.empty()) {
        return; // Escape
    }
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    const int row = m_renameRow;
    if (row < 0 || row >= pane.GetItemCount()) {
        return;
    }
    const std::string oldName = ui::RemoteRowName(pane, row);
    // A link's label showed its target too; only its name goes to the server.
    const std::string newName = pane.GetItemImage(row) == res::kImageLink
                                    ? ftp::LinkName(m_labelEditText)
                                    : m_labelEditText;
    if (oldName.empty() || newName.empty()) {
        return;
    }
    // A renamed folder's cached listing would answer for a folder that is gone.
    m_engine.Cache().Invalidate(FolderWithSlash(m_remoteFolder) + oldName);
    if (m_engine.FtpRename(oldName, newName)) {
        RefreshRemoteList(true, false);
    } else if (!m_engine.ConnectionLost()) {
        ShowMessage(res::LoadString(res::kTextCannotRename), win::Buttons::Ok, win::Icon::Warning);
    }
}

void CMainDialog::CreateFolderJob() {
    const std::string name = m_labelEditText.empty() ? std::string("NewFolder") : m_labelEditText;
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    if (m_engine.FtpMakeFolder(name)) {
        pane.SetItemText(m_newFolderRow, name);
        RefreshRemoteList(true, false);
        return;
    }
    if (m_engine.ConnectionLost()) {
        return;
    }
    pane.DeleteItem(m_newFolderRow);
    ShowMessage(res::LoadString(res::kTextCannotCreateFolder), win::Buttons::Ok,
                win::Icon::Warning);
}

void CMainDialog::ChmodJob() {
    // The dialog is closed and the window's thread opens it again only when no job runs.
    const CPermissionDialog& dialog = m_permissionDialog;
    const bool changed = m_engine.FtpChmod(dialog.m_mode + " " + dialog.m_fileName);
    if (changed) {
        RefreshRemoteList(true, false);
    }
    // Like every other job, a lost connection ends it silently after "Disconnected."
    if (m_engine.ConnectionLost()) {
        return;
    }
    AppendLog(
        res::LoadString(changed ? res::kTextPermissionChanged : res::kTextCannotChangePermission));
}

} // namespace ui
