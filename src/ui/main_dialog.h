// CMainDialog: the program's one window and the owner of all its state. It talks to its
// controls only through the window-system interfaces, so the real window, script mode and the
// tests all drive it through Dispatch().
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "ftp/engine_owner.h"
#include "ftp/ftp_client.h"
#include "ftp/remote_entry_table.h"
#include "local/local_listing.h"
#include "platform/secret_store.h"
#include "platform/window/window.h"
#include "settings/settings_store.h"
#include "ui/ascii_extension_list.h"
#include "ui/file_lists.h"
#include "ui/host_record.h"
#include "ui/job_inputs.h"
#include "ui/job_progress.h"
#include "ui/options.h"
#include "ui/pane_columns.h"
#include "ui/permission_dialog.h"
#include "ui/remote_time.h"
#include "ui/transfer_pool.h"

namespace ui {

class CMainDialog;

// A handler of the command table.
using CommandHandler = void (CMainDialog::*)(win::Message&);

struct CommandTableRow {
    win::MessageKind kind;
    int id; // 0 = any id
    CommandHandler handler;
};

enum class LabelEditMode { None, Rename, CreateFolder };

class CMainDialog : public win::IMessageHandler, public ftp::IEngineOwner {
public:
    CMainDialog(win::IMainWindow& window, settings::SettingsStore& settings);
    ~CMainDialog() override;
    CMainDialog(const CMainDialog&) = delete;
    CMainDialog& operator=(const CMainDialog&) = delete;

    // ---- Main window (main_dialog.cpp) ----
    bool OnInitDialog();
    // OnInitDialog guarded as the program's run is: a missing image or menu resource ends the
    // program with text 106.
    void Start();
    void FailToRun();
    void Dispatch(win::Message& message) override; // the one entry point
    static const std::vector<CommandTableRow>& CommandTable();
    void OnClose(win::Message& message);
    bool CloseProcedure(); // true when the window ends
    void OnKeyEnter(win::Message& message);
    void OnOptionButton(win::Message& message);
    void OnCancelButton(win::Message& message);
    void OnUploadAllButton(win::Message& message);
    void OnMirrorButton(win::Message& message);
    void OnRemoteRefreshButton(win::Message& message);
    bool IsClosed() const { return m_closed; }
    // Waits until no job runs (tests and script mode; pumps nothing itself).
    void WaitForWorker();
    // Shows a context menu with the grayed commands and dispatches the command chosen.
    void TrackContextMenu(int menuId, const std::set<int>& grayed, int x, int y);

    // ---- Settings (settings_io.cpp) ----
    void LoadSettings();
    // Fills the hosts' passwords from the keyring where the settings say they live there.
    void ReadKeyringPasswords();
    // The "pin" items to write: each password the keyring has taken and given back unchanged
    // is written empty, every other one as the settings file always kept it.
    std::array<std::string, ui::kHostSlots> PasswordsForFile();
    void SaveSettings();

    // ---- Log and progress (log_pane.cpp) ----
    void AppendLog(const std::string& text) override;
    void LogValueAndText(const std::string& value, int id);
    void LogTextAndValue(int id, const std::string& value);
    void OnTimer(win::Message& message);
    void SetProgressRange(std::int64_t total) override;
    void SetProgress(std::int64_t done) override;
    void ResetProgress(); // bar 0, byte counter "0"
    // The transfer job's line beside the byte counter: started with the job, shown a few
    // times a second while it runs, and left with its summary when it ends.
    void StartJobProgress();
    void FinishJobProgress();
    void ShowJobProgress();
    void ClearLog();
    int ShowMessage(const std::string& text, win::Buttons buttons, win::Icon icon);
    ftp::BoxAnswer ShowMessage(const std::string& text, ftp::BoxButtons buttons,
                               ftp::BoxIcon icon) override;
    // The box itself, whoever asks for it.
    ftp::BoxAnswer ShowBox(const std::string& text, ftp::BoxButtons buttons, ftp::BoxIcon icon);
    void SetConnectPhase(ftp::ConnectPhase phase) override;
    bool CancelRequested() override { return m_cancelRequested; }
    void ClearCancelRequest() override { m_cancelRequested = false; }
    const std::atomic<bool>* CancelFlag() override { return &m_cancelRequested; }
    std::string RemoteFolder() override;
    void RestorePreviousRemoteFolder() override;
    ftp::StoreOptions GetStoreOptions() override;
    bool PassiveMode() override;

    // ---- Host book (host_book.cpp, host_pro.cpp) ----
    void InsertTabs();
    int HostSlotFromRow(int row) const;
    void FillHostList();
    void ApplyTab();
    bool CanChangeHost(); // false keeps the old tab
    void StoreCurrentHost();
    void OnTabChanging(win::Message& message);
    void OnTabChanged(win::Message& message);
    void OnHostListItemChanging(win::Message& message);
    void OnHostListItemActivated(win::Message& message);
    void OnHostListContextMenu(win::Message& message);
    void OnHostConnect(win::Message& message);  // 183
    void OnHostProperty(win::Message& message); // 185
    void OnCreateHost(win::Message& message);   // 187
    void OnHostDelete(win::Message& message);   // 189
    int CurrentHostSlot() const; // tab index, or the selected row's slot on tab 6 (kNoSlot)

    // ---- Jobs: runner and connection jobs (jobs/job_runner.cpp, jobs/connection_jobs.cpp) ----
    using JobBody = void (CMainDialog::*)();
    void RunJob(JobBody body, bool cancellable = false);
    void ConnectToggle();
    void ConnectJob();
    // Chooses the host to connect to and copies the visible host fields into its slot, on the
    // window's thread, so the worker never touches the slots or the folders the window edits.
    void ChooseConnectHost();
    bool OnWindowThread() const { return std::this_thread::get_id() == m_windowThread; }
    // Stores the certificate the user trusted while connecting in the host's slot.
    void KeepTrustedCertificate();
    void DisconnectJob();
    void DisconnectCleanup() override;
    bool RefreshRemoteList(bool skipChangeFolder, bool useCache);
    void RememberRemoteFolder(const std::string& path);
    void ClimbRemoteFolder();
    void RefreshJob();
    void ChangeFolderJob();
    void OpenRemoteItem();
    int BuildRemoteEntries(bool useCache);
    void OnConnectButton(win::Message& message);
    void OnRemotePathComboChange(win::Message& message);
    void OnRemoteUpButton(win::Message& message);
    void OnRemoteItemActivated(win::Message& message);
    void OnRemoteOpenCommand(win::Message& message);
    void OnRemoteRefreshCommand(win::Message& message);

    // ---- Local pane (ui/local_pane.cpp) ----
    bool ListLocalFolder();
    void LocalFolderUp();
    void ShowLocalDrives();
    int ScanLocalFolder();
    void OrderLocalListing(int count);
    void FillDriveCombo();
    void AddFolderChainToCombo();
    void SelectFolderInCombo();
    std::string LocalItemStatusText(const std::string& name);
    // The detail columns of a local row: size (files) and time of the last write.
    static std::vector<std::string> LocalCells(std::int64_t size, std::int64_t modified);
    // A row of the local folder on show, its columns read from the file now.
    win::ListRow LocalRow(const std::string& name, int image);
    std::string LastErrorText();
    void OnLocalUpButton(win::Message& message);
    void OnLocalRefresh(win::Message& message); // button 1020, command 32775
    void OnDriveComboDropDown(win::Message& message);
    void OnDriveComboChange(win::Message& message);

    // ---- Columns, the order by them, typed paths (ui/pane_order.cpp) ----
    void SetUpColumns();
    // Size, time and permissions of a remote row from its listing line; asks the server
    // nothing.
    std::vector<std::string> RemoteCells(const ftp::ListingIndex& listing, int line, int kind);
    void OnColumnClick(win::Message& message);
    PaneOrder& OrderOf(int list);
    // Where a new row goes in the list's order (the end while the list keeps its own order).
    int PlaceInOrder(int list, const win::ListRow& row);
    // A row whose name changed moves to its place in the order the user chose.
    void MoveRowToItsPlace(int list, int row);
    // Enter in a path box: the local pane opens the typed folder, the remote pane changes to
    // it through the folder job.
    void GoToTypedPath(int comboId);

    // ---- Options (ui/option_dialog.cpp) ----
    std::string AsciiTypeFor(const std::string& name) const;
    void RunOptionDialog();

    // ---- Host property dialog (ui/host_pro.cpp) ----
    void RunHostPropertyDialog(bool editExisting);

    // ---- File list menus, drags, drops and the status line (ui/file_list_*.cpp) ----
    void OnFileListContextMenu(win::Message& message);
    // The context menu a right click on the list would show (0: none) and its grayed commands.
    int FileListMenu(int list, std::set<int>& grayed, bool asIfNoneSelected = false);
    void OnFileListKey(win::Message& message); // Backspace, Delete, F2, F5, F7, Tab, Ctrl+A
    void OnFileListBeginDrag(win::Message& message);
    void OnFileListMouse(win::Message& message); // mouse moves and the release while dragging
    void OnRemoteFilesDropped(win::Message& message);
    void OnFileListItemChanged(win::Message& message);
    void OnFileListFocus(win::Message& message);
    bool& Dragging(int list);
    void ShowStatusOfRow(int list, int row);
    // After anything that may have changed, renamed or removed the row the status line
    // describes: describe it again as it is now, or clear the line when it is gone.
    void RefreshStatusLine();

    // ---- Local file operations (ui/local_file_operations.cpp) ----
    // Opens a file with the desktop's program or enters a folder or drive: the row, or the
    // selection mark for -1. A double click or Enter opens files; "&Open" drives too.
    void EnterLocalItem(bool openCommand, int row = -1);
    void OpenLocalFolderInShell();
    void DeleteLocalSelection();
    bool DeleteLocalFile(const std::string& path);
    bool DeleteLocalFolderTree(const std::string& path);
    void StartLocalRename();
    // The end of a label edit on `row` (-1: the selection mark) with the text typed.
    void RenameLocalItem(int row, const std::string& text);
    void CreateLocalFolder();
    // Full path of an item of the local list (a drive item's text is its path).
    std::string LocalItemPath(const std::string& name) const;
    void OnLocalItemActivated(win::Message& message);
    void OnLocalOpenCommand(win::Message& message);
    void OnOpenFolderButton(win::Message& message);
    void OnLocalDeleteCommand(win::Message& message);
    void OnLocalRenameCommand(win::Message& message);
    void OnLocalEndLabelEdit(win::Message& message);
    void OnLocalCreateFolderCommand(win::Message& message);

    // ---- Remote file jobs (ui/remote_file_commands.cpp, jobs/remote_file_jobs.cpp) ----
    void OnRemoteDeleteCommand(win::Message& message);       // 32781
    void OnRemoteRenameCommand(win::Message& message);       // 32782
    void OnPermissionCommand(win::Message& message);         // 32783
    void OnRemoteCreateFolderCommand(win::Message& message); // 32786
    void OnRemoteEndLabelEdit(win::Message& message);
    void DeleteJob();
    // Removes a remote folder with everything below it; true when the folder itself went.
    bool DeleteRemoteTree(const std::string& path);
    void RenameJob();
    void CreateFolderJob();
    void ChmodJob();

    // ---- Upload jobs (ui/upload_commands.cpp, jobs/upload_job.cpp) ----
    void OnLocalUploadCommand(win::Message& message);     // 32772
    void OnOverwriteUploadCommand(win::Message& message); // 195
    void OnUploadAllCommand(win::Message& message);       // 32776, button 1021
    void StartUpload();                                   // the selected local rows
    void StartUploadAll();                                // every row of the local pane
    void StartUploadDropped();                            // the items a desktop drop left in m_job
    void UploadJob();
    // 0: failed or stopped; 1: done; 2: done and a remote folder was created. Sets `incomplete`
    // when a file below the folder could not be stored.
    int UploadFolder(const std::string& name, bool& incomplete);
    // `localModified`: the local file's last write time, none when it could not be read.
    // `folder` is the cache key of `listing`, `remotePath` the file's path for MDTM.
    bool NeedsUpload(std::optional<std::int64_t> localModified, const std::string& name,
                     const ftp::ListingIndex& listing, const std::string& folder,
                     const std::string& remotePath);
    // With the option on: the server's copy gets the local file's time.
    void KeepUploadTime(ftp::FtpClient& engine, const std::string& localPath,
                        const std::string& remotePath);
    // The store of one file, on whichever connection takes it.
    ui::PoolTask StoreTask(const std::string& localPath, const std::string& remotePath,
                           std::int64_t size);

    // ---- Download job (ui/download_command.cpp, jobs/download_job.cpp) ----
    void OnDownloadCommand(win::Message& message); // 32780
    void StartDownload();
    void DownloadJob();
    // `sizeKnown`: the listing holds the file's own size (not a link's), which the download
    // must then reach.
    bool DownloadFile(const std::string& localPath, const std::string& remotePath,
                      const std::string& type, std::int64_t remoteSize,
                      ui::RemoteFileTime remoteTime, bool sizeKnown);

    // ---- Remote times (jobs/remote_times.cpp) ----
    // What the listing of `folder` (its cache key) tells of the time of `name`.
    ui::RemoteFileTime RemoteTimeOf(const std::string& folder, const std::string& name,
                                    const ftp::ListingIndex& listing);
    // The offset of the server's LIST times from UTC, learned once per connection with MDTM
    // from a file of `listing`; false while it is not known.
    bool ListOffset(const std::string& folder, const ftp::ListingIndex& listing,
                    std::int64_t& offset);
    // A local time against the remote one: 1 newer, -1 older, 0 the same. Where the listed
    // minute or day cannot decide, MDTM is asked for `path`, and `remote` becomes exact.
    int CompareWithRemote(std::int64_t local, ui::RemoteFileTime& remote, const std::string& path);
    // Makes `remote` exact, with MDTM where it is not; false when the server cannot tell.
    bool ExactRemoteTime(ui::RemoteFileTime& remote, const std::string& path);
    bool DownloadFolder(const std::string& name);
    void ShowDownloadedItem(const std::string& name, int kind);

    // ---- Mirroring (ui/mirroring_command.cpp, jobs/mirroring.cpp) ----
    void OnMirroringCommand(win::Message& message); // 32777, button 1022
    // Deletes the remote entries of `remoteFolder` that `localFolder` lacks, while mirroring;
    // true when it deleted or tried to delete anything.
    bool MirrorDeleteExtras(const std::string& localFolder, const std::string& remoteFolder,
                            const ftp::ListingIndex& listing);

    // A tree walk that may go one level deeper and list one more folder; false, after a
    // message naming `path`, when the job's bounds end that tree.
    bool WithinTreeBounds(const std::string& path, int depth);
    // One folder of a walk down the remote tree `top`: within the job's bounds, listed (dot
    // names too with `allEntries`), and not too long. False when the walk ends there, the
    // reason said or the connection lost; `listing` and `lines` then mean nothing.
    bool ListTreeFolder(const std::string& folder, const std::string& top, bool allEntries,
                        ftp::ListingIndex& listing, int& lines);
    // A folder the walk found, queued; false, after the message, once too many wait.
    bool QueueTreeFolder(std::vector<std::string>& folders, std::string folder);

    // ---- Extra connections of a transfer job (jobs/job_runner.cpp) ----
    // With the option above 1, the job's files move over that many more connections;
    // `cancelQuestion` is the job's cancel question.
    void OpenTransferPool(int cancelQuestion);
    // Waits for the files still moving and closes the extra connections; a file that failed
    // on one makes the job incomplete.
    void CloseTransferPool(bool& incomplete);
    // Moves one file: now on the browsing connection, or queued for an extra one (then true,
    // and its outcome comes with CloseTransferPool).
    bool MoveFile(ui::PoolTask task);
    // The job is through with a file of `size` bytes: counted now unless it was queued.
    void FileThrough(std::int64_t size);
    // The user's cancel, confirmed once for every connection of the job.
    bool StopRequested();
    // Files the job moved over every connection.
    int JobTransferCount() const;

    // ---- What tests and script mode see ----
    template <bool ReadOnly> struct StateView;
    // The window's state, read-only: what a test or script mode checks.
    StateView<true> View() const;
    // The same, writable: for the tests that start from a state instead of reaching it (a
    // job that seems to run, a host that seems connected, a clock of their own). Nothing in
    // the program itself uses it.
    StateView<false> Arrange();

private:
    // The dialogs the window opens work on its hosts and options.
    friend class CHostPro;
    friend class COptionDialog;

    // The local pane's upload helpers (ui/upload_commands.cpp).
    int UploadTimeZone() const;
    bool RefuseDriveList();
    void UploadSelectionAfterQuestion(bool overwrite);
    void StartWithLocalRows(bool selectedOnly);

    // ---- State ----
    win::IMainWindow& m_window;
    settings::SettingsStore& m_settings;

    // Options
    ui::Options m_options;
    ui::AsciiExtensionList m_asciiExtensions;

    // Host slots
    ui::HostSlots m_hosts;
    // The settings file had a "cert" key: it is written back even when no host trusts a
    // certificate any more (a file that never had one keeps its designed keys alone).
    bool m_certificateKeyRead = false;
    bool m_transfersKeyRead = false; // the same for the count of simultaneous transfers
    // The desktop's keyring as this session found it at start-up, why it cannot be used (when
    // it cannot), and the "keyring" key as read (-1: none; 1: the passwords live there).
    platform::KeyringState m_keyringState = platform::KeyringState::Absent;
    std::string m_keyringReason;
    int m_keyringKey = -1;
    // The window's size and the panes' column widths as the settings had them, and the size
    // the window opened at: written back once they differ from it or were read.
    int m_savedWidth = 0;
    int m_savedHeight = 0;
    win::Rect m_openedRect;
    std::vector<int> m_localWidths;
    std::vector<int> m_remoteWidths;
    // The order the user picked by a header (window's thread; jobs read it while they run).
    PaneOrder m_localOrder;
    PaneOrder m_remoteOrder;

    // Flags shared with the worker
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_cancelRequested{false};
    std::atomic<int> m_connectPhase{0};
    // The row the status line describes: its list (0: none) and its text. Both threads.
    std::mutex m_statusMutex;
    int m_statusList = 0;
    std::string m_statusName;
    int m_tickCount = 0;

    // Folders
    std::string m_localFolder;
    local::LocalListing m_localListing; // the scan being shown, freed once listed
    std::string m_remoteFolder;
    std::string m_previousRemoteFolder;

    // Controls with state of their own
    CHostList m_hostList;
    CLocalFileList m_localList;
    CRemoteFileList m_remoteList;

    // The engine and the remote listing
    ftp::FtpClient m_engine;
    ftp::RemoteEntryTable m_remoteEntries;

    // Job inputs
    ui::JobInputs m_job;
    ui::JobProgress m_jobProgress;
    // The running transfer job's extra connections (worker only), and what they moved.
    std::unique_ptr<ui::TransferPool> m_pool;
    bool m_fileQueued = false;
    int m_poolTransfers = 0;
    // Boxes asked for by several threads of one job come one at a time.
    std::mutex m_boxMutex;
    // The running job's walks of remote trees (worker only).
    ui::TreeWalkBounds m_treeBounds;
    int m_connectSlot = ui::kNoSlot; // the host the connect job logs in to
    ui::HostRecord m_connectHost;    // its fields as they were when the job started

    // Remote label edits and permissions
    LabelEditMode m_labelEditMode = LabelEditMode::None;
    std::string m_labelEditText;
    int m_newFolderRow = -1;
    int m_renameRow = -1; // the row whose label the rename edited
    CPermissionDialog m_permissionDialog;

    // Last system error remembered by LastErrorText
    int m_lastError = 0;

    // What closing while a job runs does after the settings are written (tests replace it;
    // the program ends the process at once).
    std::function<void()> m_exitWhileBusy;
    // Now, and the local zone's offset from UTC in seconds at a time: what the upload's time
    // test compares with. Tests replace them before a job starts.
    std::function<std::int64_t()> m_clock;
    std::function<std::int64_t(std::int64_t)> m_localUtcOffset;
    // The server's offset as ListOffset learned it (reset at each connect).
    std::optional<std::int64_t> m_listOffset;
    bool m_listOffsetTried = false;

    std::thread m_worker;
    std::thread::id m_windowThread = std::this_thread::get_id();
    bool m_closed = false;
    std::size_t m_logLimit = 1048576;
    void WriteLog(const std::string& text, bool clear);
    void WriteLogLocked(const std::string& text, bool clear);
    void DrainLogBacklog();
    std::mutex m_logMutex;
    std::size_t m_logLength = 0; // an upper bound of the log's length
    // The window thread's log texts that wait for the lock (that thread's only).
    std::vector<std::pair<std::string, bool>> m_logBacklog;
    int m_progressShift = 0; // keeps large sizes inside the bar's 32-bit range
};

// The names are the members' own.
template <bool ReadOnly> struct CMainDialog::StateView {
    template <class T> using Ref = std::conditional_t<ReadOnly, const T&, T&>;
    Ref<std::atomic<bool>> m_busy;
    Ref<std::atomic<bool>> m_connected;
    Ref<std::atomic<bool>> m_cancelRequested;
    Ref<std::atomic<int>> m_connectPhase;
    Ref<int> m_tickCount;
    Ref<ui::Options> m_options;
    Ref<ui::AsciiExtensionList> m_asciiExtensions;
    Ref<ui::HostSlots> m_hosts;
    Ref<std::string> m_localFolder;
    Ref<std::string> m_remoteFolder;
    Ref<CHostList> m_hostList;
    Ref<CLocalFileList> m_localList;
    Ref<ui::JobInputs> m_job;
    Ref<int> m_lastError;
    Ref<std::function<void()>> m_exitWhileBusy;
    Ref<std::function<std::int64_t()>> m_clock;
    Ref<std::function<std::int64_t(std::int64_t)>> m_localUtcOffset;
};

inline CMainDialog::StateView<true> CMainDialog::View() const {
    return {m_busy,          m_connected,    m_cancelRequested, m_connectPhase,
            m_tickCount,     m_options,      m_asciiExtensions, m_hosts,
            m_localFolder,   m_remoteFolder, m_hostList,        m_localList,
            m_job,           m_lastError,    m_exitWhileBusy,   m_clock,
            m_localUtcOffset};
}

inline CMainDialog::StateView<false> CMainDialog::Arrange() {
    return {m_busy,          m_connected,    m_cancelRequested, m_connectPhase,
            m_tickCount,     m_options,      m_asciiExtensions, m_hosts,
            m_localFolder,   m_remoteFolder, m_hostList,        m_localList,
            m_job,           m_lastError,    m_exitWhileBusy,   m_clock,
            m_localUtcOffset};
}

} // namespace ui
