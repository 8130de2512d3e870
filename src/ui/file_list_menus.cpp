// The context menus of the two file panes: which menu a right click shows and which of its
// commands are grayed. A chosen command goes through the window's one entry point.
#include <algorithm>
#include <set>

#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/templates.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// Local pane, items selected (menu 137) or none (138).
int LocalMenu(const win::IListView& list, int selected, bool driveList, bool canTransfer,
              std::set<int>& grayed) {
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
int RemoteMenu(const win::IListView& list, int selected, std::set<int>& grayed) {
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

int CMainDialog::FileListMenu(int list, std::set<int>& grayed, bool asIfNoneSelected) {
    const bool canTransfer = m_connected && !m_busy;
    const win::IListView& pane = m_window.ListView(list);
    const int selected = asIfNoneSelected ? 0 : pane.GetSelectedCount();
    if (list == res::kLocalList) {
        return LocalMenu(pane, selected, m_localList.m_driveList, canTransfer, grayed);
    }
    if (!canTransfer) {
        return 0; // the remote pane has nothing to offer while disconnected or busy
    }
    return RemoteMenu(pane, selected, grayed);
}

void CMainDialog::OnFileListContextMenu(win::Message& message) {
    std::set<int> grayed;
    const int menuId = FileListMenu(message.id, grayed);
    if (menuId != 0) {
        TrackContextMenu(menuId, grayed, message.x, message.y);
    }
}

// The keys of a file list carry out the commands of its context menu, where the menu would
// offer them: a key never does what a right click could not.
void CMainDialog::OnFileListKey(win::Message& message) {
    const bool local = message.id == res::kLocalList;
    win::IListView& list = m_window.ListView(message.id);
    message.result = 1;
    int command = 0;
    switch (message.index) {
    case win::kKeyBackspace:
        if (local) {
            LocalFolderUp();
        } else {
            win::Message up{win::MessageKind::ButtonClick, res::kRemoteUpButton};
            Dispatch(up);
        }
        return;
    case win::kKeyTab:
        m_window.SetFocus(local ? res::kRemoteList : res::kLocalList);
        return;
    case win::kKeySelectAll:
        list.SetItemState(-1, win::kStateSelected, win::kStateSelected);
        return;
    case win::kKeyDelete:
        command = local ? res::kCmdLocalDelete : res::kCmdRemoteDelete;
        break;
    case win::kKeyF2:
        command = local ? res::kCmdLocalRename : res::kCmdRemoteRename;
        break;
    case win::kKeyF5:
        command = local ? res::kCmdLocalRefresh : res::kCmdRemoteRefresh;
        break;
    case win::kKeyF7:
        command = local ? res::kCmdLocalCreateFolder : res::kCmdRemoteCreateFolder;
        break;
    default:
        message.result = 0;
        return;
    }
    // Refresh and the new folder belong to the menu of no selection, whatever is selected.
    const bool ofEmptyMenu = message.index == win::kKeyF5 || message.index == win::kKeyF7;
    std::set<int> grayed;
    const int menuId = FileListMenu(message.id, grayed, ofEmptyMenu);
    const res::Menu* menu = menuId != 0 ? res::FindMenu(menuId) : nullptr;
    if (menu == nullptr || grayed.count(command) != 0 ||
        std::none_of(menu->items.begin(), menu->items.end(),
                     [command](const res::MenuItem& item) { return item.command == command; })) {
        return;
    }
    win::Message chosen{win::MessageKind::Command, command};
    Dispatch(chosen);
}

} // namespace ui
