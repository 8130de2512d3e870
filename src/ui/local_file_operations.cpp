// The local pane's file operations: opening items with the desktop's program, deleting the
// selection (folders with everything below them), renaming by editing a label in place and
// creating folders. They run on the window's thread and touch nothing a job uses.
#include <cerrno>
#include <cstdint>
#include <vector>

#include "local/file_type.h"
#include "local/folder_tree.h"
#include "local/local_path.h"
#include "local/number_format.h"
#include "platform/file_operations.h"
#include "platform/file_system.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/cannot_run.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// The largest number FormatInteger writes; NewFolder names stop there.
constexpr std::int64_t kLastFolderNumber = 99999999;

} // namespace

std::string CMainDialog::LocalItemPath(const std::string& name) const {
    return m_localFolder.empty() ? name : local::JoinFolder(m_localFolder, name);
}

void CMainDialog::EnterLocalItem(bool openCommand, int row) {
    win::IListView& list = m_window.ListView(res::kLocalList);
    if (row < 0) {
        row = list.GetSelectionMark();
    }
    if (row < 0 || row >= list.GetItemCount()) {
        return;
    }
    const int image = list.GetItemImage(row);
    const std::string text = list.GetItemText(row);
    // A double click opens every file, not only the kinds a program is known for: entering a
    // file as a folder can only fail. "&Open" also opens a drive in the file browser.
    const bool file = image != res::kImageFolder && !res::IsDriveImage(image);
    if (file || (openCommand && image != res::kImageFolder)) {
        // Whether a program was found is the desktop's to tell.
        m_window.OpenWithShell(LocalItemPath(text));
        return;
    }
    const std::string remembered = m_localFolder;
    m_localFolder = LocalItemPath(text);
    if (ListLocalFolder()) {
        return;
    }
    if (m_localList.m_driveList) {
        ShowMessage(LastErrorText(), win::Buttons::Ok, win::Icon::Warning);
    }
    m_localFolder = remembered;
    if (!ListLocalFolder()) {
        LocalFolderUp();
    }
}

void CMainDialog::OpenLocalFolderInShell() {
    if (m_localFolder.empty()) {
        ShowMessage(res::LoadString(res::kTextCannotOpenDriveList), win::Buttons::Ok,
                    win::Icon::Warning);
        return;
    }
    if (!m_window.OpenWithShell(m_localFolder)) {
        ShowMessage(res::LoadString(res::kTextCannotOpenFolder), win::Buttons::Ok,
                    win::Icon::Warning);
    }
}

void CMainDialog::DeleteLocalSelection() {
    win::IListView& list = m_window.ListView(res::kLocalList);
    const int count = list.GetSelectedCount();
    if (count <= 0) {
        return;
    }
    const std::string question = res::LoadString(res::kTextDeletePrefix) +
                                 local::FormatInteger(count) +
                                 res::LoadString(res::kTextSelectedFiles);
    if (ShowMessage(question, win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
        return;
    }
    std::vector<int> rows;
    for (int row = list.GetNextSelected(-1); row >= 0 && static_cast<int>(rows.size()) < count;
         row = list.GetNextSelected(row)) {
        rows.push_back(row);
    }
    // Last to first, so that removing a row does not move the rows still to come.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const std::string name = list.GetItemText(*it);
        const bool removed = list.GetItemImage(*it) == res::kImageFolder
                                 ? DeleteLocalFolderTree(LocalItemPath(name))
                                 : DeleteLocalFile(LocalItemPath(name));
        if (removed) {
            list.DeleteItem(*it);
        } else {
            ShowMessage(LastErrorText() + res::LoadString(res::kTextCannotDelete) + name,
                        win::Buttons::Ok, win::Icon::Error);
        }
    }
}

bool CMainDialog::DeleteLocalFile(const std::string& path) {
    // Read-only files go too: here only the folder's permission guards a name, so the file's
    // mode is left as it is (another link to it keeps it).
    return platform::RemoveFile(path);
}

bool CMainDialog::DeleteLocalFolderTree(const std::string& path) {
    switch (local::DeleteFolderTree(path)) {
    case local::TreeDeletion::Removed:
        return true;
    case local::TreeDeletion::TooManyFolders:
        ShowMessage(res::LoadString(res::kTextTooManyFolders), win::Buttons::Ok,
                    win::Icon::Warning);
        return false;
    case local::TreeDeletion::NotRemoved:
        break;
    }
    return false;
}

void CMainDialog::StartLocalRename() {
    win::IListView& list = m_window.ListView(res::kLocalList);
    const int row = list.GetSelectionMark();
    if (row >= 0) {
        list.EditLabel(row);
    }
}

void CMainDialog::RenameLocalItem(int row, const std::string& text) {
    // Drives keep their names: a mount point is not renamed from here.
    if (text.empty() || m_localFolder.empty()) {
        return;
    }
    win::IListView& list = m_window.ListView(res::kLocalList);
    if (row < 0) {
        row = list.GetSelectionMark();
    }
    if (row < 0 || row >= list.GetItemCount()) {
        return;
    }
    const int image = list.GetItemImage(row);
    const std::string old = list.GetItemText(row);
    if (!platform::RenameEntry(LocalItemPath(old), LocalItemPath(text))) {
        ShowMessage(LastErrorText() + res::LoadString(res::kTextCannotRename), win::Buttons::Ok,
                    win::Icon::Error);
        if (m_lastError == ENOENT || m_lastError == ENOTDIR) {
            if (!ListLocalFolder()) {
                LocalFolderUp();
            }
        }
        return;
    }
    list.SetItemText(row, text);
    if (image != res::kImageFolder) {
        list.SetItemImage(row, local::IconIndexForName(text));
    }
    list.SetItemCells(row, LocalRow(text, image).cells);
    MoveRowToItsPlace(res::kLocalList, row);
}

void CMainDialog::CreateLocalFolder() {
    if (m_localFolder.empty()) {
        return; // the drive list has no folder to create in
    }
    for (std::int64_t n = 1; n <= kLastFolderNumber; ++n) {
        const std::string name = "NewFolder(" + local::FormatInteger(n) + ")";
        if (platform::MakeFolder(LocalItemPath(name))) {
            win::IListView& list = m_window.ListView(res::kLocalList);
            if (list.InsertRows(0, {LocalRow(name, res::kImageFolder)}) != 1) {
                throw ui::CannotRun{res::kLocalList};
            }
            list.SetSelectionMark(0);
            list.EditLabel(0);
            return;
        }
        if (platform::LastFileError() != EEXIST) {
            break;
        }
    }
    ShowMessage(LastErrorText() + res::LoadString(res::kTextCannotCreateFolder), win::Buttons::Ok,
                win::Icon::Error);
}

void CMainDialog::OnLocalItemActivated(win::Message& message) {
    EnterLocalItem(false, message.index);
}

void CMainDialog::OnLocalOpenCommand(win::Message&) {
    EnterLocalItem(true);
}

void CMainDialog::OnOpenFolderButton(win::Message&) {
    OpenLocalFolderInShell();
}

void CMainDialog::OnLocalDeleteCommand(win::Message&) {
    DeleteLocalSelection();
}

void CMainDialog::OnLocalRenameCommand(win::Message&) {
    StartLocalRename();
}

void CMainDialog::OnLocalEndLabelEdit(win::Message& message) {
    if (!message.cancelled) {
        RenameLocalItem(message.index, message.text);
    }
    message.result = 0; // the list never applies the text itself
}

void CMainDialog::OnLocalCreateFolderCommand(win::Message&) {
    CreateLocalFolder();
}

} // namespace ui
