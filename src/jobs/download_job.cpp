// The download job on the worker: the selected remote files and folder trees into the local
// folder, each file fetched, resumed or left alone by comparing it with its listing line.
#include <cerrno>
#include <vector>

#include "ftp/entry_names.h"
#include "ftp/listing_index.h"
#include "local/file_type.h"
#include "local/local_path.h"
#include "platform/file_operations.h"
#include "platform/no_follow.h"
#include "platform/system_error.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

// A file fetched from its start arrives under its name and this, until it is whole.
constexpr const char* kPartSuffix = ".ftpquorrel-part";

} // namespace

void CMainDialog::DownloadJob() {
    bool incomplete = false;
    m_window.Combo(res::kRemotePathCombo).Enable(false);
    m_window.Tab(res::kHostTab).Enable(false);
    m_engine.ResetTransferCount();
    m_treeBounds.Reset();
    // Nothing lists the current folder while this job runs, so the index stays as it is.
    const ftp::ListingIndex& listing = m_remoteEntries.Index();
    // The selected files are known at once; a folder's files once it is listed.
    StartJobProgress();
    OpenTransferPool(res::kTextCancelDownload);
    for (int i = 0; i < m_job.Count(); ++i) {
        const std::string& item = m_job.items[static_cast<std::size_t>(i)];
        const int kind = m_job.kinds[static_cast<std::size_t>(i)];
        const std::string name = kind == res::kImageLink ? ftp::LinkName(item) : item;
        if (kind != res::kImageFolder && ftp::IsSafeEntryName(name)) {
            m_jobProgress.AddFile(
                kind != res::kImageLink && listing.FindLine(item) >= 0 ? listing.Size(item) : -1);
        }
    }

    // The items through with, for the pane once they are there.
    std::vector<std::pair<std::string, int>> arrived;
    auto showArrived = [&](std::vector<std::pair<std::string, int>>& items) {
        for (const auto& [name, kind] : items) {
            platform::FileStatus status;
            if (platform::GetStatusNoFollow(m_job.localBase + name, status)) {
                ShowDownloadedItem(name, kind);
            }
        }
        items.clear();
    };
    for (int i = 0; i < m_job.Count(); ++i) {
        const std::string& item = m_job.items[static_cast<std::size_t>(i)];
        const int kind = m_job.kinds[static_cast<std::size_t>(i)];
        // A link is fetched as a file under its own name; its row text, arrow and target
        // included, is what names it in the listing.
        const std::string name = kind == res::kImageLink ? ftp::LinkName(item) : item;
        if (!ftp::IsSafeEntryName(name)) {
            incomplete = true; // a name that could step out of the local folder
            continue;
        }
        const std::string localPath = m_job.localBase + name;
        bool ok;
        if (kind != res::kImageFolder) {
            // A link's listed size is the link's own, not its target's.
            ok = DownloadFile(localPath, name, AsciiTypeFor(name), listing.Size(item),
                              RemoteTimeOf(m_remoteFolder, item, listing),
                              kind != res::kImageLink && listing.FindLine(item) >= 0);
            FileThrough(listing.Size(item));
        } else {
            ok = DownloadFolder(name);
        }
        if (!ok) {
            incomplete = true;
        }
        if (m_engine.ConnectionLost()) {
            break;
        }
        // A link arrives as a plain file and shows as one.
        arrived.emplace_back(name, kind == res::kImageLink ? local::IconIndexForName(name) : kind);
        if (!m_pool) {
            showArrived(arrived);
        }
        if (StopRequested()) {
            break;
        }
    }
    CloseTransferPool(incomplete);
    showArrived(arrived);

    FinishJobProgress();
    m_job.FreeItems();
    m_window.Combo(res::kRemotePathCombo).Enable(true);
    m_window.Tab(res::kHostTab).Enable(true);
    ResetProgress();
    if (m_engine.ConnectionLost()) {
        return; // the log already ends with "Disconnected."
    }
    if (JobTransferCount() != 0) {
        LogValueAndText(std::to_string(JobTransferCount()), res::kTextFilesDownloaded);
    }
    if (m_cancelRequested) {
        m_cancelRequested = false;
        AppendLog(res::LoadString(res::kTextDownloadCanceled));
    } else {
        AppendLog(res::LoadString(incomplete ? res::kTextDownloadIncomplete
                                             : res::kTextDownloadCompleted));
    }
}

bool CMainDialog::DownloadFile(const std::string& localPath, const std::string& remotePath,
                               const std::string& type, std::int64_t remoteSize,
                               ui::RemoteFileTime remoteTime, bool sizeKnown) {
    // A text file is fetched whole whatever the answer to the resume question: its local line
    // ends do not count the server's bytes, and servers refuse to resume in ASCII mode anyway.
    const bool resumable = type != "A";
    auto askResume = [&] {
        return ShowMessage(res::LoadString(res::kTextResumeDownload), win::Buttons::YesNo,
                           win::Icon::Question) == win::kAnswerYes;
    };
    platform::FileStatus local;
    const bool exists = platform::GetStatusNoFollow(localPath, local);
    if (!exists && platform::LastFileError() == ELOOP) {
        // A link stands where the file goes: refused before the server is asked for anything.
        ShowMessage(platform::SystemErrorText(ELOOP), win::Buttons::Ok, win::Icon::Warning);
        return false;
    }
    if (exists && local.kind == platform::EntryKind::System) {
        // A FIFO or a device would take the bytes somewhere else, or hold the job for ever.
        ShowMessage(localPath + "\n" + platform::SystemErrorText(platform::kErrorNotRegularFile),
                    win::Buttons::Ok, win::Icon::Warning);
        return false;
    }
    // Compared only where it matters: the server may be asked the exact time of this file.
    int age = 0;
    if (exists && local.size == remoteSize &&
        (age = CompareWithRemote(local.modified, remoteTime, remotePath)) >= 0) {
        return true; // up to date: nothing is sent, logged or counted
    }
    // A file fetched from its start arrives beside the local one and takes its place only when
    // it is whole: a failed transfer never costs the copy the user had. The part that came
    // stays there for a later resume.
    const std::string part = localPath + kPartSuffix;
    platform::FileStatus partial;
    const bool havePart =
        platform::GetStatusNoFollow(part, partial) && partial.kind == platform::EntryKind::File;
    std::string target = part;
    std::int64_t offset = 0;
    bool asked = false;
    if (havePart && partial.size < remoteSize) {
        asked = true;
        offset = askResume() && resumable ? partial.size : 0;
    } else if (exists && local.size < remoteSize) {
        asked = true;
        if (askResume() && resumable) {
            offset = local.size;
            target = localPath; // resumed in place: the partial copy is the local file itself
        }
    }
    if (!asked && exists && local.size != remoteSize) {
        age = CompareWithRemote(local.modified, remoteTime, remotePath);
    }
    if (!asked && exists && age > 0 &&
        ShowMessage(res::LoadString(res::kTextReplaceNewer) + localPath +
                        res::LoadString(res::kTextReplaceNewerQuestion),
                    win::Buttons::YesNo, win::Icon::Question) != win::kAnswerYes) {
        return true; // the user keeps the newer file
    }
    // With the option on, the copy keeps the server's time where the server tells it; an
    // extra connection gets it from the browsing one first.
    const bool keepTime = m_options.m_keepFileTimes != 0;
    const bool timeKnown = m_pool && keepTime && ExactRemoteTime(remoteTime, remotePath);
    ui::PoolTask task;
    task.size = remoteSize;
    task.move = [=, this](ftp::FtpClient& engine, int lane) mutable {
        m_jobProgress.BeginFile(offset, lane);
        if (!engine.FtpRetrieve(target, remotePath, type, remoteSize, offset,
                                sizeKnown ? remoteSize : -1)) {
            return false;
        }
        if (target == part && !platform::ReplaceEntry(part, localPath)) {
            // On an extra connection it is one of that connection's boxes.
            engine.Owner().ShowMessage(platform::SystemErrorText(platform::LastFileError()),
                                       ftp::BoxButtons::Ok, ftp::BoxIcon::Warning);
            return false;
        }
        if (keepTime && (lane == 0 ? ExactRemoteTime(remoteTime, remotePath) : timeKnown)) {
            platform::SetModificationTime(localPath, remoteTime.earliest);
        }
        return true;
    };
    return MoveFile(std::move(task));
}

bool CMainDialog::DownloadFolder(const std::string& name) {
    const std::string& remoteBase = m_job.remoteBase;
    std::vector<std::string> pending;
    std::string current = remoteBase + name;
    bool result = true;
    for (;;) {
        // Every folder a file goes into is made, or checked, here before anything is written
        // below it: a link standing in its place stops this part of the tree.
        const std::string localFolder = m_job.localBase + current.substr(remoteBase.size());
        if (!platform::MakeFolderNoFollow(localFolder)) {
            ShowMessage(platform::SystemErrorText(platform::LastFileError()), win::Buttons::Ok,
                        win::Icon::Warning);
            result = false;
        } else {
            ftp::ListingIndex listing;
            int lines = 0;
            if (!ListTreeFolder(current, remoteBase, false, listing, lines)) {
                return false;
            }
            for (int j = 0; j < lines; ++j) {
                const std::string entry = listing.Field(j, ftp::kFieldName, true);
                const char permission = ftp::IsShownName(entry)
                                            ? listing.FieldView(j, ftp::kFieldPermissions, false)[0]
                                            : 'l';
                if (permission != 'l' && permission != 'd' && ftp::IsSafeEntryName(entry)) {
                    m_jobProgress.AddFile(listing.Size(entry));
                }
            }
            for (int j = 0; j < lines; ++j) {
                const std::string entry = listing.Field(j, ftp::kFieldName, true);
                const bool shown = ftp::IsShownName(entry);
                const char permission =
                    shown ? listing.FieldView(j, ftp::kFieldPermissions, false)[0] : '\0';
                if (!shown || permission == 'l') {
                    // Lines that are no entry, dot names and links inside folders stay behind.
                } else if (!ftp::IsSafeEntryName(entry)) {
                    result = false; // a name that could step out of its folder
                } else if (permission == 'd') {
                    if (!QueueTreeFolder(pending, current + "/" + entry)) {
                        return false;
                    }
                } else {
                    const bool downloaded = DownloadFile(
                        localFolder + "/" + entry, current + "/" + entry, AsciiTypeFor(entry),
                        listing.Size(entry), RemoteTimeOf(current, entry, listing), true);
                    FileThrough(listing.Size(entry));
                    if (!downloaded) {
                        result = false;
                        // The folder was removed under the job: the rest of this tree has
                        // nowhere to go, and one message has said why.
                        platform::FileStatus folder;
                        if (!platform::GetStatusNoFollow(localFolder, folder) ||
                            folder.kind != platform::EntryKind::Folder) {
                            return false;
                        }
                    }
                    if (m_engine.ConnectionLost()) {
                        return false;
                    }
                }
                if (StopRequested()) {
                    return false;
                }
            }
        }
        if (pending.empty()) {
            return result;
        }
        current = std::move(pending.back());
        pending.pop_back();
    }
}

void CMainDialog::ShowDownloadedItem(const std::string& name, int kind) {
    // The local folder and its pane belong to the window's thread; the pane gets the row only
    // while it still shows the folder the job downloads into.
    m_window.Post([this, base = m_job.localBase, name, kind] {
        if (m_localFolder.empty() || local::JoinFolder(m_localFolder, "") != base) {
            return;
        }
        win::IListView& pane = m_window.ListView(res::kLocalList);
        const win::ListRow row = LocalRow(name, kind);
        const int found = pane.FindItem(name);
        if (found < 0) {
            pane.InsertRows(PlaceInOrder(res::kLocalList, row), {row});
        } else {
            // Downloaded over: its size and time are the new file's.
            pane.SetItemCells(found, row.cells);
        }
    });
}

} // namespace ui
