#include "ui/main_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/system_error.h"
#include "res/images.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "res/templates.h"
#include "ui/cannot_run.h"

namespace ui {

using win::MessageKind;

CMainDialog::CMainDialog(win::IMainWindow& window, settings::SettingsStore& settings)
    : m_window(window), m_settings(settings), m_engine(*this) {
    m_hostList.m_connectedRow = 0;
}

CMainDialog::~CMainDialog() {
    // A worker never outlives the window it works on.
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

const std::vector<CommandTableRow>& CMainDialog::CommandTable() {
    using C = CMainDialog;
    // The window's message map, in its order. System command, paint and the drag icon are the
    // window system's own defaults.
    static const std::vector<CommandTableRow> table = {
        {MessageKind::ButtonClick, res::kLocalUpButton, &C::OnLocalUpButton},
        {MessageKind::ButtonClick, res::kRemoteUpButton, &C::OnRemoteUpButton},
        {MessageKind::ButtonClick, res::kConnectButton, &C::OnConnectButton},
        {MessageKind::ButtonClick, res::kOptionButton, &C::OnOptionButton},
        {MessageKind::Close, 0, &C::OnClose},
        {MessageKind::ComboDropDown, res::kDriveCombo, &C::OnDriveComboDropDown},
        {MessageKind::EndLabelEdit, res::kRemoteList, &C::OnRemoteEndLabelEdit},
        {MessageKind::EndLabelEdit, res::kLocalList, &C::OnLocalEndLabelEdit},
        {MessageKind::TabChanged, res::kHostTab, &C::OnTabChanged},
        {MessageKind::TabChanging, res::kHostTab, &C::OnTabChanging},
        {MessageKind::ComboSelChange, res::kDriveCombo, &C::OnDriveComboChange},
        {MessageKind::ComboSelChange, res::kRemotePathCombo, &C::OnRemotePathComboChange},
        {MessageKind::Command, res::kCmdLocalOpen, &C::OnLocalOpenCommand},
        {MessageKind::Command, res::kCmdLocalUpload, &C::OnLocalUploadCommand},
        {MessageKind::Command, res::kCmdLocalDelete, &C::OnLocalDeleteCommand},
        {MessageKind::Command, res::kCmdLocalRename, &C::OnLocalRenameCommand},
        {MessageKind::Command, res::kCmdLocalRefresh, &C::OnLocalRefresh},
        {MessageKind::Command, res::kCmdUploadAll, &C::OnUploadAllCommand},
        {MessageKind::Command, res::kCmdMirroring, &C::OnMirroringCommand},
        {MessageKind::Command, res::kCmdLocalCreateFolder, &C::OnLocalCreateFolderCommand},
        {MessageKind::Command, res::kCmdRemoteOpen, &C::OnRemoteOpenCommand},
        {MessageKind::Command, res::kCmdDownload, &C::OnDownloadCommand},
        {MessageKind::Command, res::kCmdRemoteDelete, &C::OnRemoteDeleteCommand},
        {MessageKind::Command, res::kCmdRemoteRename, &C::OnRemoteRenameCommand},
        {MessageKind::Command, res::kCmdPermission, &C::OnPermissionCommand},
        {MessageKind::Command, res::kCmdRemoteRefresh, &C::OnRemoteRefreshCommand},
        {MessageKind::Command, res::kCmdRemoteCreateFolder, &C::OnRemoteCreateFolderCommand},
        {MessageKind::ItemActivated, res::kRemoteList, &C::OnRemoteItemActivated},
        {MessageKind::ItemActivated, res::kLocalList, &C::OnLocalItemActivated},
        {MessageKind::ButtonClick, res::kCancelButton, &C::OnCancelButton},
        {MessageKind::ButtonClick, res::kLocalRefreshButton, &C::OnLocalRefresh},
        {MessageKind::ButtonClick, res::kUploadAllButton, &C::OnUploadAllButton},
        {MessageKind::ButtonClick, res::kMirrorButton, &C::OnMirrorButton},
        {MessageKind::ButtonClick, res::kRemoteRefreshButton, &C::OnRemoteRefreshButton},
        {MessageKind::ButtonClick, res::kOpenFolderButton, &C::OnOpenFolderButton},
        {MessageKind::Timer, res::kConnectTimer, &C::OnTimer},
        {MessageKind::Command, res::kCmdHostConnect, &C::OnHostConnect},
        {MessageKind::Command, res::kCmdHostProperty, &C::OnHostProperty},
        {MessageKind::Command, res::kCmdHostDelete, &C::OnHostDelete},
        {MessageKind::Command, res::kCmdCreateHost, &C::OnCreateHost},
        {MessageKind::ItemChanging, res::kHostList, &C::OnHostListItemChanging},
        {MessageKind::ItemActivated, res::kHostList, &C::OnHostListItemActivated},
        {MessageKind::Command, res::kCmdOverwriteUpload, &C::OnOverwriteUploadCommand},
        // Enter in the host edits, before the dialog's own handling.
        {MessageKind::KeyEnter, 0, &C::OnKeyEnter},
        // Messages that the list controls handle for their own windows.
        {MessageKind::ContextMenu, res::kHostList, &C::OnHostListContextMenu},
        {MessageKind::ContextMenu, res::kLocalList, &C::OnFileListContextMenu},
        {MessageKind::ContextMenu, res::kRemoteList, &C::OnFileListContextMenu},
        {MessageKind::BeginDrag, res::kLocalList, &C::OnFileListBeginDrag},
        {MessageKind::BeginDrag, res::kRemoteList, &C::OnFileListBeginDrag},
        {MessageKind::MouseMove, res::kLocalList, &C::OnFileListMouse},
        {MessageKind::MouseMove, res::kRemoteList, &C::OnFileListMouse},
        {MessageKind::LeftButtonUp, res::kLocalList, &C::OnFileListMouse},
        {MessageKind::LeftButtonUp, res::kRemoteList, &C::OnFileListMouse},
        {MessageKind::ItemChanged, res::kLocalList, &C::OnFileListItemChanged},
        {MessageKind::ItemChanged, res::kRemoteList, &C::OnFileListItemChanged},
        {MessageKind::FocusGained, res::kLocalList, &C::OnFileListFocus},
        {MessageKind::FocusGained, res::kRemoteList, &C::OnFileListFocus},
        {MessageKind::FilesDropped, res::kRemoteList, &C::OnRemoteFilesDropped},
        {MessageKind::KeyDown, res::kLocalList, &C::OnFileListKey},
        {MessageKind::KeyDown, res::kRemoteList, &C::OnFileListKey},
        {MessageKind::ColumnClick, res::kLocalList, &C::OnColumnClick},
        {MessageKind::ColumnClick, res::kRemoteList, &C::OnColumnClick},
    };
    return table;
}

void CMainDialog::Dispatch(win::Message& message) {
    if (m_closed) {
        return;
    }
    for (const auto& row : CommandTable()) {
        if (row.kind == message.kind && (row.id == 0 || row.id == message.id)) {
            try {
                (this->*row.handler)(message);
                // A local rename, delete or new folder changes rows at once; jobs refresh
                // the line when they end.
                if ((message.kind == MessageKind::Command ||
                     message.kind == MessageKind::EndLabelEdit) &&
                    !m_busy) {
                    RefreshStatusLine();
                }
            } catch (const ui::CannotRun&) {
                FailToRun();
            }
            return;
        }
    }
}

void CMainDialog::Start() {
    try {
        OnInitDialog();
    } catch (const ui::CannotRun&) {
        FailToRun();
    }
}

void CMainDialog::FailToRun() {
    // A required resource is missing: say so and end without writing the settings.
    m_window.MessageBox(res::LoadString(res::kTextCannotRun), win::Buttons::Ok, win::Icon::Warning);
    m_closed = true;
    m_window.Destroy();
}

bool CMainDialog::OnInitDialog() {
    m_busy = false;
    m_connected = false;
    m_cancelRequested = false;
    m_labelEditMode = LabelEditMode::None;

    m_window.Button(res::kLocalUpButton).SetIcon(res::kIconUp);
    m_window.Button(res::kRemoteUpButton).SetIcon(res::kIconUp);
    m_window.Button(res::kLocalRefreshButton).SetIcon(res::kIconRefresh);
    m_window.Button(res::kRemoteRefreshButton).SetIcon(res::kIconRefresh);
    m_window.Button(res::kMirrorButton).SetIcon(res::kIconMirror);
    m_window.Button(res::kUploadAllButton).SetIcon(res::kIconUploadAll);
    m_window.Button(res::kCancelButton).SetIcon(res::kIconCancel);
    m_window.Button(res::kOptionButton).SetIcon(res::kIconOption);
    m_window.Button(res::kOpenFolderButton).SetIcon(res::kIconOpenFolder);
    m_window.Button(res::kConnectButton).SetIcon(res::kIconConnect);
    m_window.Button(res::kCancelButton).Enable(false);

    m_window.Text(res::kStatusBar).SetText("");

    m_openedRect = m_window.GetWindowRect();
    LoadSettings();
    if (const platform::ProfileProblem problem = m_settings.Problem();
        problem != platform::ProfileProblem::None) {
        const int reason =
            problem == platform::ProfileProblem::TooLarge     ? res::kTextSettingsTooLarge
            : problem == platform::ProfileProblem::OthersLink ? res::kTextSettingsOthersLink
                                                              : res::kTextSettingsNotFile;
        ShowMessage(res::LoadString(res::kTextSettingsRefused) + m_settings.Path() + "\r\n" +
                        res::LoadString(reason),
                    win::Buttons::Ok, win::Icon::Warning);
    }

    // The file-type images are required: without them the program cannot run.
    if (res::FindXpm(res::kBitmapFileTypes) == nullptr) {
        throw ui::CannotRun{res::kBitmapFileTypes};
    }
    m_window.ListView(res::kRemoteList).SetImageList(res::kBitmapFileTypes);
    m_window.ListView(res::kLocalList).SetImageList(res::kBitmapFileTypes);
    m_window.ImageCombo(res::kDriveCombo).SetImageList(res::kBitmapFileTypes);
    SetUpColumns();

    FillDriveCombo();

    if (res::FindXpm(res::kBitmapHost) == nullptr) {
        throw ui::CannotRun{res::kBitmapHost};
    }
    m_window.ListView(res::kHostList).SetImageList(res::kBitmapHost);

    InsertTabs();

    int tab = m_settings.ReadInt("tabX", 0);
    if (tab < 0 || tab > ui::kHostListTab) {
        tab = 0;
    }
    m_window.Tab(res::kHostTab).SetCurSel(tab);
    ApplyTab();

    m_window.Edit(res::kLogEdit).SetLimit(m_logLimit);
    return true;
}

void CMainDialog::OnClose(win::Message&) {
    CloseProcedure();
}

bool CMainDialog::CloseProcedure() {
    if (m_closed) {
        return true;
    }
    const bool busy = m_busy;
    if (busy && m_window.MessageBox(res::LoadString(res::kTextCloseWhileBusy), win::Buttons::YesNo,
                                    win::Icon::Question) != win::kAnswerYes) {
        return false;
    }
    StoreCurrentHost();
    if (m_connected) {
        int slot = CurrentHostSlot();
        if (slot != ui::kNoSlot) {
            m_hosts[static_cast<std::size_t>(slot)].serverFolder = m_remoteFolder;
        }
    }
    m_settings.TakeWriteError();
    SaveSettings();
    // Hosts that cannot be saved are never lost silently: the user decides, knowing why.
    if (const int error = m_settings.TakeWriteError(); error != 0) {
        const std::string question = res::LoadString(res::kTextCannotSaveSettings) +
                                     m_settings.Path() + "\r\n" + platform::SystemErrorText(error) +
                                     res::LoadString(res::kTextCloseAnyway);
        if (m_window.MessageBox(question, win::Buttons::YesNo, win::Icon::Question) !=
            win::kAnswerYes) {
            return false;
        }
    }
    m_closed = true;
    m_window.Destroy();
    if (m_busy) {
        // The running job still uses this window: end the process before anything it
        // touches is destroyed. The settings are already written.
        if (m_exitWhileBusy) {
            m_exitWhileBusy();
        } else {
            std::fflush(nullptr);
            std::_Exit(0);
        }
    }
    return true;
}

void CMainDialog::OnKeyEnter(win::Message& message) {
    switch (message.id) {
    case res::kServerNameEdit:
    case res::kUserNameEdit:
        message.result = 1;
        break;
    case res::kPasswordEdit:
        ConnectToggle();
        message.result = 1;
        break;
    case res::kLocalList:
    case res::kRemoteList: {
        // Enter opens the row at the selection mark, as a double click does.
        win::IListView& list = m_window.ListView(message.id);
        const int mark = list.GetSelectionMark();
        if (mark >= 0 && (list.GetItemState(mark) & win::kStateSelected) != 0) {
            win::Message open{MessageKind::ItemActivated, message.id, mark};
            Dispatch(open);
        }
        message.result = 1;
        break;
    }
    case res::kDriveCombo:
    case res::kRemotePathCombo:
        GoToTypedPath(message.id);
        message.result = 1;
        break;
    default:
        // Enter elsewhere does nothing: the window never ends without the close procedure.
        message.result = 1;
        break;
    }
}

void CMainDialog::OnOptionButton(win::Message&) {
    if (m_busy) {
        m_window.MessageBox(res::LoadString(res::kTextCannotSetupOptions), win::Buttons::Ok,
                            win::Icon::Warning);
        return;
    }
    RunOptionDialog();
}

void CMainDialog::OnCancelButton(win::Message&) {
    m_cancelRequested = true;
}

void CMainDialog::OnUploadAllButton(win::Message& message) {
    if (m_connected && !m_busy) {
        OnUploadAllCommand(message);
    }
}

void CMainDialog::OnMirrorButton(win::Message& message) {
    if (m_connected && !m_busy) {
        OnMirroringCommand(message);
    }
}

void CMainDialog::OnRemoteRefreshButton(win::Message& message) {
    if (m_connected && !m_busy) {
        OnRemoteRefreshCommand(message);
    }
}

void CMainDialog::WaitForWorker() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

int CMainDialog::CurrentHostSlot() const {
    int tab = m_window.Tab(res::kHostTab).GetCurSel();
    if (tab >= 0 && tab < ui::kHostListTab) {
        return tab;
    }
    return HostSlotFromRow(m_window.ListView(res::kHostList).GetSelectionMark());
}

void CMainDialog::TrackContextMenu(int menuId, const std::set<int>& grayed, int x, int y) {
    const res::Menu* menu = res::FindMenu(menuId);
    if (menu == nullptr) {
        throw ui::CannotRun{menuId};
    }
    const int command = m_window.TrackPopupMenu(menuId, grayed, x, y);
    // Only a command of the menu shown, and not a grayed one, can come back from it.
    const bool offered =
        std::any_of(menu->items.begin(), menu->items.end(), [command](const res::MenuItem& item) {
            return item.command != 0 && item.command == command;
        });
    if (!offered || grayed.count(command) != 0) {
        return;
    }
    win::Message chosen(win::MessageKind::Command, command);
    Dispatch(chosen);
}

} // namespace ui
