// The file panes' drags from one pane to the other, files dropped from the desktop onto the
// remote pane, and the status line that follows the selected row.
#include "platform/file_system.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// The kind a dropped file gets: the upload job asks only whether an item is a folder.
constexpr int kDroppedFile = 1;

int OtherList(int list) {
    return list == res::kLocalList ? res::kRemoteList : res::kLocalList;
}

} // namespace

bool& CMainDialog::Dragging(int list) {
    return list == res::kLocalList ? m_localList.m_dragging : m_remoteList.m_dragging;
}

void CMainDialog::OnFileListBeginDrag(win::Message& message) {
    // Transfers start only from an idle connection; a refused drag shows nothing.
    if (!m_connected || m_busy) {
        return;
    }
    m_window.CaptureMouse(message.id);
    m_window.SetCursor(res::kCursorDrop);
    Dragging(message.id) = true;
}

void CMainDialog::OnFileListMouse(win::Message& message) {
    if (!Dragging(message.id)) {
        return;
    }
    const bool overOther =
        m_window.GetControlRectOnScreen(OtherList(message.id)).Contains(message.x, message.y);
    if (message.kind == win::MessageKind::MouseMove) {
        const bool overOwn =
            m_window.GetControlRectOnScreen(message.id).Contains(message.x, message.y);
        m_window.SetCursor(overOwn || overOther ? res::kCursorDrop : res::kCursorNoDrop);
        return;
    }
    m_window.SetCursor(0);
    m_window.ReleaseMouse();
    Dragging(message.id) = false;
    if (!overOther) {
        return; // released anywhere else, its own list included: the drag only ends
    }
    if (message.id == res::kLocalList) {
        m_job.mirroring = false;
        m_job.overwrite = false;
        StartUpload();
    } else {
        StartDownload();
    }
}

void CMainDialog::OnRemoteFilesDropped(win::Message& message) {
    m_window.BringToForeground();
    if (!m_connected) {
        m_window.MessageBox(res::LoadString(res::kTextConnectBeforeDrop), win::Buttons::Ok,
                            win::Icon::Warning);
        return;
    }
    // The job inputs belong to the running job: a drop now would change them under it.
    if (m_busy || message.paths.empty()) {
        return;
    }
    m_job.FreeItems();
    for (const std::string& path : message.paths) {
        const std::size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        // A path whose kind cannot be read counts as a folder, as its attributes would say.
        platform::FileStatus status;
        const bool folder =
            !platform::GetFileStatus(path, status) || status.kind == platform::EntryKind::Folder;
        m_job.Add(name, folder ? res::kImageFolder : kDroppedFile);
    }
    const std::string& last = message.paths.back();
    const std::size_t slash = last.rfind('/');
    m_job.localBase = slash == std::string::npos ? std::string() : last.substr(0, slash + 1);
    m_job.overwrite = false;
    StartUploadDropped();
}

void CMainDialog::ShowStatusOfRow(int list, int row) {
    const std::string text = m_window.ListView(list).GetItemText(row);
    {
        std::lock_guard<std::mutex> lock(m_statusMutex);
        m_statusList = list;
        m_statusName = text;
    }
    m_window.Text(res::kStatusBar)
        .SetText(list == res::kLocalList ? LocalItemStatusText(text)
                                         : m_remoteEntries.ListingEntryLine(text));
}

void CMainDialog::RefreshStatusLine() {
    int list = 0;
    std::string name;
    {
        std::lock_guard<std::mutex> lock(m_statusMutex);
        list = m_statusList;
        name = m_statusName;
    }
    if (list == 0) {
        return;
    }
    // The row by its name: a listing made again holds it at another place, unselected.
    const std::vector<win::ListRow> rows = m_window.ListView(list).GetRows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].text == name) {
            ShowStatusOfRow(list, static_cast<int>(row));
            return;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_statusMutex);
        m_statusList = 0;
        m_statusName.clear();
    }
    m_window.Text(res::kStatusBar).SetText("");
}

void CMainDialog::OnFileListItemChanged(win::Message& message) {
    // Only a row that has just become the selected and focused one describes itself.
    if (message.index >= 0 && message.newState == (win::kStateSelected | win::kStateFocused)) {
        ShowStatusOfRow(message.id, message.index);
    }
}

void CMainDialog::OnFileListFocus(win::Message& message) {
    const int mark = m_window.ListView(message.id).GetSelectionMark();
    if (mark >= 0) {
        ShowStatusOfRow(message.id, mark);
    }
}

} // namespace ui
