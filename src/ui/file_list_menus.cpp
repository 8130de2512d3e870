// The context menus of the two file panes: which menu a right click shows and which of its
// commands are grayed. A chosen command goes through the window's one entry point.
#include <set>

#include "res/file_types.h"
#include "res/resource_ids.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// Local pane, items selected (menu 137) or none (138).
int LocalMenu(const win::IListView& list, bool driveList, bool canTransfer, std::set<int>& grayed) {
    const int selected = list.GetSelectedCount();
    if (selected == 0) {
        if (driveList) {
            grayed = {res::kCmdUploadAll, res::kCmdMirroring, res::kCmdLocalCreateFolder};
        } else if (!canTransfer) {
            grayed = {res::kCmdUploadAll, res::kCmdMirroring};
        }
        return res::kMenuLocalEmpty;
    }
    if (!canTransfer) {
        grayed = {res::kCmdLocalUpload, res::kCmdOverwriteUpload};
    }
    if (selected > 1) {
        grayed.insert({res::kCmdLocalOpen, res::kCmdLocalRename});
    } else {
        const int mark = list.GetSelectionMark();
        if (mark >= 0 && res::IsDriveImage(list.GetItemImage(mark))) {
            grayed.insert({res::kCmdLocalUpload, res::kCmdOverwriteUpload, res::kCmdLocalDelete,
                           res::kCmdLocalRename});
        }
    }
    return res::kMenuLocalItems;
}

// Remote pane, items selected (menu 139) or none (140).
int RemoteMenu(const win::IListView& list, std::set<int>& grayed) {
    const int selected = list.GetSelectedCount();
    if (selected == 0) {
        return res::kMenuRemoteEmpty;
    }
    if (selected > 1) {
        grayed = {res::kCmdRemoteOpen, res::kCmdRemoteRename, res::kCmdPermission};
        return res::kMenuRemoteItems;
    }
    const int mark = list.GetSelectionMark();
    const int kind = mark >= 0 ? list.GetItemImage(mark) : res::kImageFolder;
    if (kind == res::kImageLink) {
        grayed = {res::kCmdDownload, res::kCmdRemoteDelete, res::kCmdRemoteRename,
                  res::kCmdPermission};
    } else if (kind != res::kImageFolder) {
        grayed = {res::kCmdRemoteOpen};
    }
    return res::kMenuRemoteItems;
}

} // namespace

void CMainDialog::OnFileListContextMenu(win::Message& message) {
    const bool canTransfer = m_connected && !m_busy;
    std::set<int> grayed;
    int menuId = 0;
    if (message.id == res::kLocalList) {
        menuId = LocalMenu(m_window.ListView(res::kLocalList), m_localList.m_driveList, canTransfer,
                           grayed);
    } else {
        if (!canTransfer) {
            return; // the remote pane has nothing to offer while disconnected or busy
        }
        menuId = RemoteMenu(m_window.ListView(res::kRemoteList), grayed);
    }
    TrackContextMenu(menuId, grayed, message.x, message.y);
}

} // namespace ui
