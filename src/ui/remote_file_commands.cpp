// The remote pane's delete, rename, create-folder and permission commands on the window's
// thread, and the end of a label edit that starts the rename or create-folder job. Each leaves
// what its job needs before the job starts. The menu offers them only while connected and idle;
// a command that arrives otherwise does nothing, since the running job owns what it would set.
#include "ftp/listing_grammar.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"
#include "ui/remote_row_name.h"

namespace ui {

void CMainDialog::OnRemoteDeleteCommand(win::Message&) {
    if (m_busy || !m_connected) {
        return;
    }
    const int count = m_window.ListView(res::kRemoteList).GetSelectedCount();
    const std::string question = res::LoadString(res::kTextDeletePrefix) +
                                 settings::FormatDecimal(count) +
                                 res::LoadString(res::kTextSelectedFiles);
    if (m_window.MessageBox(question, win::Buttons::YesNo, win::Icon::Question) ==
        win::kAnswerYes) {
        RunJob(&CMainDialog::DeleteJob, true);
    }
}

void CMainDialog::OnRemoteRenameCommand(win::Message&) {
    if (m_busy || !m_connected) {
        return;
    }
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    const int row = pane.GetSelectionMark();
    if (row < 0) {
        return;
    }
    m_renameRow = row;
    m_labelEditMode = LabelEditMode::Rename;
    pane.EditLabel(row);
}

void CMainDialog::OnRemoteCreateFolderCommand(win::Message&) {
    if (m_busy || !m_connected) {
        return;
    }
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    const int row = pane.InsertItem(0, "NewFolder", res::kImageFolder);
    if (row < 0) {
        return;
    }
    m_newFolderRow = row;
    pane.SetSelectionMark(row);
    m_labelEditMode = LabelEditMode::CreateFolder;
    pane.EditLabel(row);
}

void CMainDialog::OnRemoteEndLabelEdit(win::Message& message) {
    // The pane never takes the edited text itself: what it shows comes from the job.
    message.result = 0;
    if (m_busy || m_labelEditMode == LabelEditMode::None) {
        return;
    }
    m_labelEditText = message.cancelled ? std::string() : message.text;
    if (m_labelEditMode == LabelEditMode::Rename) {
        // The rename is of the row that was edited, wherever the selection has moved since.
        if (message.index >= 0) {
            m_renameRow = message.index;
        }
        RunJob(&CMainDialog::RenameJob);
    } else {
        RunJob(&CMainDialog::CreateFolderJob);
    }
    m_labelEditMode = LabelEditMode::None;
}

void CMainDialog::OnPermissionCommand(win::Message&) {
    if (m_busy || !m_connected) {
        return;
    }
    win::IListView& pane = m_window.ListView(res::kRemoteList);
    const int row = pane.GetSelectionMark();
    if (row < 0) {
        return;
    }
    // No job runs, so the listing stays as it is while it is read here.
    const std::string& listing = m_remoteEntries.m_remoteListing;
    const int line = ftp::FindListingLine(pane.GetItemText(row), listing);
    if (line < 0) {
        return;
    }
    const std::string permission = ftp::ListingField(listing, line, ftp::kFieldPermissions, false);
    if (permission.empty()) {
        return;
    }
    CPermissionDialog& dialog = m_permissionDialog;
    dialog.m_fileName = ui::RemoteRowName(pane, row);
    dialog.m_permission = permission;
    m_window.RunModal(res::kPermissionTemplate, dialog);
    if (dialog.m_changed) {
        RunJob(&CMainDialog::ChmodJob);
    }
}

} // namespace ui
