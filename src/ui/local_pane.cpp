// The local file pane: the current local folder, its listing, the drive box and the status
// text of a local item.
#include <utility>
#include <vector>

#include "local/file_type.h"
#include "local/item_status.h"
#include "local/local_path.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/cannot_run.h"
#include "ui/main_dialog.h"
#include "ui/pane_columns.h"

namespace ui {

namespace {

// The roots by name only, for questions about paths; no volume is touched.
std::vector<std::string> DriveRootPaths() {
    std::vector<std::string> paths;
    for (const platform::DriveRoot& root : platform::ListDriveRoots(false)) {
        paths.push_back(root.path);
    }
    return paths;
}

// Drive items are the only items whose text is a path.
bool IsDriveItem(const std::string& text) {
    return local::IsAbsoluteFolder(text);
}

// Index of the first item with exactly this text, searching from `start` to the last item and
// then from the first; -1 when none.
int FindComboItem(win::IImageComboBox& combo, const std::string& text, int start) {
    const int count = combo.GetCount();
    for (int k = 0; k < count; ++k) {
        const int i = (start + k) % count;
        if (combo.GetItem(i).text == text) {
            return i;
        }
    }
    return -1;
}

} // namespace

bool CMainDialog::ListLocalFolder() {
    if (m_localFolder.empty()) {
        m_localList.m_driveList = true;
        ShowLocalDrives();
        return true;
    }
    // A folder from the settings may carry doubled or trailing separators.
    const std::string normalized = local::NormalizeFolder(m_localFolder);
    if (!normalized.empty()) {
        m_localFolder = normalized;
    }
    if (!platform::SetCurrentFolder(m_localFolder)) {
        return false;
    }
    const int count = ScanLocalFolder();
    if (count < 0) {
        return false;
    }
    win::IListView& list = m_window.ListView(res::kLocalList);
    list.DeleteAllItems();
    SelectFolderInCombo();
    m_window.ImageCombo(res::kDriveCombo).SetEditText(m_localFolder);
    m_localList.m_driveList = false;
    if (count == 0) {
        return true;
    }
    OrderLocalListing(count);
    std::vector<win::ListRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (std::int32_t index : m_localListing.order) {
        const auto i = static_cast<std::size_t>(index);
        rows.push_back(
            win::ListRow{std::move(m_localListing.names[i]), m_localListing.icons[i],
                         LocalCells(m_localListing.sizes[i], m_localListing.modified[i])});
    }
    m_localListing.Clear();
    SortRows(rows, m_localOrder);
    list.InsertRows(0, rows);
    return true;
}

std::vector<std::string> CMainDialog::LocalCells(std::int64_t size, std::int64_t modified) {
    platform::LocalDateTime when;
    std::string time;
    if (modified != local::LocalListing::kNoTime && platform::ToLocalDateTime(modified, when)) {
        time = TimeCell(when.year, when.month, when.day, when.hour, when.minute, true);
    }
    return {SizeCell(size), std::move(time)};
}

win::ListRow CMainDialog::LocalRow(const std::string& name, int image) {
    platform::FileStatus status;
    if (!platform::GetFileStatus(LocalItemPath(name), status)) {
        return win::ListRow{name, image, {}};
    }
    const bool folder = status.kind == platform::EntryKind::Folder;
    return win::ListRow{name, image, LocalCells(folder ? -1 : status.size, status.modified)};
}

void CMainDialog::LocalFolderUp() {
    if (m_localFolder.empty()) {
        return;
    }
    const std::vector<std::string> roots = DriveRootPaths();
    do {
        m_localFolder = local::ParentFolder(m_localFolder, roots);
    } while (!ListLocalFolder());
}

void CMainDialog::ShowLocalDrives() {
    win::IListView& list = m_window.ListView(res::kLocalList);
    list.DeleteAllItems();
    int row = 0;
    for (const platform::DriveRoot& root : platform::ListDriveRoots()) {
        if (list.InsertItem(row, root.path, local::DriveIcon(root.type)) < 0) {
            throw ui::CannotRun{res::kDriveCombo};
        }
        ++row;
    }
    m_window.ImageCombo(res::kDriveCombo).SetCurSel(-1);
    m_window.ImageCombo(res::kDriveCombo).SetEditText("");
}

int CMainDialog::ScanLocalFolder() {
    m_localListing.Clear();
    std::vector<platform::FolderEntry> entries;
    auto countListed = [&entries] {
        int n = 0;
        for (const platform::FolderEntry& e : entries) {
            n += e.kind != platform::EntryKind::System ? 1 : 0;
        }
        return n;
    };
    if (!platform::ReadFolder(".", entries)) {
        ShowMessage(LastErrorText(), win::Buttons::Ok, win::Icon::Warning);
        return -1;
    }
    const int first = countListed();
    if (first == 0) {
        return 0;
    }
    if (!platform::ReadFolder(".", entries)) {
        ShowMessage(LastErrorText(), win::Buttons::Ok, win::Icon::Warning);
        return -1;
    }
    if (countListed() > first) {
        ShowMessage(res::LoadString(res::kTextBadTiming), win::Buttons::Ok, win::Icon::Error);
        return -1;
    }
    for (platform::FolderEntry& e : entries) {
        if (e.kind == platform::EntryKind::System) {
            continue;
        }
        const bool folder = e.kind == platform::EntryKind::Folder;
        m_localListing.icons.push_back(folder ? std::int8_t{res::kImageFolder}
                                              : local::IconIndexForName(e.name));
        m_localListing.sizes.push_back(folder ? -1 : e.size);
        m_localListing.modified.push_back(e.modifiedRead ? e.modified
                                                         : local::LocalListing::kNoTime);
        m_localListing.names.push_back(std::move(e.name));
    }
    return static_cast<int>(m_localListing.names.size());
}

void CMainDialog::OrderLocalListing(int count) {
    local::OrderLocalListing(m_localListing, count);
}

void CMainDialog::FillDriveCombo() {
    win::IImageComboBox& combo = m_window.ImageCombo(res::kDriveCombo);
    for (const platform::DriveRoot& root : platform::ListDriveRoots()) {
        const int icon = local::DriveIcon(root.type);
        const int index = combo.InsertItem(-1, win::ImageComboItem{root.path, icon, icon, 0});
        if (index < 0) {
            throw ui::CannotRun{res::kDriveCombo};
        }
        if (root.path == m_localFolder) {
            combo.SetCurSel(index);
        }
    }
}

void CMainDialog::AddFolderChainToCombo() {
    const std::string root = local::RootOfFolder(m_localFolder, DriveRootPaths());
    const std::vector<std::string> chain = local::FolderChain(m_localFolder, root);
    if (chain.empty()) {
        return;
    }
    win::IImageComboBox& combo = m_window.ImageCombo(res::kDriveCombo);
    int at = FindComboItem(combo, root, 0);
    if (at < 0 || !IsDriveItem(combo.GetItem(at).text)) {
        return;
    }
    int indent = 1;
    for (const std::string& name : chain) {
        at = combo.InsertItem(at + 1,
                              win::ImageComboItem{local::ShortenForCombo(name), res::kImageFolder,
                                                  res::kImageOpenFolder, indent++});
        if (at < 0) {
            throw ui::CannotRun{res::kDriveCombo};
        }
    }
    combo.SetCurSel(at);
}

void CMainDialog::SelectFolderInCombo() {
    win::IImageComboBox& combo = m_window.ImageCombo(res::kDriveCombo);
    if (local::IsRootFolder(m_localFolder, DriveRootPaths())) {
        const int found = FindComboItem(combo, m_localFolder, 2);
        if (found >= 0) {
            combo.SetCurSel(found);
        }
        return;
    }
    const std::string name = local::ShortenForCombo(local::LastComponent(m_localFolder));
    const int found = FindComboItem(combo, name, 1);
    if (found >= 0) {
        combo.SetCurSel(found);
        return;
    }
    if (combo.InsertItem(
            0, win::ImageComboItem{name, res::kImageOpenFolder, res::kImageOpenFolder, 0}) < 0) {
        throw ui::CannotRun{res::kDriveCombo};
    }
    combo.SetCurSel(0);
}

std::string CMainDialog::LocalItemStatusText(const std::string& name) {
    platform::FileStatus status;
    platform::LocalDateTime written;
    if (!platform::GetFileStatus(name, status) ||
        !platform::ToLocalDateTime(status.modified, written)) {
        return "";
    }
    return local::ItemStatusText(name, written, status.size);
}

std::string CMainDialog::LastErrorText() {
    m_lastError = platform::LastFileError();
    std::string text = platform::SystemErrorText(m_lastError);
    if (text.size() > 256) {
        text.resize(256);
    }
    return text;
}

void CMainDialog::OnLocalUpButton(win::Message&) {
    LocalFolderUp();
}

void CMainDialog::OnLocalRefresh(win::Message&) {
    if (!ListLocalFolder()) {
        LocalFolderUp();
    }
}

void CMainDialog::OnDriveComboDropDown(win::Message&) {
    win::IImageComboBox& combo = m_window.ImageCombo(res::kDriveCombo);
    for (int i = combo.GetCount() - 1; i >= 0; --i) {
        combo.DeleteItem(i);
    }
    FillDriveCombo();
    AddFolderChainToCombo();
}

void CMainDialog::OnDriveComboChange(win::Message& message) {
    win::IImageComboBox& combo = m_window.ImageCombo(res::kDriveCombo);
    const int chosen = message.index >= 0 ? message.index : combo.GetCurSel();
    if (chosen < 0 || chosen >= combo.GetCount()) {
        return;
    }
    const std::string remembered = m_localFolder;
    const win::ImageComboItem item = combo.GetItem(chosen);
    if (IsDriveItem(item.text)) {
        m_localFolder = item.text;
    } else {
        int drive = chosen - 1;
        while (drive >= 0 && !IsDriveItem(combo.GetItem(drive).text)) {
            --drive;
        }
        // A current-folder item at the top has no drive to build a path from: it stands for
        // the folder being shown, which is listed again.
        if (drive >= 0) {
            std::string folder = combo.GetItem(drive).text;
            for (int i = drive + 1; i <= chosen; ++i) {
                folder = local::JoinFolder(folder, combo.GetItem(i).text);
            }
            m_localFolder = folder;
        }
    }
    if (!ListLocalFolder()) {
        ShowMessage(LastErrorText(), win::Buttons::Ok, win::Icon::Warning);
        m_localFolder = remembered;
        if (!ListLocalFolder()) {
            LocalFolderUp();
        }
    }
}

} // namespace ui
